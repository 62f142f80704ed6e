#include "streaming/partner_store.h"

#include "shell/file_log.h"
#include "streaming/ini_file.h"

#include <windows.h>

namespace {

const char kConfigFile[] = "conf.ini";
const char kSection[] = "PKInfo";
const char kKey[] = "PK";

void LogRefusal(const char* function, int line, const std::string& text)
{
    OutputDebugStringA(text.c_str());
    WriteLog(LOG_INFO, function, line, text.c_str());
}

} // namespace

bool StorePartnerNumber(const std::string& partner)
{
    try {
        INIFile ini(kConfigFile);
        ini.Select(kSection);
        ini.Set(kKey, partner);
        if (!ini.Save(kConfigFile)) {
            LogRefusal("CLiveLianmai::SavePKInfo", __LINE__,
                       "conf.ini cannot be written; partner " + partner + " not stored\n");
            return false;
        }
        return true;
    } catch (const IniDuplicateError& error) {
        LogRefusal("CLiveLianmai::SavePKInfo", __LINE__,
                   std::string(error.what()) + "; conf.ini left unchanged, partner " + partner +
                       " not stored\n");
        return false;
    }
}

std::string LoadPartnerNumber()
{
    try {
        INIFile ini(kConfigFile);
        ini.Select(kSection);
        return ini.Get(kKey, std::string());
    } catch (const IniDuplicateError& error) {
        LogRefusal("CLiveLianmai::onStartPush", __LINE__,
                   std::string(error.what()) + "; no partner read from conf.ini\n");
        return std::string();
    }
}
