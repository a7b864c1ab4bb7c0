#include "platform/win32/SettingsDialogWin32.h"

#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Text.h"
#include "qv/Dispatch.h"
#include "qv/QorInf.h"
#include "settings/UnSetting.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <memory>

namespace vis {

namespace {

constexpr wchar_t kDialogClass[] = L"TFmSetting";
constexpr wchar_t kPanelClass[] = L"TPanel";
using L = SettingLayout;
constexpr int kBoxId = 100; // + SettingBox
constexpr int kTrackBarId = 200;
constexpr int kButton1Id = 300;
constexpr int kLblUrlId = 301;
// ImgEffect1 within Panel2.
constexpr RECT kImageRect{L::imgEffect1.left, L::imgEffect1.top, L::imgEffect1.left + L::imgEffect1.width,
                          L::imgEffect1.top + L::imgEffect1.height};

HFONT MakeFont(const wchar_t* family, int pixels, BYTE charset, bool bold = false, bool underline = false) {
    // A negative height asks for the character height in pixels, as the window definition gives it.
    return CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE, charset,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, family);
}

// The dialog's fonts: "Century" for the window, "ＭＳ Ｐゴシック" for the Japanese pages and boxes.
struct Fonts {
    HFONT century12 = MakeFont(L"Century", 12, ANSI_CHARSET);
    HFONT century12Bold = MakeFont(L"Century", 12, ANSI_CHARSET, true);
    HFONT century13Link = MakeFont(L"Century", 13, ANSI_CHARSET, false, true);
    HFONT century15 = MakeFont(L"Century", 15, ANSI_CHARSET);
    HFONT gothic12 = MakeFont(L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);
    HFONT gothic12Bold = MakeFont(L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET, true);
    Fonts() = default;
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    ~Fonts() {
        for (HFONT f : {century12, century12Bold, century13Link, century15, gothic12, gothic12Bold})
            if (f) DeleteObject(f);
    }
};

// A page's panel: a raised one-pixel bevel; the notices of its controls go on to the dialog.
LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

class Win32SettingView : public SettingView {
  public:
    Win32SettingView(Win32Application& app, const std::string& programPath)
        : app_(app), form_(*this, shell_, programPath, PathStyle::Windows) {}

    bool Create();
    HWND Handle() const { return window_; }
    void Show();

