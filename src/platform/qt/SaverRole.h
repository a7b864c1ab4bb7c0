#pragma once
// The saver role on Qt: the saver window with its platform (clock, music, the X screen saver), run until
// the window closes. The QApplication and the application object exist already.
#include <string>

namespace vis {

class FlockGuard;
class QtApplication;

struct SaverRun {
    // The X window to draw into as an xscreensaver hack, 0 for the saver's own full-screen window.
    unsigned long host = 0;
    // The process's guard, released as soon as the window has closed. A hack copy that does not hold it yet
    // (the user's own roles have it) keeps its window black and starts the show once the guard is free.
    FlockGuard* guard = nullptr;
    // Non-empty inside xscreensaver: errors go to standard error under this name instead of a box.
    std::string errorName;
};

struct SaverResult {
    int status = 0;
    // The termination signal that ended the show, 0 for an ordinary end. Everything the saver changed is
    // restored when this returns; the caller then dies by the signal.
    int signal = 0;
};

SaverResult RunSaverRole(const std::string& programPath, QtApplication& app, const SaverRun& run);

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
