#include "platform/win32/SaverWindowWin32.h"

#include "platform/MonitorCover.h"
#include "platform/win32/MciMediaDevice.h"
#include "platform/win32/Win32System.h"
#include "qv/Dispatch.h"
#include "saver/SaverSession.h"

#include <memory>
#include <mmsystem.h>
#include <vector>
#include <windowsx.h>

namespace vis {

namespace {
constexpr wchar_t kSaverClass[] = L"TFmqv";
constexpr wchar_t kCoverClass[] = L"TFmqvCover";

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (GetMonitorInfoW(monitor, &mi))
        reinterpret_cast<std::vector<Rect>*>(param)->push_back(
            {mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom});
    return TRUE;
}

// The saver's window as the core sees it, plus what the window procedure needs.
class Win32SaverWindow : public SaverWindow {
  public:
    explicit Win32SaverWindow(Win32Application& app) : app_(app) {}

    bool Create();
    HWND Handle() const { return window_; }
    // Shows the black windows over the other monitors (without taking the focus from the saver window).
    void ShowCovers();
    void DestroyCovers();
    void Attach(SaverSession* session) { session_ = session; }

    std::int32_t ScreenWidth() const override { return GetSystemMetrics(SM_CXSCREEN); }
    std::int32_t ScreenHeight() const override { return GetSystemMetrics(SM_CYSCREEN); }
    void SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) override {
        SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void ShowCursor(bool show) override { ::ShowCursor(show ? TRUE : FALSE); }
    void StayOnTop() override {
        SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    void DisableIme() override;
    void EndLoop() override { PostQuitMessage(0); }

    // Copies the part of the core's screen inside r to the window.
    void Blit(HDC dc, Rect r) const;
    // Shows what a tick drew.
    void Flush(const Rect& drawn);
    // Where the pointer is, in the window's coordinates.
    Point PointerPosition() const;

    MciMediaDevice media;

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CoverProc(HWND cover, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateCovers();

    Win32Application& app_;
    HWND window_ = nullptr;
    std::vector<HWND> covers_;
    SaverSession* session_ = nullptr;
};

bool Win32SaverWindow::Create() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = app_.Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The window's colour: whatever the system asks to repaint before the core drew is black.
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kSaverClass;
    RegisterClassExW(&wc);
    window_ = CreateWindowExW(0, kSaverClass, L"Fmqv", WS_POPUP, 0, 0, ScreenWidth(), ScreenHeight(),
                              app_.OwnerWindow(), nullptr, app_.Instance(), this);
    media.SetNotifyWindow(window_);
    if (!window_) return false;
    CreateCovers();
    return true;
}

void Win32SaverWindow::CreateCovers() {
    std::vector<Rect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    const std::vector<Rect> rects = CoverRects(Rect{0, 0, ScreenWidth(), ScreenHeight()}, monitors);
    if (rects.empty()) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = CoverProc;
    wc.hInstance = app_.Instance();
    // No cursor of its own: the saver hides it for the whole thread.
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kCoverClass;
    RegisterClassExW(&wc);
    for (const Rect& r : rects) {
        // Owned like the saver window, so no task-bar button; top-most from the start.
        HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kCoverClass, L"", WS_POPUP, r.left, r.top,
                                     r.Width(), r.Height(), app_.OwnerWindow(), nullptr, app_.Instance(), this);
        if (cover) covers_.push_back(cover);
    }
}

void Win32SaverWindow::ShowCovers() {
    for (HWND cover : covers_)
        SetWindowPos(cover, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void Win32SaverWindow::DestroyCovers() {
    for (HWND cover : covers_)
        DestroyWindow(cover);
    covers_.clear();
}

void Win32SaverWindow::DisableIme() {
    if (GetSystemMetrics(SM_DBCSENABLED) == 0) return;
    HMODULE user = GetModuleHandleW(L"user32.dll");
    if (!user) return;
    // Looked up by name: not every system exports it.
    using EnableImeFn = BOOL(WINAPI*)(HWND, BOOL);
    if (FARPROC proc = GetProcAddress(user, "WINNLSEnableIME"))
        reinterpret_cast<EnableImeFn>(reinterpret_cast<void (*)()>(proc))(window_, FALSE);
}

Point Win32SaverWindow::PointerPosition() const {
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(window_, &at);
    return {at.x, at.y};
}

void Win32SaverWindow::Blit(HDC dc, Rect r) const {
    if (!session_) return;
    const ScreenImage& screen = session_->Form().Screen();
    r = Intersect(r, Rect{0, 0, screen.Width(), screen.Height()});
    if (r.Empty()) return;
    // The rows from r.top on, described as a top-down 32-bit DIB of the screen's width (negative height): the
    // pixels are in the display's own format, so nothing is converted or copied on the way.
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = screen.Width();
    bi.bmiHeader.biHeight = -r.Height();
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, r.left, r.top, static_cast<DWORD>(r.Width()), static_cast<DWORD>(r.Height()), r.left, 0, 0,
                      static_cast<UINT>(r.Height()), screen.Row(r.top), &bi, DIB_RGB_COLORS);
}

void Win32SaverWindow::Flush(const Rect& drawn) {
    if (!session_ || session_->Closed() || drawn.Empty()) return;
    if (HDC dc = GetDC(window_)) {
        Blit(dc, drawn);
        ReleaseDC(window_, dc);
    }
}

LRESULT CALLBACK Win32SaverWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Win32SaverWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32SaverWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

// The black windows over the other monitors: their input is the saver window's input, at the same place on the
// desktop, so a click or a key there ends the saver and a move there counts like a move over the slideshow.
LRESULT CALLBACK Win32SaverWindow::CoverProc(HWND cover, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(cover, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<Win32SaverWindow*>(GetWindowLongPtrW(cover, GWLP_USERDATA));
    if (!self || !self->window_) return DefWindowProcW(cover, message, wParam, lParam);
    switch (message) {
    case WM_MOUSEACTIVATE:
        // The keyboard stays with the saver window.
        return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN: {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        MapWindowPoints(cover, self->window_, &at, 1);
        return self->Handle(message, wParam, MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CLOSE:
        return self->Handle(message, wParam, lParam);
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
        break;
    default:
        break;
    }
    return DefWindowProcW(cover, message, wParam, lParam);
}

int ShiftState(WPARAM keys) {
    // The runtime's TShiftState bits: Shift 1, Alt 2, Ctrl 4.
    int shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (GetKeyState(VK_MENU) < 0) shift |= 2;
    if (GetKeyState(VK_CONTROL) < 0) shift |= 4;
    (void)keys;
    return shift;
}

LRESULT Win32SaverWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window_, &ps);
        Blit(dc, Rect{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom});
        EndPaint(window_, &ps);
        return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (session_) session_->KeyDown(static_cast<int>(wParam), ShiftState(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN: {
        const int button = message == WM_LBUTTONDOWN ? 0 : message == WM_RBUTTONDOWN ? 1 : 2;
        if (session_) session_->MouseDown(button, ShiftState(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return message == WM_XBUTTONDOWN ? TRUE : 0;
    }
    case WM_MOUSEMOVE:
        // The system also sends one when the window appears under the pointer or the stacking changes; the
        // core counts only moves to a new place.
        if (session_) session_->MouseMove(ShiftState(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_ACTIVATEAPP:
        app_.SetActive(wParam != FALSE);
        if (session_) session_->SetActive(wParam != FALSE);
        return 0;
    case MM_MCINOTIFY:
        Dispatch(app_, [&] { media.Notified(); });
        return 0;
    case WM_CLOSE:
        if (session_) session_->RequestClose();
        return 0;
    case WM_SYSCOMMAND:
        // The system's own screen saver must not start over this one.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
        break;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

// One millisecond of timer resolution for the life of the saver: the frame timer's waits are 50 ms steps.
class TimerResolution {
  public:
    TimerResolution() { timeBeginPeriod(1); }
    ~TimerResolution() { timeEndPeriod(1); }
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;
};
} // namespace

RoleResult RunSaverRole(Win32Application& app, const RoleStart& start) {
    const std::string& programPath = start.programPath;
    TimerResolution resolution;
    Win32Clock clock;
    Win32SystemSettings system;
    Win32SaverWindow window(app);
    if (!window.Create()) return {.status = 1};
    app.SetMainWindow(window.Handle());

    std::unique_ptr<SaverSession> session;
    {
        // The optional settings (fixed seed, given data folder...) keep their defaults; the list of them grows.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
        SaverPlatform platform{.app = app,
                               .window = window,
                               .clock = clock,
                               .system = system,
                               .media = window.media,
                               .programPath = programPath,
                               .style = PathStyle::Windows};
#pragma GCC diagnostic pop
        Dispatch(app, [&] { session = std::make_unique<SaverSession>(platform); });
    }
    if (!session) {
        window.DestroyCovers();
        DestroyWindow(window.Handle());
        return {.status = 1};
    }
    window.Attach(session.get());
    session->Form().SetPointerPosition(window.PointerPosition());
    session->Start([&] {
        window.ShowCovers();
        ShowWindow(window.Handle(), SW_SHOW);
        UpdateWindow(window.Handle());
        SetForegroundWindow(window.Handle());
    });

    const int code = session->Closed() ? 0 : app.Run([&]() -> DWORD {
        const SaverTick tick = session->Tick();
        if (tick.ran) window.Flush(tick.drawn);
        return tick.dueInMs ? *tick.dueInMs : INFINITE; // none once closed: the quit message is queued
    });
    // Destroying the window's components closes the music device.
    window.Attach(nullptr);
    session.reset();
    window.DestroyCovers();
    DestroyWindow(window.Handle());
    return {.status = code};
}

} // namespace vis
