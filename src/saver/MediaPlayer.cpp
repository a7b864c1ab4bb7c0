#include "saver/MediaPlayer.h"

#include "qv/Errors.h"

namespace vis {

TMediaPlayer::TMediaPlayer(MediaDevice& device) : device_(device) {
    device_.onNotify = [this] {
        if (OnNotify) OnNotify();
    };
}

TMediaPlayer::~TMediaPlayer() {
    if (open_) {
        try {
            device_.Close();
        } catch (const Exception&) {
            // Program end: nobody is left to report it to.
        }
    }
    device_.onNotify = nullptr;
}

void TMediaPlayer::CheckOpen() const {
    if (!open_) throw EMCIDeviceError("MCI ﾃﾞﾊﾞｲｽがありません");
}

void TMediaPlayer::Open() {
    if (open_) Close();
    device_.Open(FileName);
    open_ = true;
}

void TMediaPlayer::Play() {
    CheckOpen();
    device_.Play();
}

void TMediaPlayer::Close() {
    CheckOpen();
    device_.Close();
    open_ = false;
}

std::int64_t TMediaPlayer::TrackLength(int track) {
    CheckOpen();
    return device_.TrackLength(track);
}

std::int64_t TMediaPlayer::Position() {
    CheckOpen();
    return device_.Position();
}

} // namespace vis
