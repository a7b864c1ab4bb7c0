#pragma once
// All the Xlib calls of the shell, kept in one place because Xlib's macros clash with Qt's names: the
// display, foreign windows, the X server's own screen saver and its suspension (X11ScreenSaver), and the
// window's pixels in memory shared with the X server.
#include <cstdint>
#include <memory>

namespace vis {

// 32-bit pixels (0xFFRRGGBB, rows without padding) in a shared memory segment the X server reads (MIT-SHM):
// drawing them on a window costs the program no copy at all, where painting through Qt copies every pixel
// into its own buffer first.
class X11SharedImage {
  public:
    // Null when the display cannot share memory (a remote display) or shows no 24-bit true colour.
    static std::unique_ptr<X11SharedImage> Create(int width, int height);
    ~X11SharedImage();
    X11SharedImage(const X11SharedImage&) = delete;
    X11SharedImage& operator=(const X11SharedImage&) = delete;

    std::uint32_t* Pixels() const { return pixels_; }
    // Has the system make the pixels' pages (some eight thousand at 4K) on another thread, contents unchanged,
    // so that the first drawing does not wait for them page by page. Best started once the window is up: made
    // while the window starts, they only hold its start up.
    void Populate();
    // Draws the image's rectangle at the same place of the window. The server reads the pixels later: call
    // Settle before drawing into them again.
    void Put(unsigned long window, int x, int y, int width, int height);
    // Waits until the server has read what Put asked it to (a round trip), so that drawing into the pixels
    // next cannot show half drawn; returns at once when nothing is outstanding.
    void Settle();
    // Fills a rectangle of the window black (where a window is larger than the image).
    void FillBlack(unsigned long window, int x, int y, int width, int height);

  private:
    struct State;
    explicit X11SharedImage(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
    std::uint32_t* pixels_ = nullptr;
};

// The application's X connection (a Display*), null on a platform other than X11.
void* X11DisplayOfApplication();
// An X window's place on the root window; false when the window does not exist.
bool X11WindowRootGeometry(unsigned long window, int& x, int& y, int& width, int& height);
// The root window of the default screen; 0 without X11.
unsigned long X11RootWindow();
// Switches the X server's own screen saver on (a timeout of 0 becomes the server's default) or off.
// display is a Display*; null does nothing.
void SwitchXScreenSaver(void* display, bool on);

} // namespace vis
