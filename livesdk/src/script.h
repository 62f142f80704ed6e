#pragma once

// Outcomes a test sets for the SDK, read at InitSDK from the JSON file named
// by LIVESDK_SCRIPT. Every member is optional; livesdk/README.md lists them.

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Json
{
    class Value;
}

namespace livesdk_impl
{
    struct CDevice
    {
        std::string id;
        std::string name;  // UTF-8
    };

    // Codes used one per request, in order; the last one repeats.
    class CCodeSequence
    {
    public:
        bool Empty() const { return m_codes.empty(); }
        int Next(int fallback);

        std::vector<int> m_codes;

    private:
        size_t m_next = 0;
    };

    // A code sequence per stream ID; "*" stands for every stream not named.
    // Each stream runs through its own copy of the "*" sequence.
    class CStreamCodes
    {
    public:
        int Next(const std::string& streamID, int fallback);

        std::map<std::string, CCodeSequence> m_byStream;
    };

    // A value per stream ID, with "*" for the others.
    template <typename T>
    struct CStreamValues
    {
        T Get(const std::string& streamID, const T& fallback) const
        {
            auto it = m_byStream.find(streamID);
            if (it == m_byStream.end())
                it = m_byStream.find("*");
            return it == m_byStream.end() ? fallback : it->second;
        }

        std::map<std::string, T> m_byStream;
    };

    class CScript
    {
    public:
        // Defaults: the built-in devices, every request succeeds.
        CScript();

        // Reads the file; on failure *this keeps the defaults and error says why.
        bool Load(const std::string& fileName, std::string& error);

        int m_eventDelayMs = 40;
        std::vector<CDevice> m_microphones;
        std::vector<CDevice> m_speakers;
        std::vector<CDevice> m_cameras;
        int m_initError = 0;
        bool m_loginRefused = false;
        CCodeSequence m_loginError;
        CStreamCodes m_publishState;
        bool m_playRefusedAll = false;
        std::vector<std::string> m_playRefused;
        CStreamCodes m_playStates;
        CStreamValues<std::pair<double, double>> m_playQuality;  // video fps, kbit/s
        CStreamValues<std::pair<int, int>> m_playFrameSize;
        CCodeSequence m_mixError;
        CCodeSequence m_mixResultState;

    private:
        bool Parse(const Json::Value& root, std::string& error);
    };
}
