#pragma once
// The saver window on the headless platform, run the way a shell's message loop runs it but on a virtual
// clock that jumps straight to the next event: the frame timer's next due tick or the end of the music
// piece. Every handler call goes through Dispatch, so errors land in the recorded error box and the run
// goes on, and every tick is recorded.
#include "gfx/Geometry.h"
#include "platform/headless/Headless.h"
#include "saver/SaverSession.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vis {

struct HeadlessRunOptions {
    std::string programPath = "/saver/Saver.scr";
    PathStyle style = PathStyle::Posix;
    // Used as the data folder instead of the one derived from programPath (see SaverPlatform).
    std::optional<std::string> dataFolder;
    bool leaveDataFolderAlone = false;
    bool decodeAhead = true;
    // Before each tick, waits for the pictures being decoded ahead, as a real display time lets them finish:
    // the loads then take the same pictures ready in every run.
    bool awaitDecodesAhead = false;
    std::int32_t screenWidth = 640;
    std::int32_t screenHeight = 480;
    std::optional<std::uint64_t> seed = 1;
    // The clock's reading when the window is created; lets a run cross the 32-bit wrap.
    std::uint32_t clockStart = 0;
    std::int64_t musicLengthMs = 2000;
};

// One tick as the run saw it.
struct HeadlessTick {
    std::uint32_t t = 0;              // milliseconds since the window was created
    int state = 0;                    // SlideState before the tick
    std::int32_t picture = 0;         // PictureNo after the tick
    std::optional<std::int32_t> next; // the number of the picture in NextPicture; none before the first load
    std::optional<int> effect;        // EffectNo; none before the first pick
    std::int32_t step = 0;            // EffectStep after the tick
    std::int32_t interval = 0;        // Timer1's interval after the tick
    Rect drawn;                       // the window rectangle the tick changed; empty when it drew nothing
};

struct HeadlessError {
    std::uint32_t t = 0;
    std::string message;
};

class HeadlessRun {
  public:
    explicit HeadlessRun(const HeadlessRunOptions& options = {});
    ~HeadlessRun();
    HeadlessRun(const HeadlessRun&) = delete;
    HeadlessRun& operator=(const HeadlessRun&) = delete;

    VirtualClock clock;
    HeadlessApplication app;
    HeadlessWindow window;
    RecordingSystemSettings system;
    ScriptedMediaDevice media;

    TFmqv& Fmqv() { return session_->Form(); }
    SaverSession& Session() { return *session_; }
    // Milliseconds since the window was created (wrap-safe).
    std::uint32_t Elapsed() const;
    // The window's loop has ended (the window closed).
    bool Ended() const { return window.endLoopCalls > 0; }

    // Creation as the shell does it: FormCreate, FormShow, then the application's activation as the window
    // appears.
    void Open();
    // Handles the next event if it comes at or before `until` (elapsed time): the clock jumps to it. False
    // when there is none by then (the loop has ended, or nothing is due).
    bool RunNext(std::uint32_t until);
    // Handles every event up to `until` and leaves the clock there (unless the loop ended first).
    void RunUntil(std::uint32_t until);

    // Input and activation at the current time.
    void SetActive(bool active);
    void KeyDown(int key = 'A');
    void MouseDown();
    void MouseMove(int x = 0, int y = 0);

    std::vector<HeadlessTick> ticks;
    std::vector<HeadlessError> errors;
    // Called after each recorded tick and each recorded error box.
    std::function<void(const HeadlessTick&)> onTick;
    std::function<void(const HeadlessError&)> onError;

  private:
    // Runs a call into the session and records the error boxes it raised.
    template <class Call> void Record(Call&& call);
    void Tick();
    void MoveClockTo(std::uint32_t elapsed);

    std::uint32_t start_;
    bool awaitDecodesAhead_;
    std::unique_ptr<SaverSession> session_;
    std::optional<std::int32_t> nextShown_;
    std::uint32_t sameMsTicks_ = 0;
    std::uint32_t lastTickAt_ = 0;
};

} // namespace vis