    bool Checked(SettingBox box) const override { return SendMessageW(Box(box), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetCheckedState(SettingBox box, bool checked) override {
        SendMessageW(Box(box), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    bool Enabled(SettingBox box) const override { return IsWindowEnabled(Box(box)) != FALSE; }
    void SetEnabled(SettingBox box, bool enabled) override { EnableWindow(Box(box), enabled ? TRUE : FALSE); }
    int Position(SettingTrackBar bar) const override {
        return static_cast<int>(SendMessageW(TrackBar(bar), TBM_GETPOS, 0, 0));
    }
    void SetPosition(SettingTrackBar bar, int position) override {
        SendMessageW(TrackBar(bar), TBM_SETPOS, TRUE, position);
    }
    void SetPageVisible(SettingPage page, bool visible) override;
    void SetCurrentPage(SettingPage page) override;
    void ShowPreview(const Bitmap& picture, Color transparentColor) override;
    std::string LblUrlText() const override;
    void Close() override {
        if (window_) DestroyWindow(window_);
    }

    void PaintPanel(HWND panel, HDC dc);

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    HWND Box(SettingBox box) const { return boxes_[static_cast<std::size_t>(box)]; }
    HWND TrackBar(SettingTrackBar bar) const { return trackBars_[static_cast<std::size_t>(bar)]; }
    HWND Control(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id,
                 HFONT font);
    HWND Panel(int page);
    void BuildEffectsPage();
    void BuildTimesPage();
    void BuildAboutPage();
    void BuildBottomRow();
    void UpdateTabs();
    void ShowPageOfTab();

    Win32Application& app_;
    Win32Shell shell_;
    TFmSetting form_;
    Fonts fonts_;
    HBRUSH face_ = GetSysColorBrush(COLOR_BTNFACE);
    HWND window_ = nullptr;
    HWND pageControl_ = nullptr;
    std::array<HWND, 3> panels_{};
    std::array<bool, 3> pageVisible_{true, true, true};
    int currentPage_ = 0;
    std::array<HWND, kSettingBoxCount> boxes_{};
    std::array<HWND, 2> trackBars_{};
    HWND lblUrl_ = nullptr;
    Bitmap preview_;
    bool shown_ = false;
};

bool Win32SettingView::Create() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = app_.Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kDialogClass;
    RegisterClassExW(&wc);
    WNDCLASSEXW pc = wc;
    pc.lpfnWndProc = PanelProc;
    pc.lpszClassName = kPanelClass;
    RegisterClassExW(&pc);

    // A tool window: small caption, close box only, not resizable; a task-bar button of its own.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    RECT outer{0, 0, L::clientWidth, L::clientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    window_ = CreateWindowExW(exStyle, kDialogClass, Widen(kSettingCaption).c_str(), style,
                              (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h,
                              app_.OwnerWindow(), nullptr, app_.Instance(), this);
    if (!window_) return false;
    shell_.SetOwner(window_);
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.century12), FALSE);

    pageControl_ = Control(window_, WC_TABCONTROLW, L"", WS_CLIPSIBLINGS | WS_TABSTOP, L::pageControl.left,
                           L::pageControl.top, L::pageControl.width, L::pageControl.height, 0, fonts_.century12);
    UpdateTabs();
    // Each page's panel fills the tab control's display area (known once the tabs are in).
    RECT page{0, 0, L::pageControl.width, L::pageControl.height};
    TabCtrl_AdjustRect(pageControl_, FALSE, &page);
    for (int i = 0; i < 3; ++i) {
        panels_[static_cast<std::size_t>(i)] =
            CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_CLIPCHILDREN,
                            L::pageControl.left + page.left, L::pageControl.top + page.top, page.right - page.left,
                            page.bottom - page.top, window_, nullptr, app_.Instance(), this);
        SetWindowLongPtrW(panels_[static_cast<std::size_t>(i)], GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    BuildEffectsPage();
    BuildTimesPage();
    BuildAboutPage();
    BuildBottomRow();
    SetCurrentPage(SettingPage::TSEffect1);
    // The creation handler runs as part of the creation; an error goes to the error box and the dialog
    // opens all the same.
    form_.CallHandler(app_, &TFmSetting::FormCreate);
    return true;
}

void Win32SettingView::Show() {
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetForegroundWindow(window_);
    // The first control in tab order has the focus, so the keyboard works from the start.
    SetFocus(pageControl_);
    if (shown_) return;
    shown_ = true;
    form_.CallHandler(app_, &TFmSetting::FormShow);
}

HWND Win32SettingView::Control(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
                               int h, int id, HFONT font) {
    HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), app_.Instance(), nullptr);
    if (c && font) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
}

HWND Win32SettingView::Panel(int page) {
    return panels_[static_cast<std::size_t>(page)];
}

void Win32SettingView::BuildEffectsPage() {
    HWND panel = Panel(static_cast<int>(SettingPage::TSEffect1));
    for (int n = 1; n <= kEffectCount; ++n) {
        const auto box = EffectBox(n);
        const Point at = kEffectBoxPlaces[static_cast<std::size_t>(n - 1)];
        // No caption: the picture behind the boxes is their labelling.
        boxes_[static_cast<std::size_t>(box)] =
            Control(panel, WC_BUTTONW, L"", BS_AUTOCHECKBOX | WS_TABSTOP, at.x, at.y, kEffectBoxSize, kEffectBoxSize,
                    kBoxId + static_cast<int>(box), fonts_.century12);
    }
}

void Win32SettingView::BuildTimesPage() {
    HWND panel = Panel(static_cast<int>(SettingPage::TSEffect2));
    for (const L::Text& l : L::timeLabels) {
        // Sized to the text, as an auto-sized label is.
        HDC dc = GetDC(panel);
        HGDIOBJ old = SelectObject(dc, fonts_.gothic12);
        const std::wstring text = Widen(l.text);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(panel, dc);
        Control(panel, WC_STATICW, text.c_str(), SS_LEFT | SS_NOPREFIX, l.left, l.top, size.cx, size.cy, -1,
                fonts_.gothic12);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        HWND bar = Control(panel, TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS | WS_TABSTOP,
                           L::trackBarLeft, L::trackBarTops[i], L::trackBarWidth, L::trackBarHeight,
                           kTrackBarId + static_cast<int>(i), nullptr);
        SendMessageW(bar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 9));
        SendMessageW(bar, TBM_SETTICFREQ, 1, 0);
        SendMessageW(bar, TBM_SETPAGESIZE, 0, 2);
        SendMessageW(bar, TBM_SETPOS, TRUE, L::trackBarDesignPositions[i]);
        trackBars_[i] = bar;
    }
    boxes_[static_cast<std::size_t>(SettingBox::CBRandom)] =
        Control(panel, WC_BUTTONW, Widen(L::randomText).c_str(), BS_AUTOCHECKBOX | WS_TABSTOP, L::cbRandom.left,
                L::cbRandom.top, L::cbRandom.width, L::cbRandom.height, kBoxId + static_cast<int>(SettingBox::CBRandom),
                fonts_.gothic12);
}

