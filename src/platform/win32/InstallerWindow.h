#pragma once
// The installer role on Windows: TFmInst's window ("Install Screen Saver", "Screen Saver Installed.", OK).
#include "platform/Application.h"

#include <string>

namespace vis {

// Installs while the window is created, shows it until it closes (screen saver on, readme opened), and returns
// the message loop's exit code. app is the program's Win32Application.
int RunInstallerRoleWin32(const std::string& programPath, Application& app);

} // namespace vis
