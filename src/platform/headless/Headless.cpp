#include "platform/headless/Headless.h"

#include "qv/Errors.h"

#include <algorithm>

namespace vis {

void ScriptedMediaDevice::CatchUp(std::uint32_t nowMs) {
    if (haveUpdate_ && playing_)
        position_ = std::min<std::int64_t>(position_ + static_cast<std::int32_t>(nowMs - lastUpdate_), pieceLengthMs);
    lastUpdate_ = nowMs;
    haveUpdate_ = true;
}

void ScriptedMediaDevice::CatchUpToClock() {
    if (clock_) CatchUp(clock_->NowMs());
}

void ScriptedMediaDevice::Open(const std::string& file) {
    CatchUpToClock();
    if (!failOpenWith.empty()) throw EMCIDeviceError(failOpenWith);
    isOpen = true;
    ++opens;
    openedFile = file;
    position_ = 0;
    playing_ = false;
}

void ScriptedMediaDevice::Play() {
    CatchUpToClock();
    ++plays;
    playing_ = true;
}

void ScriptedMediaDevice::Close() {
    CatchUpToClock();
    ++closes;
    isOpen = false;
    playing_ = false;
}

std::int64_t ScriptedMediaDevice::TrackLength(int) {
    return pieceLengthMs;
}

std::int64_t ScriptedMediaDevice::Position() {
    CatchUpToClock();
    return position_;
}

void ScriptedMediaDevice::Update(std::uint32_t nowMs) {
    const bool wasPlaying = playing_;
    CatchUp(nowMs);
    if (wasPlaying && position_ >= pieceLengthMs) {
        playing_ = false;
        if (onNotify) onNotify();
    }
}

std::optional<std::uint32_t> ScriptedMediaDevice::MsUntilEnd() const {
    if (!playing_) return std::nullopt;
    return static_cast<std::uint32_t>(std::max<std::int64_t>(pieceLengthMs - position_, 0));
}

} // namespace vis
