#pragma once
// The start-up decision: which of the three roles runs, or why the program ends without a window.
#include "qv/Paths.h"

#include <functional>
#include <string>

namespace vis {

class InstanceGuard;

enum class Role { Saver, Settings, Installer };

enum class StartOutcome {
    RunWindow,       // create the role's main window and run the message loop
    EndAtOnce,       // "/a": ended before the instance guard was touched
    AnotherInstance, // the guard "QOR" is held elsewhere
    Preview,         // "/p" or "-p": no preview window
    MissingDataFile, // a file the role needs is not in the data folder
};

struct StartDecision {
    StartOutcome outcome = StartOutcome::EndAtOnce;
    Role role = Role::Saver;
    std::string dataFolder; // empty for the installer, which works from its own folder
    std::string title;      // "Vistrelle" or "Installer for QV"
    std::string missingFile;
};

// The role the program file name and first argument select, ignoring the guard and the data files. "/p" and
// "-p" set preview: the program then ends once the guard has been taken.
Role RoleFor(const std::string& programPath, const std::string& firstArg, PathStyle style, bool& preview);

// The whole decision. The guard is taken (atomically) unless the argument is "/a"; a taken guard stays
// held by the caller's object for the life of the process.
StartDecision DecideStart(const std::string& programPath, const std::string& firstArg, PathStyle style,
                          InstanceGuard& guard, const std::function<bool(const std::string&)>& fileExists);

// Exit statuses of the silent ends, for scripts that start the program.
int ExitStatusFor(StartOutcome outcome);

} // namespace vis
