#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What the main window asked of the streaming controller, in order.
struct ControllerCall {
  std::string name;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const ControllerCall& o) const {
    return name == o.name && wParam == o.wParam && lParam == o.lParam;
  }
};

extern std::vector<ControllerCall> g_controllerCalls;
