#include "platform/qt/X11Window.h"

#include "platform/qt/X11ScreenSaver.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace vis {

void* X11DisplayOfApplication() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

bool X11WindowRootGeometry(unsigned long window, int& x, int& y, int& width, int& height) {
    auto* dpy = static_cast<Display*>(X11DisplayOfApplication());
    if (!dpy || window == 0) return false;
    // A window that is gone raises an X error; the default handler would end the program.
    auto* previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XWindowAttributes attributes{};
    Status ok = XGetWindowAttributes(dpy, static_cast<::Window>(window), &attributes);
    ::Window child = 0;
    if (ok) ok = XTranslateCoordinates(dpy, static_cast<::Window>(window), attributes.root, 0, 0, &x, &y, &child);
    XSync(dpy, False);
    XSetErrorHandler(previous);
    if (!ok) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

unsigned long X11RootWindow() {
    auto* dpy = static_cast<Display*>(X11DisplayOfApplication());
    return dpy ? DefaultRootWindow(dpy) : 0;
}

void SwitchXScreenSaver(void* display, bool on) {
    auto* dpy = static_cast<Display*>(display);
    if (!dpy) return;
    int timeout = 0, interval = 0, preferBlanking = 0, allowExposures = 0;
    XGetScreenSaver(dpy, &timeout, &interval, &preferBlanking, &allowExposures);
    // Only an X saver that is off changes: a timeout the user chose stays as it is.
    if (on && timeout == 0)
        XSetScreenSaver(dpy, -1, interval, preferBlanking, allowExposures);
    else if (!on && timeout != 0)
        XSetScreenSaver(dpy, 0, interval, preferBlanking, allowExposures);
    XFlush(dpy);
}

X11ScreenSaver::X11ScreenSaver(void* display) : display_(display) {
    if (!display_) return;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    auto* dpy = static_cast<Display*>(display_);
    // Suspending needs version 1.1 of the extension.
    available_ = XScreenSaverQueryExtension(dpy, &eventBase, &errorBase) &&
                 XScreenSaverQueryVersion(dpy, &major, &minor) && (major > 1 || (major == 1 && minor >= 1));
}

X11ScreenSaver::~X11ScreenSaver() {
    // A saver ended without its close handler (it never showed) must not leave the system's saver off.
    if (suspended_) SetScreenSaverActive(true);
}

void X11ScreenSaver::SetScreenSaverActive(bool active) {
    if (!available_) return;
    const bool suspend = !active;
    if (suspend == suspended_) return;
    auto* dpy = static_cast<Display*>(display_);
    XScreenSaverSuspend(dpy, suspend ? True : False);
    XFlush(dpy);
    suspended_ = suspend;
}

bool X11ScreenSaver::RecordActiveSaver(const std::string&) {
    return false;
}

} // namespace vis
