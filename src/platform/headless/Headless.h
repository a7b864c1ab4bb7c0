#pragma once
// The headless shell, for tests and the renderer: an in-memory platform (a virtual clock, a window that only
// records, an error box that collects messages, a scripted music device and recorded system settings) and
// HeadlessRun, which drives SaverSession on the virtual clock straight from one due tick to the next.
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/InstanceGuard.h"
#include "platform/MediaDevice.h"
#include "platform/SaverWindow.h"
#include "platform/Shell.h"
#include "platform/SystemSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vis {

class VirtualClock : public Clock {
  public:
    explicit VirtualClock(std::uint32_t start = 0) : now_(start) {}
    std::uint32_t NowMs() override { return now_; }
    std::uint32_t Now() const { return now_; }
    void Advance(std::uint32_t ms) { now_ += ms; }
    void Set(std::uint32_t ms) { now_ = ms; }

  private:
    std::uint32_t now_;
};

class HeadlessApplication : public Application {
  public:
    void SetTitle(const std::string& title) override { title_ = title; }
    std::string Title() const override { return title_; }
    void ShowError(const std::string& message) override { errors.push_back(message); }
    bool IsActive() const override { return active; }

    bool active = true;
    std::vector<std::string> errors;

  private:
    std::string title_;
};

class HeadlessWindow : public SaverWindow {
  public:
    HeadlessWindow(std::int32_t width, std::int32_t height) : width_(width), height_(height) {}
    std::int32_t ScreenWidth() const override { return width_; }
    std::int32_t ScreenHeight() const override { return height_; }
    void SetBounds(std::int32_t l, std::int32_t t, std::int32_t w, std::int32_t h) override {
        bounds = {l, t, l + w, t + h};
    }
    void ShowCursor(bool show) override {
        cursorVisible = show;
        ++cursorCalls;
    }
    void StayOnTop() override { onTop = true; }
    void DisableIme() override { imeDisabled = true; }
    void EndLoop() override { ++endLoopCalls; }

    Rect bounds;
    bool cursorVisible = true;
    int cursorCalls = 0;
    bool onTop = false;
    bool imeDisabled = false;
    int endLoopCalls = 0;

  private:
    std::int32_t width_, height_;
};

class RecordingSystemSettings : public SystemSettings {
  public:
    void SetScreenSaverActive(bool active) override { activeCalls.push_back(active); }
    bool RecordActiveSaver(const std::string& path) override {
        recordedSavers.push_back(path);
        return recordResult;
    }
    std::vector<bool> activeCalls;
    std::vector<std::string> recordedSavers;
    bool recordResult = true;
};

class RecordingShell : public Shell {
  public:
    struct Call {
        std::string file, parameters, folder;
        int show;
    };
    std::intptr_t Open(const std::string& file, const std::string& parameters, const std::string& folder,
                       int showCommand) override {
        calls.push_back({file, parameters, folder, showCommand});
        return 42;
    }
    std::vector<Call> calls;
};

// A music device whose pieces have a fixed length in milliseconds and that plays along a virtual clock.
// Given the clock, every request first catches playback up to the clock's time, so a play counts only from
// the moment it was requested; without it, call Update whenever the clock moves.
class ScriptedMediaDevice : public MediaDevice {
  public:
    explicit ScriptedMediaDevice(Clock* clock = nullptr) : clock_(clock) {}
    void Open(const std::string& file) override;
    void Play() override;
    void Close() override;
    std::int64_t TrackLength(int track) override;
    std::int64_t Position() override;
    // Advances playback to the clock's time and delivers the completion notice when the piece ended.
    void Update(std::uint32_t nowMs);
    // Milliseconds of the piece still to play at the last update; nullopt when nothing plays.
    std::optional<std::uint32_t> MsUntilEnd() const;

    std::int64_t pieceLengthMs = 2000;
    std::string failOpenWith; // when set, Open raises this text
    bool isOpen = false;
    int opens = 0, plays = 0, closes = 0;
    std::string openedFile;

  private:
    void CatchUp(std::uint32_t nowMs);
    void CatchUpToClock();
    Clock* clock_;
    std::int64_t position_ = 0;
    bool playing_ = false;
    std::uint32_t lastUpdate_ = 0;
    bool haveUpdate_ = false;
};

class MemoryInstanceGuard : public InstanceGuard {
  public:
    explicit MemoryInstanceGuard(bool heldElsewhere = false) : heldElsewhere_(heldElsewhere) {}
    bool TryAcquire() override {
        ++attempts;
        return !heldElsewhere_;
    }
    int attempts = 0;

  private:
    bool heldElsewhere_;
};

} // namespace vis
