#pragma once
// Recording the installed saver as xscreensaver's one screen saver, in the user's ~/.xscreensaver.
//
// The file is a list of "key: value" resources; a line ending in "\" continues on the next, and the value of
// "programs" lists one command per "\n". The installer makes sure its saver is listed (enabled) there, selects
// it by its index ("selected") and sets "mode: one". Every other line and every other entry stays as it was;
// a running xscreensaver notices the changed file by itself.
#include "platform/SystemSettings.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vis {

constexpr const char* kXscreensaverDefaultsFile = "/etc/X11/app-defaults/XScreenSaver";

// The "programs" entry for the saver at saverPath: "\"Vistrelle NAME\" PATH -root", NAME the file name
// without ".SCR", PATH quoted for the shell when it needs it. Empty when the path cannot be written into the
// file (a backslash or a control character in it).
std::string XscreensaverEntry(const std::string& saverPath);

// The entries of the "programs" (or "*programs") resource of a file's text, each trimmed, in order.
std::vector<std::string> XscreensaverPrograms(const std::string& fileText);

// The file's new text with the saver listed, enabled and selected in mode "one". For a file that had no
// "programs" yet, the list starts from those of defaultsText (the system's xscreensaver defaults), so the other
// savers stay available. nullopt when the saver path cannot be written (see XscreensaverEntry).
std::optional<std::string> WithSaverSelected(const std::string& fileText, const std::string& defaultsText,
                                             const std::string& saverPath);

// Reads configPath (following a link to the real file), changes it as above and writes it back through a
// temporary file renamed over it, keeping its permissions. False when anything failed; the old file is then
// untouched. A file that exists but cannot be read is never replaced.
bool RecordXscreensaverSaver(const std::string& configPath, const std::string& defaultsPath,
                             const std::string& saverPath);

// $HOME/.xscreensaver (the password database's home folder when HOME is unset).
std::string XscreensaverConfigPath();

// The desktop's screen-saver settings as the installer changes them: the active saver is recorded in the
// xscreensaver file; switching the screen saver on or off is the window system's part, handed in by the shell.
class XscreensaverSettings : public SystemSettings {
  public:
    XscreensaverSettings(std::string configPath, std::string defaultsPath, std::function<void(bool)> switchSaver)
        : configPath_(std::move(configPath)), defaultsPath_(std::move(defaultsPath)),
          switchSaver_(std::move(switchSaver)) {}
    void SetScreenSaverActive(bool active) override {
        if (switchSaver_) switchSaver_(active);
    }
    bool RecordActiveSaver(const std::string& path) override {
        return RecordXscreensaverSaver(configPath_, defaultsPath_, path);
    }
    const std::string& ConfigPath() const { return configPath_; }

  private:
    std::string configPath_, defaultsPath_;
    std::function<void(bool)> switchSaver_;
};

} // namespace vis
