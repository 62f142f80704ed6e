#include "bridge/msg_bridge.h"

#include "bridge/text_codec.h"
#include "bridge/web_envelope.h"
#include "bridge/ws_session.h"
#include "shell/file_log.h"
#include "streaming/live_lianmai.h"

#include <json/json.h>

#include <windows.h>

#include <sstream>

namespace {

void Trace(const char* function, int line, const std::string& text)
{
    OutputDebugStringA(text.c_str());
    WriteLog(LOG_INFO, function, line, text.c_str());
}

} // namespace

CMsgBridge* CMsgBridge::GetInstance()
{
    static CMsgBridge instance;
    return &instance;
}

void CMsgBridge::WSMessage(std::string text)
{
    text = ConvertUtf8ToAnsi(text);

    std::ostringstream line;
    line << "msg     " << text << "\n";
    Trace("CMsgBridge::WSMessage", __LINE__, line.str());

    Json::Value root;
    if (!ParseLenientJson(text, root)) {
        SendWebMsg(0, 0, "Json error", 0);
        return;
    }
    const int code = ReadCommandCode(root); // raises on an unusable "code"

    CLiveLianmai* controller = g_pLiveLianmai;
    if (!controller) {
        Trace("CMsgBridge::WSMessage", __LINE__,
              "command " + std::to_string(code) + " dropped: the streaming controller does not exist yet\n");
        return;
    }
    controller->OnWebMessage(code, text);
}

void CMsgBridge::SendWebMsg(int code, int operate, std::string msg, int uid)
{
    std::ostringstream line;
    line << "SendWebMsg   code  " << code << " operate  " << operate << "   msg  " << msg << "\n";
    Trace("CMsgBridge::SendWebMsg", __LINE__, line.str());

    std::shared_ptr<CWSSession> session = CurrentWebSession();
    if (!session || !session->Deliver(BuildWebEnvelope(code, operate, msg, uid))) {
        std::ostringstream dropped;
        dropped << "no open connection: message with code " << code << " dropped\n";
        Trace("CMsgBridge::SendWebMsg", __LINE__, dropped.str());
    }
}

void CMsgBridge::WSClose()
{
    if (CLiveLianmai* controller = g_pLiveLianmai)
        controller->StopAll();
}
