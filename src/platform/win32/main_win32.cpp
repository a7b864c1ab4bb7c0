// The program entry on Windows: the role from the program's own name and first argument, then one main window.
#include "platform/win32/InstallerWindow.h"
#include "platform/win32/SaverWindowWin32.h"
#include "platform/win32/SettingsDialogWin32.h"
#include "platform/win32/Win32Application.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Text.h"
#include "qv/Files.h"
#include "qv/Startup.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// The full path of the running program, with every component in its long form: started through a short
// (8.3) path, as the system does with the path recorded in System.ini, the data folder is still found
// under its real name.
std::string ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const DWORD need = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (need > 0) {
        std::wstring longPath(need, L'\0');
        const DWORD got = GetLongPathNameW(path.c_str(), longPath.data(), need);
        if (got > 0 && got < need) {
            longPath.resize(got);
            path = longPath;
        }
    }
    return vis::Narrow(path);
}

std::string FirstArgument() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::string first;
    if (argv && argc > 1) first = vis::Narrow(argv[1]);
    if (argv) LocalFree(argv);
    return first;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace vis;
    // No system error boxes for a missing floppy or a crash: the program's own handling decides.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const std::string programPath = ProgramPath();
    const std::string firstArg = FirstArgument();
    static MutexGuard guard;
    const StartDecision d = DecideStart(programPath, firstArg, PathStyle::Windows, guard, FileExists);
    if (d.outcome != StartOutcome::RunWindow) return ExitStatusFor(d.outcome);

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    Win32Application app(instance);
    const RoleStart start{.programPath = programPath, .firstArg = firstArg, .guard = &guard};
    switch (d.role) {
    case Role::Saver:
        app.HideFromTaskBar();
        app.SetTitle(d.title);
        return RunSaverRole(app, start).status;
    case Role::Settings:
        app.SetTitle(d.title);
        return RunSettingsRole(app, start).status;
    case Role::Installer:
        app.HideFromTaskBar();
        app.SetTitle(d.title);
        return RunInstallerRole(app, start).status;
    }
    return 0;
}
