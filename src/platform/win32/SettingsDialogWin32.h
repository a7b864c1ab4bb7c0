#pragma once
// The settings role on Windows: TFmSetting's window built from the standard controls.
#include "platform/Roles.h"
#include "platform/win32/Win32Application.h"

namespace vis {

// Creates the settings dialog and runs it until it closes; the status is the loop's exit code.
RoleResult RunSettingsRole(Win32Application& app, const RoleStart& start);

} // namespace vis
