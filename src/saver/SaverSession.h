#pragma once
// The loop contract between the slideshow and a shell. A shell creates the session over its platform, starts
// it, hands it input, activation and the music's notices, and calls Tick when the wait it was last given is
// over (the way an xscreensaver hack's draw call returns its delay). Tick runs the frame timer's idle check
// and says whether a tick ran, what it drew and how long the shell may sleep. Every handler runs through
// Dispatch, so an error goes to the application's error box and the show goes on; a call that arrives while
// a handler runs (a modal error box runs a nested loop) waits.
#include "gfx/Geometry.h"
#include "saver/Unqv.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace vis {

struct SaverTick {
    bool ran = false; // the frame timer fired: one step of the slideshow ran
    Rect drawn;       // the window area that step changed; empty when it drew nothing
    // Milliseconds until Tick is due again (0: at once); none while the timer waits for the activation.
    std::optional<std::uint32_t> dueInMs;
};

class SaverSession {
  public:
    explicit SaverSession(const SaverPlatform& platform);
    ~SaverSession();
    SaverSession(const SaverSession&) = delete;
    SaverSession& operator=(const SaverSession&) = delete;

    TFmqv& Form() { return *form_; }
    const TFmqv& Form() const { return *form_; }

    // The window's creation as every shell does it: FormCreate, FormShow (an error box it raises, such as a
    // missing sound device, comes before the window appears), then showWindow makes the window visible, then
    // the application's activation as it appears. A close asked for on the way skips the rest.
    void Start(const std::function<void()>& showWindow = {});
    SaverTick Tick();
    // When Tick is next due, without running it.
    std::optional<std::uint32_t> DueInMs();

    // The application became active (true) or inactive: the frame timer ticks only while it is active.
    void SetActive(bool active);
    void KeyDown(int key, int shift);
    void MouseDown(int button, int shift, int x, int y);
    // Positions in the saver window's coordinates; see TFmqv::FormMouseMove for which moves count.
    void MouseMove(int shift, int x, int y);
    // A close from outside the saver: the window system's close button, a termination signal.
    void RequestClose();
    // Any other handler, run the same way (the music device's notices already are).
    void Handle(const std::function<void()>& handler);

    // The window has closed: the shell ends its loop.
    bool Closed() const { return form_->Closing(); }
    // A handler is running (or its error box is open).
    bool Busy() const { return depth_ > 0; }

  private:
    Application& app_;
    MediaDevice& media_;
    std::unique_ptr<TFmqv> form_;
    int depth_ = 0;
};

} // namespace vis
