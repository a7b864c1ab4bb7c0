#include "platform/headless/Headless.h"

#include "qv/Errors.h"

#include <algorithm>

namespace vis {

void ScriptedMediaDevice::Open(const std::string& file) {
    if (!failOpenWith.empty()) throw EMCIDeviceError(failOpenWith);
    isOpen = true;
    ++opens;
    openedFile = file;
    position_ = 0;
    playing_ = false;
}

void ScriptedMediaDevice::Play() {
    ++plays;
    playing_ = true;
}

void ScriptedMediaDevice::Close() {
    ++closes;
    isOpen = false;
    playing_ = false;
}

std::int64_t ScriptedMediaDevice::TrackLength(int) { return pieceLengthMs; }

std::int64_t ScriptedMediaDevice::Position() { return position_; }

void ScriptedMediaDevice::Update(std::uint32_t nowMs) {
    if (haveUpdate_ && playing_) {
        position_ = std::min<std::int64_t>(position_ + static_cast<std::int32_t>(nowMs - lastUpdate_), pieceLengthMs);
        if (position_ >= pieceLengthMs) {
            playing_ = false;
            if (onNotify) onNotify();
        }
    }
    lastUpdate_ = nowMs;
    haveUpdate_ = true;
}

} // namespace vis
