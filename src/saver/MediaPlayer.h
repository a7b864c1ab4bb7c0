#pragma once
// The saver window's invisible media player: file name, open device and the notify switch, over one
// platform music device; a play request always reports its completion. Requests without an open device raise "MCI
// ﾃﾞﾊﾞｲｽがありません".
#include "platform/MediaDevice.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vis {

class TMediaPlayer {
  public:
    explicit TMediaPlayer(MediaDevice& device);
    // Destroyed with the window at program end: closes a device that is still open.
    ~TMediaPlayer();
    TMediaPlayer(const TMediaPlayer&) = delete;
    TMediaPlayer& operator=(const TMediaPlayer&) = delete;

    std::string FileName;
    std::function<void()> OnNotify;

    void Open();
    void Play();
    void Close();
    std::int64_t TrackLength(int track);
    std::int64_t Position();
    bool DeviceOpen() const { return open_; }

  private:
    void CheckOpen() const;
    MediaDevice& device_;
    bool open_ = false;
};

} // namespace vis
