#include "bridge/origin_allow_list.h"

#include "shell/file_log.h"
#include "streaming/ini_file.h"

#include <algorithm>
#include <cctype>

namespace {

// The site's broadcasting pages.
const char* const kSiteOrigins[] = {
    "https://www.anchorlive.example",
    "https://live.anchorlive.example",
};

std::string Trim(const std::string& text)
{
    const char* const blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

// Origins carry no path; a slash typed at the end of a configured one is
// forgiven.
std::string Normalise(const std::string& origin)
{
    std::string text = Trim(origin);
    while (!text.empty() && text.back() == '/')
        text.pop_back();
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

COriginAllowList::COriginAllowList(const std::vector<std::string>& extraOrigins)
{
    for (const char* origin : kSiteOrigins)
        m_origins.push_back(Normalise(origin));
    for (const std::string& origin : extraOrigins) {
        const std::string normalised = Normalise(origin);
        if (!normalised.empty())
            m_origins.push_back(normalised);
    }
}

COriginAllowList COriginAllowList::FromConfig(const std::string& iniFile)
{
    std::vector<std::string> extra;
    try {
        INIFile ini(iniFile);
        ini.Select("Bridge");
        extra = Split(ini.Get("Origins", std::string()));
    } catch (const std::exception& error) {
        WriteLog(LOG_INFO, "COriginAllowList::FromConfig", __LINE__,
                 (std::string(error.what()) + "; only the site's own origins are allowed\n").c_str());
    }
    return COriginAllowList(extra);
}

std::vector<std::string> COriginAllowList::Split(const std::string& list)
{
    std::vector<std::string> entries;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        const std::string entry = Trim(list.substr(start, comma - start));
        if (!entry.empty())
            entries.push_back(entry);
        start = comma + 1;
    }
    return entries;
}

bool COriginAllowList::Allows(const std::string& origin) const
{
    const std::string normalised = Normalise(origin);
    if (normalised.empty())
        return false;
    return std::find(m_origins.begin(), m_origins.end(), normalised) != m_origins.end();
}
