#pragma once
#include <string>

namespace vis {

// The desktop's own screen-saver settings.
class SystemSettings {
  public:
    virtual ~SystemSettings() = default;
    // Switches the system's screen saver on or off, in the user's stored settings too.
    virtual void SetScreenSaverActive(bool active) = 0;
    // Records the program at path as the active screen saver; false when that could not be written.
    virtual bool RecordActiveSaver(const std::string& path) = 0;
};

} // namespace vis
