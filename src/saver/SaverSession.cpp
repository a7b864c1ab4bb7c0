#include "saver/SaverSession.h"

#include "qv/Dispatch.h"

namespace vis {

SaverSession::SaverSession(const SaverPlatform& platform)
    : app_(platform.app), media_(platform.media), form_(std::make_unique<TFmqv>(platform)) {
    // The music device's notices reach the player like any other handler call.
    media_.onNotify = [this, notify = std::move(media_.onNotify)] {
        if (notify) Handle(notify);
    };
}

SaverSession::~SaverSession() {
    form_.reset();
    media_.onNotify = nullptr;
}

void SaverSession::Handle(const std::function<void()>& handler) {
    ++depth_;
    Dispatch(app_, handler);
    --depth_;
}

void SaverSession::Start(const std::function<void()>& showWindow) {
    Handle([this] { form_->FormCreate(); });
    if (Closed()) return;
    Handle([this] { form_->FormShow(); });
    if (Closed()) return;
    if (showWindow) showWindow();
    SetActive(true);
}

SaverTick SaverSession::Tick() {
    SaverTick result;
    if (!Busy() && !Closed()) {
        const std::uint64_t ticksBefore = form_->Timer1.TickCount();
        Handle([this] { form_->Timer1.PollClock(); });
        // A tick whose handler failed still ran (and was reported).
        result.ran = form_->Timer1.TickCount() != ticksBefore;
        result.drawn = form_->TakeDrawn();
    }
    result.dueInMs = DueInMs();
    return result;
}

std::optional<std::uint32_t> SaverSession::DueInMs() {
    if (Closed()) return std::nullopt;
    return form_->Timer1.MsUntilDue();
}

void SaverSession::SetActive(bool active) {
    Handle([this, active] { form_->Timer1.WatchActivation(active); });
}

void SaverSession::KeyDown(int key, int shift) {
    Handle([this, key, shift] { form_->FormKeyDown(key, shift); });
}

void SaverSession::MouseDown(int button, int shift, int x, int y) {
    Handle([this, button, shift, x, y] { form_->FormMouseDown(button, shift, x, y); });
}

void SaverSession::MouseMove(int shift, int x, int y) {
    Handle([this, shift, x, y] { form_->FormMouseMove(shift, x, y); });
}

void SaverSession::RequestClose() {
    Handle([this] { form_->Close(); });
}

} // namespace vis
