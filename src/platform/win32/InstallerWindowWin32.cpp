#include "platform/win32/InstallerWindow.h"

#include "install/UnInst.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Application.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Text.h"
#include "qv/Dispatch.h"

namespace vis {

namespace {

using L = InstallerLayout;
constexpr wchar_t kClassName[] = L"TFmInst";
constexpr int kLabel1Id = 100;

struct InstallerState {
    Application& app;
    TFmInst* form = nullptr;
    bool closed = false;
};

HFONT MakeFont(const char* family, int pixels, bool boldItalic, BYTE charset) {
    // A negative height asks for the character height in pixels, as the form designer gives it.
    return CreateFontW(-pixels, 0, 0, 0, boldItalic ? FW_BOLD : FW_NORMAL, boldItalic, FALSE, FALSE, charset,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       Widen(family).c_str());
}

// The width in pixels that text takes on one line in font, with the slant of an italic last character.
int TextWidth(HDC dc, HFONT font, const std::wstring& text) {
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ABC abc{};
    if (!text.empty() && GetCharABCWidthsW(dc, text.back(), text.back(), &abc) && abc.abcC < 0) size.cx -= abc.abcC;
    SelectObject(dc, old);
    return size.cx;
}

// Label1's font: the designed size, or, where the system substitutes a wider face for the designed one, the
// largest smaller size at which the whole text fits the label's one line.
HFONT FitLabelFont(HWND label, const std::wstring& text) {
    constexpr int kSmallestPixels = 8;
    HDC dc = GetDC(label);
    HFONT font = nullptr;
    for (int pixels = L::label1FontPixels; pixels >= kSmallestPixels; --pixels) {
        if (font) DeleteObject(font);
        font = MakeFont(L::label1Font, pixels, true, DEFAULT_CHARSET);
        if (!dc || TextWidth(dc, font, text) <= L::label1Width) break;
    }
    if (dc) ReleaseDC(label, dc);
    return font;
}

LRESULT CALLBACK InstallerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<InstallerState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND:
        // The OK button, clicked or reached by Return; Escape (IDCANCEL) does nothing on this form.
        if (LOWORD(wParam) == IDOK && state && state->form) {
            Dispatch(state->app, [state] { state->form->Button1Click(); });
            return 0;
        }
        break;
    case WM_CLOSE:
        if (state && state->form && !state->closed) {
            state->closed = true;
            Dispatch(state->app, [state] { state->form->FormClose(); });
        }
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

RoleResult RunInstallerRole(Win32Application& app, const RoleStart& start) {
    const std::string& programPath = start.programPath;
    HINSTANCE instance = app.Instance();
    HWND owner = app.OwnerWindow();

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = InstallerProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);

    // A single fixed border with only the system menu's close box, the client area as designed, centred.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, L::clientWidth, L::clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    InstallerState state{app};
    HWND window = CreateWindowExW(exStyle, kClassName, Widen(L::caption).c_str(), style, left, top, width, height,
                                  owner, nullptr, instance, &state);
    if (!window) return {.status = 1};

    HFONT formFont = MakeFont(L::formFont, L::formFontPixels, false, SHIFTJIS_CHARSET);
    HFONT buttonFont = MakeFont(L::button1Font, L::button1FontPixels, false, DEFAULT_CHARSET);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(formFont), FALSE);
    // Button1 first: the first control in tab order, and the default button that Return presses.
    HWND button1 = CreateWindowExW(0, L"BUTTON", Widen(L::button1Caption).c_str(),
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, L::button1Left, L::button1Top,
                                   L::button1Width, L::button1Height, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance, nullptr);
    // One line that is never wrapped: a word-wrapping static would move the last word onto a second line that
    // the label's height cannot show.
    const std::wstring label1Text = Widen(L::label1Text);
    HWND label1 =
        CreateWindowExW(0, L"STATIC", label1Text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
                        L::label1Left, L::label1Top, L::label1Width, L::label1Height, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabel1Id)), instance, nullptr);
    SendMessageW(button1, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont), FALSE);
    HFONT labelFont = FitLabelFont(label1, label1Text);
    SendMessageW(label1, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont), FALSE);
    app.SetMainWindow(window);
    app.SetDialogWindow(window);

    Win32InstallerFiles files;
    Win32SystemSettings settings;
    Win32Shell shell(window);
    TFmInst form(programPath, files, settings, shell, [window] { PostMessageW(window, WM_CLOSE, 0, 0); });
    state.form = &form;
    // The installation runs while the window is being created, before it shows; its error box comes first.
    Dispatch(app, [&form] { form.FormCreate(); });
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetFocus(button1);

    const int exitCode = app.Run(nullptr);
    app.SetMainWindow(nullptr);
    app.SetDialogWindow(nullptr);
    DeleteObject(formFont);
    DeleteObject(labelFont);
    DeleteObject(buttonFont);
    return {.status = exitCode};
}

} // namespace vis
