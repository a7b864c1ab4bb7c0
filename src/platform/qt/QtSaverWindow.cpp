#include "platform/qt/QtSaverWindow.h"

#include "platform/qt/InputMapping.h"
#include "platform/qt/SteadyClock.h"
#include "platform/qt/X11Window.h"
#include "saver/SaverSession.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QSocketNotifier>
#include <QWindow>

#include <sys/timerfd.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace vis {

namespace {
constexpr int kGrabRetryMs = 50;
constexpr int kGrabAttempts = 40;

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// The screen's pixels as an image, without a copy.
QImage ScreenAsImage(const ScreenImage& screen) {
    return QImage(screen.Bits(), screen.Width(), screen.Height(), static_cast<qsizetype>(screen.Stride()),
                  QImage::Format_RGB32);
}
} // namespace

QtSaverWindow::Options QtSaverWindow::FromEnvironment() {
    Options o;
    const char* loop = std::getenv("VISTRELLE_LOOP");
    o.spin = loop && std::string(loop) == "spin";
    if (const char* log = std::getenv("VISTRELLE_TICK_LOG")) o.tickLog = log;
    const auto switchedOff = [](const char* name) {
        const char* v = std::getenv(name);
        return v && std::string_view(v) == "0";
    };
    o.decodeAhead = !switchedOff("VISTRELLE_DECODE_AHEAD");
    o.sharedMemory = !switchedOff("VISTRELLE_SHM");
    if (const char* seed = std::getenv("VISTRELLE_SEED")) {
        const std::string_view text(seed);
        std::uint64_t n = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
        if (ec == std::errc{} && end == text.data() + text.size()) o.seed = n;
    }
    return o;
}

QtSaverWindow::QtSaverWindow(Application& app, SteadyClock& clock, Options options)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), app_(app), clock_(clock), options_(std::move(options)) {
    setWindowTitle(QStringLiteral("Fmqv"));
    // Everything on the window comes from the screen bitmap: no background erase between paints.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    frameTimer_.setSingleShot(true);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, [this] { OnFrameTimer(); });
    timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timerFd_ >= 0) {
        timerNotifier_ = new QSocketNotifier(timerFd_, QSocketNotifier::Read, this);
        connect(timerNotifier_, &QSocketNotifier::activated, this, [this] {
            std::uint64_t expirations = 0;
            if (::read(timerFd_, &expirations, sizeof expirations) > 0) OnFrameTimer();
        });
    }
    grabRetry_.setInterval(kGrabRetryMs);
    connect(&grabRetry_, &QTimer::timeout, this, [this] { GrabInput(); });
    if (!options_.tickLog.empty()) tickLog_ = std::make_unique<std::ofstream>(options_.tickLog, std::ios::trunc);

    if (options_.host) {
        // A native child of the foreign window: the drawing lands in the window the system's saver shows.
        setAttribute(Qt::WA_NativeWindow);
        if (QWindow* host = QWindow::fromWinId(options_.host)) {
            winId();
            windowHandle()->setParent(host);
        }
        // Qt reports a foreign window as 0 x 0; the X server knows its size and place.
        QRect host;
        int x = 0, y = 0, width = 0, height = 0;
        if (X11WindowRootGeometry(options_.host, x, y, width, height)) {
            host = QRect(x, y, width, height);
        } else {
            const QScreen* screen = QGuiApplication::primaryScreen();
            host = screen ? screen->geometry() : QRect(0, 0, 640, 480);
        }
        QList<QRect> monitors;
        for (const QScreen* screen : QGuiApplication::screens())
            monitors.append(screen->geometry());
        layout_ = LayoutInHost(host, options_.host == X11RootWindow(), monitors);
        hostSize_ = host.size();
        screenSize_ = layout_.screen;
    } else {
        const QScreen* screen = QGuiApplication::primaryScreen();
        screenSize_ = screen ? screen->geometry().size() : QSize(640, 480);
        screenOrigin_ = screen ? screen->geometry().topLeft() : QPoint(0, 0);
    }
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState s) { OnApplicationState(s); });
}

QtSaverWindow::~QtSaverWindow() {
    delete timerNotifier_;
    if (timerFd_ >= 0) ::close(timerFd_);
}

void QtSaverWindow::Attach(SaverSession& session) {
    session_ = &session;
}

template <class F> void QtSaverWindow::Handle(F&& call) {
    if (!session_) return;
    std::forward<F>(call)();
    Rearm();
}

