#pragma once

#include <windows.h>

#include <string>

// The application object: one static instance, constructed before the entry
// point runs. InitInstance brings the program up in a fixed order and
// returns FALSE once the one window of the run has closed, which ends the
// process.
class CLiveToolApp {
public:
    CLiveToolApp();
    ~CLiveToolApp();

    BOOL InitInstance();

    int m_serverVer[4] = {0, 0, 0, 0};  // newest version on the download server
    int m_curVer[4] = {0, 0, 0, 0};     // running version
    std::string m_strServerVer;         // the server's version text, as shown to the user
};

extern CLiveToolApp theApp;
