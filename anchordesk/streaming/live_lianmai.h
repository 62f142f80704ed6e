#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace Json {
class Value;
}

class CLiveLianmaiCallBack;

// What a login message (command 1) carries. Members that are absent read as
// 0, empty text or false; a member of the wrong JSON type raises the JSON
// library's error.
struct CLoginParams {
    std::string cameraName;     // "vedioparm"."devicename"
    int fps = 0;                // "vedioparm"."frame"
    int kbps = 0;               // "vedioparm"."bit"
    int width = 0;              // "vedioparm"."width"
    int height = 0;             // "vedioparm"."height"
    bool coHost = false;        // "vedioparm"."islianmai"
    std::string microphoneName; // "audioparm"."devicename"
    std::string siteId;         // "serparm"."siteid"
    std::string channel;        // "serparm"."channel"
    int uid = 0;                // "serparm"."uid"
    std::string stream;         // "serparm"."stream"
    std::string pushSecret;     // "serparm"."pushsecret"

    static CLoginParams Read(const Json::Value& root);
};

// UTF-8 (the SDK's device names) to the system's ANSI code page; characters
// the code page lacks become its default character.
std::string Utf8ToAnsi(const std::string& text);

// Longest texts the controller hands on. A push URL template filled in with
// channel and stream name may hold 2047 characters (the secret comes on top);
// the mixed output's URL must fit, whole, into the 512-byte target field of
// the mix request, as must each input's stream ID. What would not fit is
// refused, never cut short: a shortened URL would push somewhere else.
constexpr size_t kPushUrlFormattedMax = 2047;
constexpr size_t kMixUrlFormattedMax = 1023;
constexpr size_t kMixRecordTextMax = 511;

// The streaming controller: the state of a broadcast, the page's commands
// turned into SDK calls, and the SDK's events (as window messages on the
// user-interface thread) turned into further calls and replies to the page.
//
// One instance per process, in g_pLiveLianmai, created by the main window and
// never destroyed. Web commands arrive on connection threads, window-message
// handlers and timers run on the user-interface thread: every operation
// called from outside takes Lock() for its whole run, so no two of them ever
// use the members at the same time. The lock is recursive (operations call
// each other), and nothing done under it waits for the network: replies are
// handed to the bridge, which sends them from the connection's own thread.
class CLiveLianmai {
public:
    // hwnd receives the window messages the SDK callback sink posts.
    explicit CLiveLianmai(HWND hwnd);
    ~CLiveLianmai();
    CLiveLianmai(const CLiveLianmai&) = delete;
    CLiveLianmai& operator=(const CLiveLianmai&) = delete;

    static std::recursive_mutex& Lock();

    // SDK start-up and device lists.
    void InitLiveSDK();
    void EnumAudioDeviceList();
    void EnumVideoDeviceList();

    // The page's command `code` with the whole message text (ANSI code page).
    void OnWebMessage(int code, std::string text);
    // Hands a reply to the bridge: {"code","msg","operate","uid"}.
    void SendToWeb(int code, int operate, std::string msg, int uid);
    // Stops playing and mixing (co-host mode), publishing and the room login.
    void StopAll();

    // Room login and publishing.
    void InitPushUrlMap();
    bool LoginLive(std::string text, std::string streamOverride, std::string secretOverride, bool coHost);
    void onStartPush(WPARAM wParam, LPARAM lParam);
    void onPublishSuccess(WPARAM wParam, LPARAM lParam);
    void onPublishFail(WPARAM wParam, LPARAM lParam);

    // Co-hosting, playing and mixing.
    void onPlayStreamSuccess(WPARAM wParam, LPARAM lParam);
    void onPlayStreamFail(WPARAM wParam, LPARAM lParam);
    void onDeletePublishTarget(WPARAM wParam, LPARAM lParam);
    void StartPlayPeerStream();
    void StartMixStream();
    void StartMixSignalStream();
    void StopMixStream();
    void SavePKInfo(std::string partner);
    static void CALLBACK PlayRetryTimerProc(HWND hwnd, UINT message, UINT_PTR timerID, DWORD time);

    CLiveLianmaiCallBack* Callback() const { return m_callback.get(); }

    // m_mixurl from the site's template, the own user number, the stream
    // name and the co-host secret. A URL that would not fit the mix request
    // leaves m_mixurl empty, is logged, and gives false.
    bool ComputeMixUrl(const char* function);
    // One MixStreamEx request for "mix_" + m_ownstreamid with these inputs
    // and m_mixurl as the output; returns the SDK's sequence number, or -1
    // when the SDK refuses it or an input's stream ID does not fit (logged,
    // nothing sent).
    int SendMixRequest(const char* function,
                       const std::vector<std::pair<std::string, std::array<int, 4>>>& inputs);
    // SendToWeb for the window-message handlers and the retry timer: a
    // reply that cannot be handed to the bridge is logged, and the handler
    // goes on; nothing raised there may reach the message loop.
    void ReportToWeb(int code, int operate, std::string msg, int uid);

    // Site key -> "rtmp://<ingest host>/live/%s/%s".
    std::map<std::string, std::string> m_pushurlmap;
    // (device ID, display name in the ANSI code page), in the SDK's order.
    std::vector<std::pair<std::string, std::string>> m_audiodevices;
    std::vector<std::pair<std::string, std::string>> m_videodevices;
    std::unique_ptr<CLiveLianmaiCallBack> m_callback;
    std::string m_outpath;   // solo push URL with its secret
    std::string m_cdntarget; // URL last given to SetCDNPublishTarget
    int m_uid = 0;
    int m_peeruid = 0;       // co-host partner, 0 when none
    int m_width = 0;
    int m_height = 0;
    int m_fps = 0;
    int m_bitrate = 0;       // bit/s
    std::string m_stream;    // stream name
    std::string m_siteid;
    std::string m_loginjson; // last login message that parsed
    std::string m_lianmaisecret;
    bool m_islianmai = false;
    bool m_reportsolo = true; // next publish success is reported with code 1
    std::string m_mixurl;
    std::string m_streamid;     // uid_uid
    std::string m_ownstreamid;  // uid_partner
    std::string m_peerstreamid; // partner_uid
    bool m_mixpending = false;
    bool m_peerplaying = false;
    int m_playretry = 0;
    // Retry timers created and not yet stopped.
    int m_retrytimers = 0;
};

// The one controller; null until the main window has created it. Connection
// threads read it, so it is atomic.
extern std::atomic<CLiveLianmai*> g_pLiveLianmai;