void QtSaverWindow::CreateAndShow() {
    // The show handler runs before the window appears: an error box it raises (no sound device) comes
    // first, then the show.
    Handle([this] {
        session_->Start([this] {
            if (options_.host) {
                show();
            } else if (onTop_ && QGuiApplication::platformName() == QLatin1String("xcb")) {
                CoverOtherMonitors();
                show();
                activateWindow();
                GrabInput();
            } else {
                CoverOtherMonitors();
                showFullScreen();
            }
        });
    });
    // Once the window is up, while it waits for its first tick.
    QTimer::singleShot(0, this, [this] {
        if (shared_) shared_->Populate();
    });
}

void QtSaverWindow::ShowBlank() {
    if (!options_.host) setGeometry(QRect(screenOrigin_, screenSize_));
    show();
}

void QtSaverWindow::CoverOtherMonitors() {
    // The show stays on the primary monitor; the others go black, with the same stacking and cursor.
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen == primary) continue;
        auto cover = std::make_unique<QWidget>(nullptr, windowFlags());
        cover->setWindowTitle(windowTitle());
        QPalette palette = cover->palette();
        palette.setColor(QPalette::Window, Qt::black);
        cover->setPalette(palette);
        cover->setAutoFillBackground(true);
        cover->setMouseTracking(true);
        cover->setFocusPolicy(Qt::StrongFocus);
        cover->setAttribute(Qt::WA_InputMethodEnabled, false);
        if (cursorHidden_) cover->setCursor(Qt::BlankCursor);
        cover->installEventFilter(this);
        cover->setGeometry(screen->geometry());
        cover->show();
        if (!windowFlags().testFlag(Qt::X11BypassWindowManagerHint)) {
            // A managed window: the window manager makes it cover its monitor.
            cover->windowHandle()->setScreen(screen);
            cover->showFullScreen();
        }
        covers_.push_back(std::move(cover));
    }
}

void QtSaverWindow::GrabInput() {
    // An override-redirect window gets no focus from a window manager: the keyboard is grabbed instead,
    // which only succeeds once the window is mapped.
    if (loopEnded_) return;
    QWindow* w = windowHandle();
    if (w && w->isExposed()) {
        grabKeyboard(); // Qt's own record of the grab, which the error box lifts while it is open
        if (w->setKeyboardGrabEnabled(true)) {
            grabRetry_.stop();
            activateWindow();
            return;
        }
    }
    if (++grabAttempts_ >= kGrabAttempts) {
        grabRetry_.stop();
        return;
    }
    if (!grabRetry_.isActive()) grabRetry_.start();
}

void QtSaverWindow::RequestClose() {
    Handle([this] { session_->RequestClose(); });
}

std::int32_t QtSaverWindow::ScreenWidth() const {
    return screenSize_.width();
}
std::int32_t QtSaverWindow::ScreenHeight() const {
    return screenSize_.height();
}

void QtSaverWindow::SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    if (options_.host) {
        // A child fills its host, whatever size the show runs at.
        setGeometry(QRect(QPoint(0, 0), hostSize_));
        return;
    }
    // Without a window manager a full-screen request alone leaves the window at its default size. The
    // core's (0, 0) is the primary monitor's corner, wherever that monitor lies on the desktop.
    setGeometry(screenOrigin_.x() + left, screenOrigin_.y() + top, width, height);
}

std::uint32_t* QtSaverWindow::ScreenStorage(std::int32_t width, std::int32_t height) {
    // A scaled preview draws through Qt; so does a display that cannot share memory.
    if (layout_.preview || !options_.sharedMemory) return nullptr;
    shared_ = X11SharedImage::Create(width, height);
    if (!shared_) return nullptr;
    // Qt leaves the window's pixels to paintEvent, which has the X server draw them.
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    return shared_->Pixels();
}

QPaintEngine* QtSaverWindow::paintEngine() const {
    return shared_ ? nullptr : QWidget::paintEngine();
}

void QtSaverWindow::ShowCursor(bool show) {
    if (show == !cursorHidden_) return;
    cursorHidden_ = !show;
    std::vector<QWidget*> windows{this};
    for (const auto& cover : covers_)
        windows.push_back(cover.get());
    for (QWidget* w : windows) {
        if (show)
            w->unsetCursor();
        else
            w->setCursor(Qt::BlankCursor);
    }
}

void QtSaverWindow::StayOnTop() {
    if (options_.host) return; // the host window's owner decides its stacking
    onTop_ = true;
    if (isVisible()) {
        raise();
        return;
    }
    Qt::WindowFlags flags = windowFlags() | Qt::WindowStaysOnTopHint;
    // Override-redirect: above every managed window, and full-screen without help from a window manager.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) flags |= Qt::X11BypassWindowManagerHint;
    setWindowFlags(flags);
}

