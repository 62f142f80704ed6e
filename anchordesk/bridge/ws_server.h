#pragma once

// The local secure WebSocket server: TLS from "plugin.pem" and "plugin.key"
// in the current directory, listening on 127.0.0.1:23233, one detached
// session thread per accepted connection. Runs for the rest of the process
// on its own detached thread; when set-up fails it writes
// "Error: <step>: <description>" to the standard error stream and ends,
// leaving the program running without a bridge.
void WSServerThread();

// The fixed endpoint.
constexpr const char* kBridgeAddress = "127.0.0.1";
constexpr unsigned short kBridgePort = 23233;
