#include "script.h"

#include <json/json.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace livesdk_impl
{
    int CCodeSequence::Next(int fallback)
    {
        if (m_codes.empty())
            return fallback;
        const int code = m_codes[m_next < m_codes.size() ? m_next : m_codes.size() - 1];
        ++m_next;
        return code;
    }

    int CStreamCodes::Next(const std::string& streamID, int fallback)
    {
        auto it = m_byStream.find(streamID);
        if (it == m_byStream.end())
        {
            const auto any = m_byStream.find("*");
            if (any == m_byStream.end())
                return fallback;
            it = m_byStream.emplace(streamID, any->second).first;
        }
        return it->second.Next(fallback);
    }

    namespace
    {
        // The devices a freshly installed machine typically shows; the names
        // are UTF-8, as the device lists hand them out.
        std::vector<CDevice> DefaultMicrophones()
        {
            return {
                {"{0.0.1.00000000}.{6f2c1a54-93d8-4b7e-a0c5-1d2e3f405162}", u8"麦克风 (高清晰度音频设备)"},
                {"{0.0.1.00000000}.{b81e07c2-5a34-4f69-8d1b-7c9e2a3b4d50}", u8"线路输入 (USB 音频设备)"},
            };
        }

        std::vector<CDevice> DefaultSpeakers()
        {
            return {
                {"{0.0.0.00000000}.{3a9d5e71-0c28-4b46-9f13-e5d7c8b9a021}", u8"扬声器 (高清晰度音频设备)"},
            };
        }

        std::vector<CDevice> DefaultCameras()
        {
            return {
                {"\\\\?\\usb#vid_2f3a&pid_0a11&mi_00#7&2a5f3c1&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}"
                 "\\global",
                 u8"集成摄像头"},
                {"\\\\?\\usb#vid_2f3b&pid_0b22&mi_00#7&1b3c2d4&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}"
                 "\\global",
                 u8"USB 视频设备"},
            };
        }

        bool ReadInt(const Json::Value& value, int& out)
        {
            if (!value.isInt())
                return false;
            out = value.asInt();
            return true;
        }

        // A number, or an array of numbers used one per request.
        bool ReadCodes(const Json::Value& value, CCodeSequence& out)
        {
            out.m_codes.clear();
            if (value.isInt())
            {
                out.m_codes.push_back(value.asInt());
                return true;
            }
            if (!value.isArray() || value.empty())
                return false;
            for (const Json::Value& item : value)
            {
                if (!item.isInt())
                    return false;
                out.m_codes.push_back(item.asInt());
            }
            return true;
        }

        bool ReadStreamCodes(const Json::Value& value, CStreamCodes& out)
        {
            if (!value.isObject())
                return false;
            for (const std::string& stream : value.getMemberNames())
            {
                if (!ReadCodes(value[stream], out.m_byStream[stream]))
                    return false;
            }
            return true;
        }

        bool ReadDevices(const Json::Value& value, std::vector<CDevice>& out)
        {
            if (!value.isArray())
                return false;
            out.clear();
            for (const Json::Value& item : value)
            {
                if (!item.isObject() || !item["id"].isString() || !item["name"].isString())
                    return false;
                out.push_back({item["id"].asString(), item["name"].asString()});
            }
            return true;
        }

        bool ReadSize(const Json::Value& value, std::pair<int, int>& out)
        {
            if (!value.isArray() || value.size() != 2 || !value[0].isInt() || !value[1].isInt())
                return false;
            out = {value[0].asInt(), value[1].asInt()};
            return out.first >= 32 && out.second >= 32 && out.first <= 4096 && out.second <= 4096;
        }

        bool ReadQuality(const Json::Value& value, std::pair<double, double>& out)
        {
            if (!value.isArray() || value.size() != 2 || !value[0].isNumeric() || !value[1].isNumeric())
                return false;
            out = {value[0].asDouble(), value[1].asDouble()};
            return true;
        }

        // A pair for every stream ([a, b]) or per stream ({"id": [a, b], "*": ...}).
        template <typename T, typename Reader>
        bool ReadStreamPairs(const Json::Value& value, CStreamValues<T>& out, Reader read)
        {
            if (value.isArray())
                return read(value, out.m_byStream["*"]);
            if (!value.isObject())
                return false;
            for (const std::string& stream : value.getMemberNames())
            {
                if (!read(value[stream], out.m_byStream[stream]))
                    return false;
            }
            return true;
        }
    }

    CScript::CScript()
        : m_microphones(DefaultMicrophones()), m_speakers(DefaultSpeakers()), m_cameras(DefaultCameras())
    {
    }

    bool CScript::Load(const std::string& fileName, std::string& error)
    {
        std::ifstream in(fileName, std::ios::binary);
        if (!in)
        {
            error = "cannot open " + fileName;
            return false;
        }
        std::ostringstream text;
        text << in.rdbuf();

        Json::CharReaderBuilder builder;
        builder["collectComments"] = false;
        Json::Value root;
        const std::string source = text.str();
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        if (!reader->parse(source.data(), source.data() + source.size(), &root, &error))
            return false;
        if (!root.isObject())
        {
            error = "the script is not a JSON object";
            return false;
        }

        CScript parsed;
        if (!parsed.Parse(root, error))
            return false;
        *this = parsed;
        return true;
    }

    bool CScript::Parse(const Json::Value& root, std::string& error)
    {
        for (const std::string& key : root.getMemberNames())
        {
            const Json::Value& value = root[key];
            bool ok = false;
            if (key == "eventDelayMs")
                ok = ReadInt(value, m_eventDelayMs) && m_eventDelayMs >= 10 && m_eventDelayMs <= 5000;
            else if (key == "microphones")
                ok = ReadDevices(value, m_microphones);
            else if (key == "speakers")
                ok = ReadDevices(value, m_speakers);
            else if (key == "cameras")
                ok = ReadDevices(value, m_cameras);
            else if (key == "initError")
                ok = ReadInt(value, m_initError);
            else if (key == "loginRefused")
                ok = value.isBool() && (m_loginRefused = value.asBool(), true);
            else if (key == "loginError")
                ok = ReadCodes(value, m_loginError);
            else if (key == "publishState")
                ok = ReadStreamCodes(value, m_publishState);
            else if (key == "playRefused")
            {
                if (value.isBool())
                {
                    m_playRefusedAll = value.asBool();
                    ok = true;
                }
                else if (value.isArray())
                {
                    ok = true;
                    for (const Json::Value& stream : value)
                    {
                        ok = ok && stream.isString();
                        if (ok)
                            m_playRefused.push_back(stream.asString());
                    }
                }
            }
            else if (key == "playStates")
                ok = ReadStreamCodes(value, m_playStates);
            else if (key == "playQuality")
                ok = ReadStreamPairs(value, m_playQuality, ReadQuality);
            else if (key == "playFrameSize")
                ok = ReadStreamPairs(value, m_playFrameSize, ReadSize);
            else if (key == "mixError")
                ok = ReadCodes(value, m_mixError);
            else if (key == "mixResultState")
                ok = ReadCodes(value, m_mixResultState);
            else
            {
                error = "unknown script member \"" + key + "\"";
                return false;
            }
            if (!ok)
            {
                error = "bad value for script member \"" + key + "\"";
                return false;
            }
        }
        return true;
    }
}
