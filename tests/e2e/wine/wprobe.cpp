// A small Windows helper for the Wine end-to-end scripts: reports what the system tells a program about its
// monitors, and the windows of another process as the window manager of the system sees them (class, text,
// place, style bits), which X screenshots cannot show.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<std::size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoW(monitor, &mi)) return TRUE;
    const RECT& r = mi.rcMonitor;
    std::printf("monitor %ld %ld %ld %ld%s\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                (mi.dwFlags & MONITORINFOF_PRIMARY) ? " primary" : "");
    return TRUE;
}

// "count N", "screen W H" (the primary monitor's size), then one "monitor X Y W H [primary]" line each.
int Monitors() {
    std::printf("count %d\n", GetSystemMetrics(SM_CMONITORS));
    std::printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
    return 0;
}

void PrintWindow(HWND window, int depth) {
    wchar_t cls[128] = {};
    wchar_t text[512] = {};
    GetClassNameW(window, cls, 128);
    // WM_GETTEXT with a time limit: a window of a hung program must not hang the probe.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    RECT r{};
    GetWindowRect(window, &r);
    if (depth > 0) MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    std::printf("%*swindow %s %ld %ld %ld %ld style %08lx exstyle %08lx %s text \"%s\"\n", depth * 2, "",
                Utf8(cls).c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top,
                static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)),
                IsWindowVisible(window) ? "visible" : "hidden", Utf8(text).c_str());
    if (depth == 0) {
        // Where the client area lies on the screen: children are placed within it.
        POINT origin{};
        ClientToScreen(window, &origin);
        RECT c{};
        GetClientRect(window, &c);
        std::printf("  client %ld %ld %ld %ld\n", origin.x, origin.y, c.right, c.bottom);
    }
}

struct ChildWalk {
    HWND parent;
    int depth;
};

BOOL CALLBACK PrintChild(HWND window, LPARAM param) {
    const auto* walk = reinterpret_cast<const ChildWalk*>(param);
    // EnumChildWindows walks every descendant; print each one under its own parent.
    if (GetParent(window) != walk->parent) return TRUE;
    PrintWindow(window, walk->depth);
    ChildWalk inner{window, walk->depth + 1};
    EnumChildWindows(window, PrintChild, reinterpret_cast<LPARAM>(&inner));
    return TRUE;
}

struct TopWalk {
    const wchar_t* cls;
    int found;
};

BOOL CALLBACK PrintTop(HWND window, LPARAM param) {
    auto* walk = reinterpret_cast<TopWalk*>(param);
    wchar_t cls[128] = {};
    GetClassNameW(window, cls, 128);
    if (walk->cls && std::wcscmp(cls, walk->cls) != 0) return TRUE;
    ++walk->found;
    PrintWindow(window, 0);
    ChildWalk inner{window, 1};
    EnumChildWindows(window, PrintChild, reinterpret_cast<LPARAM>(&inner));
    return TRUE;
}

// Every top-level window (of the given class only, when one is named) with its children indented below.
// Places of top-level windows are in screen coordinates, followed by their client area's; those of children are
// in their parent's client area.
int Windows(const char* cls) {
    std::wstring wide;
    if (cls) {
        const int n = MultiByteToWideChar(CP_UTF8, 0, cls, -1, nullptr, 0);
        wide.resize(static_cast<std::size_t>(n));
        MultiByteToWideChar(CP_UTF8, 0, cls, -1, wide.data(), n);
        wide.resize(std::wcslen(wide.c_str()));
    }
    TopWalk walk{cls ? wide.c_str() : nullptr, 0};
    EnumWindows(PrintTop, reinterpret_cast<LPARAM>(&walk));
    return walk.found > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "monitors") == 0) return Monitors();
    if (argc >= 2 && std::strcmp(argv[1], "windows") == 0) return Windows(argc >= 3 ? argv[2] : nullptr);
    std::fprintf(stderr, "usage: wprobe monitors\n       wprobe windows [CLASS]\n");
    return 2;
}
