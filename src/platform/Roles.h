#pragma once
// The three roles' entry points. Each shell implements RunSaverRole, RunSettingsRole and RunInstallerRole
// with one signature over its own application object:
//     RoleResult Run...Role(ShellApplication& app, const RoleStart& start);
// Each runs its role's one window until it closes and returns once everything the role changed is restored.
#include <string>

namespace vis {

class InstanceGuard;

struct RoleStart {
    std::string programPath; // the running program's full path
    std::string firstArg;    // the first command-line argument, "" when there is none
    // The process's guard, which a shell may let go of as the window closes (so a quick second start is not
    // refused); a hack copy that does not hold it yet waits for it.
    InstanceGuard* guard = nullptr;
    // Started by xscreensaver ("-root", "--root" or XSCREENSAVER_WINDOW): its process model, not the user's.
    bool hack = false;
};

struct RoleResult {
    int status = 0; // the process's exit status
    // A termination signal that ended the role, 0 for an ordinary end; the caller then dies by it.
    int signal = 0;
};

} // namespace vis
