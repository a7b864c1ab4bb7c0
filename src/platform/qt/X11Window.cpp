#include "platform/qt/X11Window.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

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

} // namespace vis
