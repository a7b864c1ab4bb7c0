#pragma once
// The music device over MCI: the sequencer picked by the file's extension, completion notices as
// MM_MCINOTIFY to the saver window, whose procedure hands them to Notified().
#include "platform/MediaDevice.h"
#include "platform/win32/Win32.h"

#include <mmsystem.h>

namespace vis {

class MciMediaDevice : public MediaDevice {
  public:
    MciMediaDevice() = default;
    ~MciMediaDevice() override;
    MciMediaDevice(const MciMediaDevice&) = delete;
    MciMediaDevice& operator=(const MciMediaDevice&) = delete;

    // The window that receives the completion notices of play requests.
    void SetNotifyWindow(HWND window) { window_ = window; }

    void Open(const std::string& file) override;
    void Play() override;
    void Close() override;
    std::int64_t TrackLength(int track) override;
    std::int64_t Position() override;

    // MM_MCINOTIFY arrived at the notify window.
    void Notified();

  private:
    HWND window_ = nullptr;
    MCIDEVICEID device_ = 0;
};

// The system's text for an MCI error code, or the runtime's text when the system has none.
std::string MciErrorText(MCIERROR code);

} // namespace vis
