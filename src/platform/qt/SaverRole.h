#pragma once
// The saver role on Qt: the saver window with its platform (clock, music, the X screen saver), run until
// the window closes. The QApplication and the application object exist already.
#include <string>

namespace vis {

class QtApplication;

// host: the X window to draw into as an xscreensaver hack, 0 for the saver's own full-screen window.
int RunSaverRole(const std::string& programPath, QtApplication& app, unsigned long host);

// The window an xscreensaver hack draws into: XSCREENSAVER_WINDOW, else the root window for "-root";
// 0 when the program runs on its own.
unsigned long HackHostWindow(const std::string& firstArg);

} // namespace vis
