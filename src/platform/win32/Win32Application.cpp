#include "platform/win32/Win32Application.h"

#include "qv/Errors.h"

#include "platform/win32/Win32Text.h"

namespace vis {

namespace {
constexpr wchar_t kOwnerClass[] = L"TApplication";

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

Win32Application::Win32Application(HINSTANCE instance) : instance_(instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = instance_;
    wc.lpszClassName = kOwnerClass;
    RegisterClassExW(&wc);
    // Never shown: it only owns the main window and carries the title.
    owner_ = CreateWindowExW(0, kOwnerClass, L"", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                             nullptr, nullptr, instance_, nullptr);
}

Win32Application::~Win32Application() {
    if (owner_) DestroyWindow(owner_);
}

void Win32Application::SetTitle(const std::string& title) {
    title_ = title;
    if (owner_) SetWindowTextW(owner_, Widen(title).c_str());
}

void Win32Application::HideFromTaskBar() {
    if (!owner_) return;
    const LONG style = GetWindowLongW(owner_, GWL_EXSTYLE);
    SetWindowLongW(owner_, GWL_EXSTYLE, style | WS_EX_TOOLWINDOW);
}

void Win32Application::ShowError(const std::string& message) {
    // Owned by the main window, so the box comes above a top-most saver window instead of behind it.
    HWND parent = main_ && IsWindow(main_) ? main_ : owner_;
    MessageBoxW(parent, Widen(ErrorBoxText(message)).c_str(), Widen(title_).c_str(), MB_OK | MB_ICONERROR);
}

int Win32Application::Run(const IdleHandler& idle) {
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            if (dialog_ && IsDialogMessageW(dialog_, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const DWORD wait = idle ? idle() : INFINITE;
        // The queue was empty when the idle handler ran; anything posted since wakes the wait at once.
        if (wait != 0) MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

} // namespace vis
