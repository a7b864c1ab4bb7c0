#pragma once
// The saver window on Qt: a frameless black window covering the primary monitor (or, as an xscreensaver
// hack, a native child filling the window it was given). It shows the core's screen bitmap without copying
// it, turns Qt's input and activation events into the window's handlers, and runs the frame timer from a
// single-shot timer armed for the next due tick, so the loop sleeps between ticks. Every other monitor gets
// a black cover window whose input counts as the saver window's own.
#include "platform/SaverWindow.h"
#include "platform/qt/HostLayout.h"
#include "platform/qt/X11Window.h"

#include <QTimer>
#include <QWidget>

class QKeyEvent;
class QMouseEvent;
class QPainter;
class QSocketNotifier;

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vis {

class Application;
class SteadyClock;
class SaverSession;

class QtSaverWindow : public QWidget, public SaverWindow {
    Q_OBJECT
  public:
    struct Options {
        // Non-zero: the X window to draw into (xscreensaver's window or the root window).
        WId host = 0;
        // The frame timer polled whenever the event queue is empty, as the classic idle loop does; for
        // measuring what sleeping saves.
        bool spin = false;
        // When set, each tick appends "due_us actual_us took_us state" to this file: when it was due and when
        // it ran (monotonic clock), how long it took, and the state it found (0: it loaded a picture pair).
        std::string tickLog;
        // Off: every load decodes its pictures in its own tick, for measuring what decoding ahead saves.
        bool decodeAhead = true;
        // Off: frames are painted through Qt even where the X server could share their memory, for comparison.
        bool sharedMemory = true;
        // The random generator's seed instead of the clock: runs that show the same pictures and effects, for
        // comparing two of them.
        std::optional<std::uint64_t> seed;
    };
    // VISTRELLE_LOOP=spin, VISTRELLE_TICK_LOG, VISTRELLE_DECODE_AHEAD=0, VISTRELLE_SHM=0 and VISTRELLE_SEED (a
    // decimal number); the host is the caller's to set.
    static Options FromEnvironment();

    QtSaverWindow(Application& app, SteadyClock& clock, Options options);
    ~QtSaverWindow() override;

    // The slideshow this window shows; set before anything else is called.
    void Attach(SaverSession& session);
    // Starts the session (creation, show handler), shows the window and lets the loop run.
    void CreateAndShow();
    // A close request from outside (a termination signal, the window system).
    void RequestClose();
    // Shows the window black before the show may start (a hack copy waiting for the guard).
    void ShowBlank();
    bool LoopEnded() const { return loopEnded_; }
    // Runs as the loop ends, before the windows go: whoever sees them gone finds the guard free.
    void OnLoopEnd(std::function<void()> f) { onLoopEnd_ = std::move(f); }
    // Inside a host window: where the show appears and whether it is scaled down (a preview).
    const HostLayout& Layout() const { return layout_; }

    // SaverWindow
    std::int32_t ScreenWidth() const override;
    std::int32_t ScreenHeight() const override;
    void SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) override;
    std::uint32_t* ScreenStorage(std::int32_t width, std::int32_t height) override;
    // Painted by the X server straight from the shared screen bitmap when there is one: no paint engine then.
    QPaintEngine* paintEngine() const override;
    void ShowCursor(bool show) override;
    void StayOnTop() override;
    void DisableIme() override;
    void EndLoop() override;

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    // Input on the cover windows.
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    // Runs a call into the session, then arms the wake-up for the next tick.
    template <class F> void Handle(F&& call);
    void OnFrameTimer();
    void Rearm();
    void ArmAt(std::int64_t dueMs);
    void Disarm();
    void OnApplicationState(Qt::ApplicationState state);
    void GrabInput();
    void KeyDown(const QKeyEvent& e);
    void MouseDown(const QMouseEvent& e, QPoint at);
    void MouseMove(const QMouseEvent& e, QPoint at);
    void CoverOtherMonitors();
    // The window area that shows a rectangle of the screen bitmap.
    QRect WindowRect(const Rect& r) const;
    void PaintPreview(QPainter& painter, const QRegion& region);

    Application& app_;
    SteadyClock& clock_;
    Options options_;
    SaverSession* session_ = nullptr;
    // The wake-up for the next tick: a timerfd set to the due millisecond on the monotonic clock (Qt's
    // timers count whole milliseconds from the moment they are started, which adds up to one more), or a
    // precise Qt timer where there is no timerfd, and for the spinning loop.
    int timerFd_ = -1;
    QSocketNotifier* timerNotifier_ = nullptr;
    QTimer frameTimer_;
    QTimer grabRetry_;
    int grabAttempts_ = 0;
    bool onTop_ = false;
    bool cursorHidden_ = false;
    bool loopEnded_ = false;
    QSize screenSize_;
    // In a host window: the window's size and where the show goes in it.
    QSize hostSize_;
    HostLayout layout_;
    // Where the primary monitor lies on the desktop: the core places the window at (0, 0) of it.
    QPoint screenOrigin_;
    std::vector<std::unique_ptr<QWidget>> covers_;
    // The screen bitmap's pixels, shared with the X server (not for a scaled preview).
    std::unique_ptr<X11SharedImage> shared_;
    std::function<void()> onLoopEnd_;
    std::int64_t dueMs_ = 0;
    std::unique_ptr<std::ofstream> tickLog_;
};

} // namespace vis
