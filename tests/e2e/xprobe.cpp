// A small X client for the end-to-end scripts: waits for a screen region to show an expected picture or for
// pixels to show given colours, reports the X screen saver's state, and provides a window for a hack to draw into.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/scrnsaver.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

long long MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

int Usage() {
    std::fprintf(stderr, "usage: xprobe wait-region X Y W H EXPECTED.rgb TOLERANCE TIMEOUT_MS [LAST.rgb]\n"
                         "       xprobe wait-colours TOLERANCE TIMEOUT_MS X,Y,RRGGBB...\n"
                         "       xprobe xss-state\n"
                         "       xprobe host-window X Y W H\n");
    return 2;
}

// Polls the region until every byte is within tolerance of the expected raw RGB picture. Prints the
// milliseconds from the probe's start to the first match.
int WaitRegion(Display* dpy, char** argv) {
    const int x = std::atoi(argv[0]), y = std::atoi(argv[1]), w = std::atoi(argv[2]), h = std::atoi(argv[3]);
    const int tolerance = std::atoi(argv[5]);
    const long long timeout = std::atoll(argv[6]);
    std::ifstream in(argv[4], std::ios::binary);
    std::vector<unsigned char> expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (w <= 0 || h <= 0 || expected.size() != static_cast<size_t>(w) * h * 3) {
        std::fprintf(stderr, "xprobe: expected picture has %zu bytes, not %d\n", expected.size(), w * h * 3);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    std::vector<unsigned char> got(expected.size());
    int bestMismatch = w * h;
    while (MsSince(start) < timeout) {
        XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), x, y, w, h, AllPlanes, ZPixmap);
        if (!image) return 2;
        int mismatched = 0;
        for (int row = 0; row < h; ++row) {
            for (int col = 0; col < w; ++col) {
                const unsigned long p = XGetPixel(image, col, row);
                unsigned char* g = &got[(static_cast<size_t>(row) * w + col) * 3];
                g[0] = (p >> 16) & 0xFF;
                g[1] = (p >> 8) & 0xFF;
                g[2] = p & 0xFF;
                const unsigned char* e = &expected[(static_cast<size_t>(row) * w + col) * 3];
                for (int c = 0; c < 3; ++c)
                    if (std::abs(g[c] - e[c]) > tolerance) {
                        ++mismatched;
                        break;
                    }
            }
        }
        XDestroyImage(image);
        if (mismatched < bestMismatch) {
            bestMismatch = mismatched;
            if (argv[7])
                std::ofstream(argv[7], std::ios::binary).write(reinterpret_cast<char*>(got.data()), got.size());
        }
        if (mismatched == 0) {
            std::printf("match %lld\n", MsSince(start));
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::printf("timeout, best frame had %d mismatched pixels\n", bestMismatch);
    return 1;
}

// Polls single pixels until each is within tolerance of its colour (X,Y,RRGGBB in hex). Prints the
// milliseconds to the match, or the pixels last seen.
int WaitColours(Display* dpy, int argc, char** argv) {
    const int tolerance = std::atoi(argv[0]);
    const long long timeout = std::atoll(argv[1]);
    struct Probe {
        int x, y;
        unsigned rgb, seen;
    };
    std::vector<Probe> probes;
    for (int i = 2; i < argc; ++i) {
        Probe p{};
        if (std::sscanf(argv[i], "%d,%d,%x", &p.x, &p.y, &p.rgb) != 3) {
            std::fprintf(stderr, "xprobe: bad probe %s\n", argv[i]);
            return 2;
        }
        probes.push_back(p);
    }
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        bool all = true;
        for (Probe& p : probes) {
            XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), p.x, p.y, 1, 1, AllPlanes, ZPixmap);
            if (!image) return 2;
            p.seen = static_cast<unsigned>(XGetPixel(image, 0, 0) & 0xFFFFFF);
            XDestroyImage(image);
            for (int shift : {16, 8, 0})
                if (std::abs(int((p.seen >> shift) & 0xFF) - int((p.rgb >> shift) & 0xFF)) > tolerance) all = false;
        }
        if (all) {
            std::printf("match %lld\n", MsSince(start));
            return 0;
        }
        if (MsSince(start) >= timeout) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::printf("timeout, last seen:");
    for (const Probe& p : probes)
        std::printf(" %d,%d,%06x", p.x, p.y, p.seen);
    std::printf("\n");
    return 1;
}

int XssState(Display* dpy) {
    int eventBase = 0, errorBase = 0;
    if (!XScreenSaverQueryExtension(dpy, &eventBase, &errorBase)) {
        std::puts("no-extension");
        return 1;
    }
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    XScreenSaverQueryInfo(dpy, DefaultRootWindow(dpy), info);
    const char* names[] = {"off", "on", "cycle", "disabled"};
    std::puts(info->state >= 0 && info->state <= 3 ? names[info->state] : "unknown");
    XFree(info);
    return 0;
}

int HostWindow(Display* dpy, char** argv) {
    const int x = std::atoi(argv[0]), y = std::atoi(argv[1]), w = std::atoi(argv[2]), h = std::atoi(argv[3]);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(dpy, DefaultScreen(dpy));
    const Window win = XCreateWindow(dpy, DefaultRootWindow(dpy), x, y, w, h, 0, CopyFromParent, InputOutput,
                                     CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(dpy, win);
    XSync(dpy, False);
    std::printf("0x%lx\n", win);
    std::fflush(stdout);
    for (;;) {
        XEvent e;
        XNextEvent(dpy, &e);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "xprobe: cannot open display\n");
        return 2;
    }
    const std::string command = argv[1];
    if (command == "wait-region" && argc >= 9) return WaitRegion(dpy, argv + 2);
    if (command == "wait-colours" && argc >= 5) return WaitColours(dpy, argc - 2, argv + 2);
    if (command == "xss-state") return XssState(dpy);
    if (command == "host-window" && argc >= 6) return HostWindow(dpy, argv + 2);
    return Usage();
}
