#pragma once
// The saver role on Qt: the saver window with its platform (clock, music, the X screen saver), run until
// the window closes. The QApplication and the application object exist already.
#include "platform/Roles.h"

#include <string>

namespace vis {

class QtApplication;

// As an xscreensaver hack the show draws into the window it was given, errors go to standard error under
// the saver's name instead of a box, and a copy that does not hold the guard yet (the user's own roles have
// it) keeps its window black and starts the show once the guard is free.
RoleResult RunSaverRole(QtApplication& app, const RoleStart& start);

// Whether the program runs inside xscreensaver's process model: started with "-root" or "--root", or given
// a window through XSCREENSAVER_WINDOW (xscreensaverWindow may be null).
bool IsHackStart(const std::string& firstArg, const char* xscreensaverWindow);

// The window an xscreensaver hack draws into: XSCREENSAVER_WINDOW, else the root window for "-root" or
// "--root"; 0 when the program runs on its own.
unsigned long HackHostWindow(const std::string& firstArg);

// The saver's name for xscreensaver's log: the program's file name without its extension ("Sunset" for
// ".../Sunset.scr").
std::string SaverName(const std::string& programPath);

} // namespace vis