void QtSaverWindow::DisableIme() {
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void QtSaverWindow::EndLoop() {
    if (loopEnded_) return;
    loopEnded_ = true;
    Disarm();
    grabRetry_.stop();
    if (QWidget::keyboardGrabber() == this) releaseKeyboard();
    if (onLoopEnd_) onLoopEnd_();
    hide();
    // Hidden, not deleted: the input that ended the show may still be on its way through a cover.
    for (const auto& cover : covers_)
        cover->hide();
    // exit, not quit: quit does not return while the window has a foreign parent.
    QCoreApplication::exit(0);
}

void QtSaverWindow::Rearm() {
    if (!session_ || loopEnded_ || session_->Closed()) {
        Disarm();
        return;
    }
    if (session_->Busy()) return; // the running handler re-arms when it is done
    const auto wait = session_->DueInMs();
    if (!wait) {
        Disarm(); // detached: activation re-arms
        return;
    }
    const std::int64_t due = clock_.LastReadMs64() + *wait;
    // An overdue tick was due before now: the log notes that time, not the moment it is armed for.
    const auto now32 = static_cast<std::uint32_t>(clock_.LastReadMs64());
    dueMs_ = clock_.LastReadMs64() + static_cast<std::int32_t>(session_->Form().Timer1.DueTime() - now32);
    if (options_.spin) {
        frameTimer_.start(0);
    } else if (timerFd_ >= 0) {
        ArmAt(due);
    } else {
        frameTimer_.start(static_cast<int>(*wait));
    }
}

void QtSaverWindow::ArmAt(std::int64_t dueMs) {
    // Absolute time: a due time already past fires at once.
    itimerspec spec{};
    spec.it_value.tv_sec = static_cast<time_t>(dueMs / 1000);
    spec.it_value.tv_nsec = static_cast<long>(dueMs % 1000) * 1000000L;
    if (timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &spec, nullptr) != 0)
        frameTimer_.start(static_cast<int>(std::max<std::int64_t>(0, dueMs - SteadyClock::NowMs64())));
}

void QtSaverWindow::Disarm() {
    frameTimer_.stop();
    if (timerFd_ >= 0) {
        const itimerspec off{};
        timerfd_settime(timerFd_, 0, &off, nullptr);
    }
}

void QtSaverWindow::OnFrameTimer() {
    if (!session_ || session_->Busy()) return;
    const std::int64_t due = dueMs_;
    const TFmqv& form = session_->Form();
    const int state = form.PicturesLoaded ? static_cast<int>(form.SlideState) : 0;
    const std::int64_t began = tickLog_ ? SteadyClock::NowUs64() : 0;
    // The X server may still be reading the last frame from the shared pixels the tick draws into.
    if (shared_) shared_->Settle();
    SaverTick tick;
    Handle([this, &tick] { tick = session_->Tick(); });
    // When each tick ran against when it was due, and what it cost.
    if (tick.ran && tickLog_)
        *tickLog_ << due * 1000 << ' ' << began << ' ' << SteadyClock::NowUs64() - began << ' ' << state << '\n';
    if (!loopEnded_ && !tick.drawn.Empty()) update(WindowRect(tick.drawn));
}

void QtSaverWindow::OnApplicationState(Qt::ApplicationState state) {
    // Inside another program's window activation means nothing: the host decides when the saver runs.
    if (!session_ || options_.host || loopEnded_) return;
    if (state != Qt::ApplicationActive && state != Qt::ApplicationInactive) return;
    Handle([this, state] { session_->SetActive(state == Qt::ApplicationActive); });
}

bool QtSaverWindow::event(QEvent* e) {
    // Every key goes to the key handler: Tab and Alt combinations would otherwise move focus or be eaten.
    if (e->type() == QEvent::KeyPress) {
        KeyDown(*static_cast<QKeyEvent*>(e));
        return true;
    }
    if (e->type() == QEvent::ShortcutOverride) {
        e->accept();
        return true;
    }
    return QWidget::event(e);
}

