#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace vis {

// One open music device, the MCI sequencer's requests. Errors are raised as EMCIDeviceError with the
// system's text ("原因不明のｴﾗｰ" when it has none).
class MediaDevice {
  public:
    virtual ~MediaDevice() = default;
    // MCI_OPEN of the file with no device type; waits.
    virtual void Open(const std::string& file) = 0;
    // MCI_PLAY from the current position, asynchronous; when it completes (or is cut short) the device
    // calls the completion callback on the user-interface thread.
    virtual void Play() = 0;
    // MCI_CLOSE; waits.
    virtual void Close() = 0;
    virtual std::int64_t TrackLength(int track) = 0;
    virtual std::int64_t Position() = 0;
    // Set by the media player: called for every completion notice (MM_MCINOTIFY).
    std::function<void()> onNotify;
};

} // namespace vis