void Win32SettingView::BuildAboutPage() {
    HWND panel = Panel(static_cast<int>(SettingPage::TSabout));
    for (const L::WrappedText& t : L::aboutTexts)
        Control(panel, WC_STATICW, Widen(t.text).c_str(), SS_LEFT | SS_NOPREFIX, t.box.left, t.box.top, t.box.width,
                t.box.height, -1, fonts_.gothic12);
    lblUrl_ = Control(panel, WC_STATICW, Widen(kMakerUrl).c_str(), SS_LEFT | SS_NOPREFIX | SS_NOTIFY, L::lblUrl.left,
                      L::lblUrl.top, L::lblUrl.width, L::lblUrl.height, kLblUrlId, fonts_.century13Link);
}

void Win32SettingView::BuildBottomRow() {
    for (const L::BottomBox& b : L::bottomBoxes)
        boxes_[static_cast<std::size_t>(b.box)] =
            Control(window_, WC_BUTTONW, Widen(b.text).c_str(), BS_AUTOCHECKBOX | WS_TABSTOP, b.left, L::bottomTop,
                    b.width, L::bottomBoxHeight, kBoxId + static_cast<int>(b.box),
                    b.japanese ? fonts_.gothic12Bold : fonts_.century12Bold);
    SetWindowPos(Box(SettingBox::CBSepia), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Control(window_, WC_BUTTONW, L"OK", BS_PUSHBUTTON | WS_TABSTOP, L::button1.left, L::button1.top, L::button1.width,
            L::button1.height, kButton1Id, fonts_.century15);
}

void Win32SettingView::UpdateTabs() {
    TabCtrl_DeleteAllItems(pageControl_);
    int index = 0;
    for (int page = 0; page < 3; ++page) {
        if (!pageVisible_[static_cast<std::size_t>(page)]) continue;
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        const std::wstring caption = Widen(L::tabCaptions[page]);
        item.pszText = const_cast<wchar_t*>(caption.c_str());
        item.lParam = page;
        SendMessageW(pageControl_, TCM_INSERTITEMW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&item));
    }
}

void Win32SettingView::SetPageVisible(SettingPage page, bool visible) {
    pageVisible_[static_cast<std::size_t>(page)] = visible;
    UpdateTabs();
    SetCurrentPage(static_cast<SettingPage>(currentPage_));
}

