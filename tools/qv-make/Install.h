#pragma once
// qv-make --install: the installer role run on a freshly made data folder, without its window.
#include <string>

namespace vis::make {

struct InstallReport {
    std::string saverPath;  // DEST/NAME.SCR
    std::string configPath; // the xscreensaver file the saver was recorded in
};

// Puts program into dataFolder as install.exe and runs the installer's own installation (TFmInst's
// FormCreate) on it: the program is copied to NAME.SCR beside the velloran folder and recorded as the selected
// saver in configPath (~/.xscreensaver when empty). The installer copy is removed afterwards, also on failure.
// Raises MakeError naming what failed.
InstallReport InstallSaver(const std::string& dataFolder, const std::string& program,
                           const std::string& configPath = {});

} // namespace vis::make
