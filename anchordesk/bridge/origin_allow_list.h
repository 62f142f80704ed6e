#pragma once

#include <string>
#include <vector>

// The web pages that may open the bridge. A browser names the page that
// opens a WebSocket in the Origin header of the upgrade request; without this
// check any site the host visits could drive the program (and publish the
// host's camera and microphone). Requests without an Origin header come from
// local programs, not from browsers, and are not subject to the list.
//
// The site's own origins are compiled in; "conf.ini" in the current
// directory may add more, comma-separated:
//
//   [Bridge]
//   Origins=https://test.example.org, http://localhost:8080
class COriginAllowList {
public:
    explicit COriginAllowList(const std::vector<std::string>& extraOrigins);

    // The compiled-in origins plus those of the "Origins" key of section
    // "Bridge" in `iniFile`. An unreadable file adds nothing.
    static COriginAllowList FromConfig(const std::string& iniFile);

    // Entries of a comma-separated list, trimmed, empty ones left out.
    static std::vector<std::string> Split(const std::string& list);

    // Scheme, host and port compared without regard to case.
    bool Allows(const std::string& origin) const;

    const std::vector<std::string>& Origins() const { return m_origins; }

private:
    std::vector<std::string> m_origins; // normalised
};
