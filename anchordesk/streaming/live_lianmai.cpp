#include "streaming/live_lianmai.h"

#include "bridge/msg_bridge.h"
#include "bridge/web_envelope.h"
#include "shell/app_paths.h"
#include "streaming/live_lianmai_callback.h"

#include <LiveSDK.h>
#include <json/json.h>

std::atomic<CLiveLianmai*> g_pLiveLianmai{nullptr};

CLoginParams CLoginParams::Read(const Json::Value& root)
{
    const Json::Value& video = root["vedioparm"];
    const Json::Value& audio = root["audioparm"];
    const Json::Value& server = root["serparm"];

    CLoginParams params;
    params.cameraName = video["devicename"].asString();
    params.fps = video["frame"].asInt();
    params.kbps = video["bit"].asInt();
    params.width = video["width"].asInt();
    params.height = video["height"].asInt();
    params.coHost = video["islianmai"].asBool();
    params.microphoneName = audio["devicename"].asString();
    params.siteId = server["siteid"].asString();
    params.channel = server["channel"].asString();
    params.uid = server["uid"].asInt();
    params.stream = server["stream"].asString();
    params.pushSecret = server["pushsecret"].asString();
    return params;
}

CLiveLianmai::CLiveLianmai(HWND hwnd)
{
    InitPushUrlMap();
    m_callback = std::make_unique<CLiveLianmaiCallBack>(hwnd);
}

CLiveLianmai::~CLiveLianmai() = default;

std::recursive_mutex& CLiveLianmai::Lock()
{
    static std::recursive_mutex lock;
    return lock;
}

void CLiveLianmai::InitPushUrlMap()
{
    // First "%s": channel (solo push) or user number (mixed output); second:
    // the stream name. South and West share one ingest.
    m_pushurlmap["ChanNorth"] = "rtmp://ingest1.anchorlive.example/live/%s/%s";
    m_pushurlmap["ChanEast"] = "rtmp://ingest2.anchorlive.example/live/%s/%s";
    m_pushurlmap["ChanSouth"] = "rtmp://ingest3.anchorlive.example/live/%s/%s";
    m_pushurlmap["ChanWest"] = "rtmp://ingest3.anchorlive.example/live/%s/%s";
}

void CLiveLianmai::OnWebMessage(int code, std::string text)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());

    // Payload members are read with the JSON library's conversions: absent
    // ones give 0, "" or false; one of the wrong type raises, and the error
    // ends this message's handling and reaches the connection.
    Json::Value root;
    switch (code) {
    case 1: { // log in and publish
        m_mixpending = false;
        m_peerplaying = false;
        if (!ParseLenientJson(text, root))
            return;
        const CLoginParams params = CLoginParams::Read(root);
        m_uid = params.uid;
        LoginLive(text, std::string(), std::string(), params.coHost);
        return;
    }
    case 2: // stop
        StopAll();
        m_reportsolo = true;
        SendToWeb(2, 1, std::string(), 0);
        return;
    case 3: { // restart solo under a new stream name
        StopAll();
        m_reportsolo = true;
        if (!ParseLenientJson(text, root))
            return;
        const std::string liveid = root["liveid"].asString();
        const std::string secret = root["pushsecret"].asString();
        LoginLive(m_loginjson, liveid, secret, false);
        return;
    }
    case 4: { // start co-hosting
        std::string liveid;
        std::string secret;
        if (ParseLenientJson(text, root)) {
            m_peeruid = root["uid"].asInt();
            SavePKInfo(std::to_string(m_peeruid));
            m_ownstreamid = std::to_string(m_uid) + "_" + std::to_string(m_peeruid);
            m_peerstreamid = std::to_string(m_peeruid) + "_" + std::to_string(m_uid);
            liveid = root["liveid"].asString();
            secret = root["pushsecret"].asString();
            if (!secret.empty())
                m_lianmaisecret = secret;
            LIVESDK::SetViewMode(LIVESDK::VIEW_MODE_ASPECT_FIT, m_peerstreamid.c_str());
        }
        m_peerplaying = false;
        if (liveid != m_stream) {
            StopAll();
            m_mixpending = false;
            LoginLive(m_loginjson, liveid, secret, true);
        }
        return;
    }
    case 5: // end co-hosting
        if (!ParseLenientJson(text, root))
            return;
        StopMixStream();
        m_peeruid = 0;
        m_islianmai = false; // so that StopAll leaves playing and mixing alone
        StopAll();
        return;
    case 6: // play the partner
        StartPlayPeerStream();
        return;
    case 50: // version
        SendToWeb(50, 1, GetFileVersionString(), 0);
        return;
    default:
        return;
    }
}

void CLiveLianmai::SendToWeb(int code, int operate, std::string msg, int uid)
{
    CMsgBridge::GetInstance()->SendWebMsg(code, operate, std::move(msg), uid);
}

void CLiveLianmai::StopAll()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());

    if (m_islianmai) {
        LIVESDK::StopPlayingStream(m_peerstreamid.c_str());
        StopMixStream();
    }
    LIVESDK::StopPublishing(0, nullptr, LIVESDK::PUBLISH_CHN_MAIN);
    m_mixpending = false;
    m_peerplaying = false;
    LIVESDK::LogoutRoom();
    // The in-process camera source goes back to its placeholder picture
    // here once it exists (CVCam::StopLive).
    m_callback->m_issplitview = false;
}
