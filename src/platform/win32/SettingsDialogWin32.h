#pragma once
// The settings role on Windows: TFmSetting's window built from the standard controls.
#include "platform/win32/Win32Application.h"

#include <string>

namespace vis {

// Creates the settings dialog, runs it until it closes and returns the loop's exit code.
int RunSettingsRole(Win32Application& app, const std::string& programPath);

} // namespace vis