void QtSaverWindow::paintEvent(QPaintEvent* e) {
    if (shared_) {
        const QRect imageRect(0, 0, session_->Form().Screen().Width(), session_->Form().Screen().Height());
        for (const QRect& r : e->region()) {
            const QRect inside = r.intersected(imageRect);
            if (!inside.isEmpty()) shared_->Put(winId(), inside.x(), inside.y(), inside.width(), inside.height());
            for (const QRect& outside : (QRegion(r.intersected(rect())) - imageRect))
                shared_->FillBlack(winId(), outside.x(), outside.y(), outside.width(), outside.height());
        }
        return;
    }
    QPainter painter(this);
    const QRect all = rect();
    if (!session_ || session_->Form().Screen().Width() == 0 || session_->Form().Screen().Height() == 0) {
        painter.fillRect(e->rect(), Qt::black);
        return;
    }
    if (layout_.preview) {
        PaintPreview(painter, e->region());
        return;
    }
    // The screen's pixels are already in the window's own format: painting copies them as they are.
    const QImage image = ScreenAsImage(session_->Form().Screen());
    const QRect imageRect = image.rect();
    for (const QRect& r : e->region()) {
        const QRect inside = r.intersected(imageRect);
        if (!inside.isEmpty()) painter.drawImage(inside.topLeft(), image, inside);
        // A window larger than the bitmap (a host resized after the start) is black beyond it.
        for (const QRect& outside : (QRegion(r.intersected(all)) - imageRect))
            painter.fillRect(outside, Qt::black);
    }
}

void QtSaverWindow::PaintPreview(QPainter& painter, const QRegion& region) {
    // The whole screen bitmap scaled into the target, black around it. Qt clips the drawing to the region.
    const ScreenImage& screen = session_->Form().Screen();
    const QImage image = ScreenAsImage(screen);
    for (const QRect& outside : (region - layout_.target))
        painter.fillRect(outside, Qt::black);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(layout_.target), image, QRectF(0, 0, screen.Width(), screen.Height()));
}

QRect QtSaverWindow::WindowRect(const Rect& r) const {
    if (!layout_.preview || screenSize_.isEmpty()) return ToQRect(r);
    const QRect& t = layout_.target;
    const double sx = double(t.width()) / screenSize_.width(), sy = double(t.height()) / screenSize_.height();
    // One pixel more on each side for the smoothing, which reaches into the neighbours.
    const QRectF scaled(t.x() + r.left * sx, t.y() + r.top * sy, r.Width() * sx, r.Height() * sy);
    return scaled.toAlignedRect().adjusted(-1, -1, 1, 1).intersected(t);
}

void QtSaverWindow::KeyDown(const QKeyEvent& e) {
    const int key = VirtualKeyFor(e.key());
    const int shift = ShiftStateFor(e.modifiers(), QGuiApplication::mouseButtons());
    Handle([this, key, shift] { session_->KeyDown(key, shift); });
}

void QtSaverWindow::MouseDown(const QMouseEvent& e, QPoint at) {
    const int button = MouseButtonFor(e.button());
    const int shift = ShiftStateFor(e.modifiers(), e.buttons());
    Handle([this, button, shift, at] { session_->MouseDown(button, shift, at.x(), at.y()); });
}

void QtSaverWindow::MouseMove(const QMouseEvent& e, QPoint at) {
    const int shift = ShiftStateFor(e.modifiers(), e.buttons());
    Handle([this, shift, at] { session_->MouseMove(shift, at.x(), at.y()); });
}

void QtSaverWindow::mousePressEvent(QMouseEvent* e) {
    MouseDown(*e, e->position().toPoint());
}

void QtSaverWindow::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
}

void QtSaverWindow::mouseMoveEvent(QMouseEvent* e) {
    MouseMove(*e, e->position().toPoint());
}

bool QtSaverWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == this || !watched->isWidgetType()) return QWidget::eventFilter(watched, e);
    // Input on a cover is input on the saver window, at the same place of the desktop.
    switch (e->type()) {
    case QEvent::KeyPress:
        KeyDown(*static_cast<QKeyEvent*>(e));
        return true;
    case QEvent::ShortcutOverride:
        e->accept();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* m = static_cast<QMouseEvent*>(e);
        MouseDown(*m, mapFromGlobal(m->globalPosition().toPoint()));
        return true;
    }
    case QEvent::MouseMove: {
        const auto* m = static_cast<QMouseEvent*>(e);
        MouseMove(*m, mapFromGlobal(m->globalPosition().toPoint()));
        return true;
    }
    case QEvent::Close:
        e->ignore();
        RequestClose();
        return true;
    default:
        return QWidget::eventFilter(watched, e);
    }
}

void QtSaverWindow::closeEvent(QCloseEvent* e) {
    // The window system's close request closes the saver like any other; the window goes with the loop.
    e->ignore();
    RequestClose();
}

} // namespace vis
