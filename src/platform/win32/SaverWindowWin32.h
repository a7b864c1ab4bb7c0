#pragma once
// The saver role on Windows: the full-screen popup window that hosts TFmqv, and its message loop.
#include "platform/win32/Win32Application.h"

#include <string>

namespace vis {

// Creates the saver window, runs the slideshow until the window closes, and returns the loop's exit code.
int RunSaverRole(Win32Application& app, const std::string& programPath);

} // namespace vis
