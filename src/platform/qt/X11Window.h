#pragma once
// The few Xlib calls the shell makes, kept apart because Xlib's macros clash with Qt's names.

namespace vis {

// The application's X connection (a Display*), null on a platform other than X11.
void* X11DisplayOfApplication();
// An X window's place on the root window; false when the window does not exist.
bool X11WindowRootGeometry(unsigned long window, int& x, int& y, int& width, int& height);
// The root window of the default screen; 0 without X11.
unsigned long X11RootWindow();

} // namespace vis
