#pragma once
// The installer role on Windows: TFmInst's window ("Install Screen Saver", "Screen Saver Installed.", OK).
#include "platform/Roles.h"

namespace vis {

class Win32Application;

// Installs while the window is created, shows it until it closes (screen saver on, readme opened); the status
// is the message loop's exit code.
RoleResult RunInstallerRole(Win32Application& app, const RoleStart& start);

} // namespace vis
