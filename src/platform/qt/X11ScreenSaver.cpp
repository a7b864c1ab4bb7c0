#include "platform/qt/X11ScreenSaver.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace vis {

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

bool X11ScreenSaver::RecordActiveSaver(const std::string&) { return false; }

} // namespace vis
