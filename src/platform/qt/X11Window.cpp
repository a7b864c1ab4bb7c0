#include "platform/qt/X11Window.h"

#include "platform/qt/X11ScreenSaver.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/scrnsaver.h>
#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>

#include <cstddef>
#include <system_error>
#include <thread>

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

struct X11SharedImage::State {
    Display* dpy = nullptr;
    XShmSegmentInfo segment{};
    std::size_t bytes = 0;
    XImage* image = nullptr;
    GC gc = nullptr;
    ::Window gcWindow = 0;
    bool attached = false;
    bool outstanding = false;
    std::thread populate;
};

namespace {
bool attachFailed = false;
}

std::unique_ptr<X11SharedImage> X11SharedImage::Create(int width, int height) {
    auto* dpy = static_cast<Display*>(X11DisplayOfApplication());
    if (!dpy || width <= 0 || height <= 0 || !XShmQueryExtension(dpy)) return nullptr;
    const int screen = DefaultScreen(dpy);
    Visual* visual = DefaultVisual(dpy, screen);
    if (DefaultDepth(dpy, screen) != 24 || visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 ||
        visual->blue_mask != 0xFF)
        return nullptr;
    auto state = std::make_unique<State>();
    state->dpy = dpy;
    state->segment.shmid = -1;
    state->image = XShmCreateImage(dpy, visual, 24, ZPixmap, nullptr, &state->segment, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height));
    if (!state->image) return nullptr;
    std::unique_ptr<X11SharedImage> result(new X11SharedImage(std::move(state)));
    State& st = *result->state_;
    // The image's rows must be the screen bitmap's: 4 bytes a pixel, no padding, in this machine's byte order.
    if (st.image->bits_per_pixel != 32 || st.image->bytes_per_line != width * 4) return nullptr;
    const std::size_t bytes = static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height);
    st.segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (st.segment.shmid < 0) return nullptr;
    void* at = shmat(st.segment.shmid, nullptr, 0);
    if (at == reinterpret_cast<void*>(-1)) return nullptr;
    st.segment.shmaddr = st.image->data = static_cast<char*>(at);
    st.bytes = bytes;
    st.segment.readOnly = True;
    // The server refuses the segment asynchronously (a server on another machine): ask and wait for the answer.
    attachFailed = false;
    auto* previous = XSetErrorHandler([](Display*, XErrorEvent*) {
        attachFailed = true;
        return 0;
    });
    st.attached = XShmAttach(dpy, &st.segment) != 0;
    XSync(dpy, False);
    XSetErrorHandler(previous);
    st.attached = st.attached && !attachFailed;
    // Marked for removal at once: the segment goes when both sides have let it go, also after a crash.
    shmctl(st.segment.shmid, IPC_RMID, nullptr);
    if (!st.attached) return nullptr;
    result->pixels_ = reinterpret_cast<std::uint32_t*>(at);
    return result;
}

X11SharedImage::X11SharedImage(std::unique_ptr<State> state) : state_(std::move(state)) {}

X11SharedImage::~X11SharedImage() {
    if (!state_) return;
    State& st = *state_;
    if (st.populate.joinable()) st.populate.join();
    if (st.attached) {
        XShmDetach(st.dpy, &st.segment);
        XSync(st.dpy, False);
    }
    if (st.gc) XFreeGC(st.dpy, st.gc);
    if (st.segment.shmaddr) shmdt(st.segment.shmaddr);
    if (st.image) {
        st.image->data = nullptr;
        XDestroyImage(st.image);
    }
}

namespace {
GC GcFor(Display* dpy, ::Window window, GC& gc, ::Window& gcWindow) {
    if (!gc || gcWindow != window) {
        if (gc) XFreeGC(dpy, gc);
        gc = XCreateGC(dpy, window, 0, nullptr);
        gcWindow = window;
    }
    return gc;
}
} // namespace

void X11SharedImage::Populate() {
    State& st = *state_;
    if (st.populate.joinable()) return;
    try {
        st.populate =
            std::thread([at = st.segment.shmaddr, bytes = st.bytes] { madvise(at, bytes, MADV_POPULATE_WRITE); });
    } catch (const std::system_error&) {
        // No thread to spare: the pages come as the first drawing touches them.
    }
}

void X11SharedImage::Put(unsigned long window, int x, int y, int width, int height) {
    State& st = *state_;
    if (width <= 0 || height <= 0) return;
    GC gc = GcFor(st.dpy, static_cast<::Window>(window), st.gc, st.gcWindow);
    XShmPutImage(st.dpy, static_cast<::Window>(window), gc, st.image, x, y, x, y, static_cast<unsigned>(width),
                 static_cast<unsigned>(height), False);
    XFlush(st.dpy);
    st.outstanding = true;
}

void X11SharedImage::Settle() {
    State& st = *state_;
    if (!st.outstanding) return;
    XSync(st.dpy, False);
    st.outstanding = false;
}

void X11SharedImage::FillBlack(unsigned long window, int x, int y, int width, int height) {
    State& st = *state_;
    if (width <= 0 || height <= 0) return;
    GC gc = GcFor(st.dpy, static_cast<::Window>(window), st.gc, st.gcWindow);
    XSetForeground(st.dpy, gc, BlackPixel(st.dpy, DefaultScreen(st.dpy)));
    XFillRectangle(st.dpy, static_cast<::Window>(window), gc, x, y, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
    XFlush(st.dpy);
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
