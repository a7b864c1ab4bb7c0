#pragma once
// The system's screen saver on X11: suspended through the screen-saver extension while the saver runs.
// The suspension belongs to this client's connection, so the X server lifts it if the process dies.
#include "platform/SystemSettings.h"

#include <string>

namespace vis {

class X11ScreenSaver : public SystemSettings {
  public:
    // display is the application's X connection (Display*); null (another platform, or running as a hack
    // inside the system's own saver) makes the switch do nothing.
    explicit X11ScreenSaver(void* display);
    ~X11ScreenSaver() override;
    X11ScreenSaver(const X11ScreenSaver&) = delete;
    X11ScreenSaver& operator=(const X11ScreenSaver&) = delete;

    void SetScreenSaverActive(bool active) override;
    // The saver never records itself; installing is the installer's business.
    bool RecordActiveSaver(const std::string& path) override;

    bool Suspended() const { return suspended_; }

  private:
    void* display_;
    bool available_ = false;
    bool suspended_ = false;
};

} // namespace vis