void Win32SettingView::SetCurrentPage(SettingPage page) {
    currentPage_ = static_cast<int>(page);
    const int count = TabCtrl_GetItemCount(pageControl_);
    for (int i = 0; i < count; ++i) {
        TCITEMW item{};
        item.mask = TCIF_PARAM;
        SendMessageW(pageControl_, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        if (item.lParam == currentPage_) TabCtrl_SetCurSel(pageControl_, i);
    }
    for (int i = 0; i < 3; ++i)
        ShowWindow(Panel(i), i == currentPage_ ? SW_SHOW : SW_HIDE);
}

void Win32SettingView::ShowPageOfTab() {
    const int sel = TabCtrl_GetCurSel(pageControl_);
    if (sel < 0) return;
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    SendMessageW(pageControl_, TCM_GETITEMW, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(&item));
    SetCurrentPage(static_cast<SettingPage>(item.lParam));
}

void Win32SettingView::ShowPreview(const Bitmap& picture, Color transparentColor) {
    // Pixels of the key colour take the panel's colour, so the panel shows through them.
    preview_ = picture;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const std::uint8_t kb = transparentColor & 0xFF, kg = (transparentColor >> 8) & 0xFF,
                       kr = (transparentColor >> 16) & 0xFF;
    for (std::int32_t y = 0; y < preview_.Height(); ++y) {
        std::uint8_t* p = preview_.Row(y);
        for (std::int32_t x = 0; x < preview_.Width(); ++x, p += 3)
            if (p[0] == kb && p[1] == kg && p[2] == kr) {
                p[0] = GetBValue(face);
                p[1] = GetGValue(face);
                p[2] = GetRValue(face);
            }
    }
    InvalidateRect(Panel(static_cast<int>(SettingPage::TSEffect1)), nullptr, TRUE);
}

std::string Win32SettingView::LblUrlText() const {
    wchar_t text[512] = {};
    GetWindowTextW(lblUrl_, text, 512);
    return Narrow(text);
}

void Win32SettingView::PaintPanel(HWND panel, HDC dc) {
    RECT r;
    GetClientRect(panel, &r);
    FillRect(dc, &r, face_);
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    if (panel != Panel(static_cast<int>(SettingPage::TSEffect1)) || preview_.Width() == 0) return;
    // Drawn at the image's top left, clipped to the image control's size.
    const int w = std::min<int>(preview_.Width(), kImageRect.right - kImageRect.left);
    const int h = std::min<int>(preview_.Height(), kImageRect.bottom - kImageRect.top);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = preview_.Width();
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, kImageRect.left, kImageRect.top, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0,
                      static_cast<UINT>(h), preview_.Row(0), &bi, DIB_RGB_COLORS);
}

LRESULT CALLBACK Win32SettingView::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Win32SettingView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32SettingView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT Win32SettingView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == kButton1Id && code == BN_CLICKED) {
            form_.CallHandler(app_, &TFmSetting::Button1Click);
        } else if (id == kLblUrlId && code == STN_CLICKED) {
            form_.CallHandler(app_, &TFmSetting::LblUrlClick);
        } else if (id >= kBoxId && id < kBoxId + kSettingBoxCount && code == BN_CLICKED) {
            const auto box = static_cast<SettingBox>(id - kBoxId);
            Dispatch(app_, [&] { form_.CheckClicked(box); });
        }
        return 0;
    }
    case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (hdr->hwndFrom == pageControl_ && hdr->code == TCN_SELCHANGE) ShowPageOfTab();
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        if (reinterpret_cast<HWND>(lParam) == lblUrl_) SetTextColor(dc, RGB(0, 0, 255));
        return reinterpret_cast<LRESULT>(face_);
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == lblUrl_) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_CLOSE:
        // The caption bar's close box: nothing is saved.
        DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        window_ = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = reinterpret_cast<Win32SettingView*>(GetWindowLongPtrW(panel, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(panel, &ps);
        if (view) view->PaintPanel(panel, dc);
        EndPaint(panel, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // WM_PAINT fills it
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_SETCURSOR:
        return SendMessageW(GetParent(panel), message, wParam, lParam);
    default:
        return DefWindowProcW(panel, message, wParam, lParam);
    }
}

} // namespace

int RunSettingsRole(Win32Application& app, const std::string& programPath) {
    auto view = std::make_unique<Win32SettingView>(app, programPath);
    if (!view->Create()) return 1;
    app.SetMainWindow(view->Handle());
    app.SetDialogWindow(view->Handle());
    view->Show();
    const int code = IsWindow(view->Handle()) ? app.Run(nullptr) : 0;
    app.SetMainWindow(nullptr);
    app.SetDialogWindow(nullptr);
    return code;
}

} // namespace vis
