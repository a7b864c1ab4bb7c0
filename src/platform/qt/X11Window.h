#pragma once
// All the Xlib calls of the shell, kept in one place because Xlib's macros clash with Qt's names: the
// display, foreign windows, the X server's own screen saver and its suspension (X11ScreenSaver).

namespace vis {

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
