#pragma once

#include <string>

// Where the site's download server is. Compiled-in defaults; the section
// [Update] of "conf.ini" may override them with "Host" (the host of the
// version file, port 80) and "InstallerUrl" (the whole installer URL).
std::string VersionFileUrl();
std::string InstallerUrl();

// Fills up to four components from a dotted text ("1.2" gives 1, 2 and leaves
// the others as they are). Each component is converted like atoi: "10\r" is
// 10, "9a" is 9, "a9" is 0. Components beyond the fourth are ignored.
void ParseVersion(const std::string& text, int components[4]);

// True when any component of `current` is below the same component of
// `server`. The comparison deliberately does not stop at a larger component:
// 1.1.0.0 against 1.0.5.0 offers an update.
bool IsUpdateOffered(const int current[4], const int server[4]);

// Fetches a small body over HTTP (port 80) and returns all of it, up to the
// length the server announced; empty on any failure before the body.
std::string HttpGet(const std::string& url);

// The whole start-up check: reads the running version, fetches the version
// file, removes its last byte, parses both, logs them and compares.
bool CheckForNewerVersion(int currentVersion[4], int serverVersion[4], std::string& serverVersionText);
