#pragma once

#include <afx/afx.h>

#include <string>

// The application object: one static instance, constructed before the entry
// point runs. InitInstance brings the program up in a fixed order and
// returns FALSE once the one window of the run has closed, so that the
// framework runs no loop of its own and the process ends.
class CLiveToolApp : public CWinApp {
public:
    CLiveToolApp();
    ~CLiveToolApp() override;

    BOOL InitInstance() override;

    // Asks the download server for the newest version; true when it is newer
    // than the running one (compared component by component).
    bool CheckUpdate();

    int m_serverVer[4] = {0, 0, 0, 0};  // newest version on the download server
    int m_curVer[4] = {0, 0, 0, 0};     // running version
    std::string m_strServerVer;         // the server's version text, as shown to the user

    DECLARE_MESSAGE_MAP()
};

extern CLiveToolApp theApp;
