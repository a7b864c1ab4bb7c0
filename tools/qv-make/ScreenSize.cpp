#include "ScreenSize.h"

#if defined(_WIN32)
#include <windows.h>
#elif defined(VIS_HAVE_X11)
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <cstdlib>
#endif

namespace vis::make {

#if defined(_WIN32)

std::optional<Size> PrimaryScreenSize() {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    if (w <= 0 || h <= 0) return std::nullopt;
    return Size{w, h};
}

#elif defined(VIS_HAVE_X11)

namespace {

// The size of an output's picture, when the output is lit.
std::optional<Size> CrtcSize(Display* dpy, XRRScreenResources* res, RRCrtc crtc) {
    if (crtc == 0) return std::nullopt;
    XRRCrtcInfo* info = XRRGetCrtcInfo(dpy, res, crtc);
    if (!info) return std::nullopt;
    std::optional<Size> size;
    if (info->width > 0 && info->height > 0)
        size = Size{static_cast<std::int32_t>(info->width), static_cast<std::int32_t>(info->height)};
    XRRFreeCrtcInfo(info);
    return size;
}

std::optional<Size> RandrPrimary(Display* dpy, Window root) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(dpy, &eventBase, &errorBase) || !XRRQueryVersion(dpy, &major, &minor) ||
        (major == 1 && minor < 3))
        return std::nullopt;
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, root);
    if (!res) return std::nullopt;
    std::optional<Size> size;
    if (const RROutput primary = XRRGetOutputPrimary(dpy, root); primary != 0) {
        if (XRROutputInfo* out = XRRGetOutputInfo(dpy, res, primary)) {
            size = CrtcSize(dpy, res, out->crtc);
            XRRFreeOutputInfo(out);
        }
    }
    // No primary output set: the first lit one is where a desktop starts.
    for (int i = 0; !size && i < res->ncrtc; ++i)
        size = CrtcSize(dpy, res, res->crtcs[i]);
    XRRFreeScreenResources(res);
    return size;
}

// Xlib's default handler ends the program on any protocol error; a server that refuses a RandR request
// only means falling back to the whole screen's size.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

std::optional<Size> PrimaryScreenSize() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return std::nullopt;
    Display* dpy = XOpenDisplay(name);
    if (!dpy) return std::nullopt;
    const auto previous = XSetErrorHandler(IgnoreXError);
    const int screen = DefaultScreen(dpy);
    std::optional<Size> size = RandrPrimary(dpy, RootWindow(dpy, screen));
    if (!size) size = Size{DisplayWidth(dpy, screen), DisplayHeight(dpy, screen)};
    XSync(dpy, False);
    XCloseDisplay(dpy);
    XSetErrorHandler(previous);
    return size;
}

#else

std::optional<Size> PrimaryScreenSize() {
    return std::nullopt;
}

#endif

} // namespace vis::make
