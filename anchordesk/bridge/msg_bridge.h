#pragma once

#include <string>

// The one object through which JSON text crosses between the page and the
// streaming controller.
//
// Inbound (session threads, several at once): WSMessage converts a received
// message from UTF-8 to the ANSI code page, logs it, parses it leniently and
// hands its "code" and the converted text to the controller's dispatcher.
// Outbound (any thread): SendWebMsg wraps four values into the envelope and
// hands it to the current connection, without waiting for the network.
class CMsgBridge {
public:
    // Created on first use, from any thread; lives until the process ends.
    static CMsgBridge* GetInstance();

    // One complete received message. Text that is not JSON is answered with
    // the "Json error" envelope. A "code" of an unusable type (or a root
    // that is not an object) raises the JSON library's error to the
    // session, as does a payload member of the wrong type met by the
    // dispatcher. Before the controller exists the command is logged and
    // dropped.
    void WSMessage(std::string text);

    // Queues {"code","msg","operate","uid"} for the current connection and
    // returns. When no connection is open the message is logged and
    // dropped. Never raises for network reasons: a failed write ends the
    // connection's session instead.
    void SendWebMsg(int code, int operate, std::string msg, int uid);

    // The page's connection is gone: the controller stops everything. Does
    // nothing before the controller exists.
    void WSClose();

private:
    CMsgBridge() = default;
    ~CMsgBridge() = default;
    CMsgBridge(const CMsgBridge&) = delete;
    CMsgBridge& operator=(const CMsgBridge&) = delete;
};
