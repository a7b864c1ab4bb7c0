#pragma once
// The saver role on Windows: the full-screen popup window that hosts TFmqv, and its message loop.
#include "platform/Roles.h"
#include "platform/win32/Win32Application.h"

namespace vis {

// Creates the saver window and runs the slideshow until the window closes; the status is the loop's exit code.
RoleResult RunSaverRole(Win32Application& app, const RoleStart& start);

} // namespace vis
