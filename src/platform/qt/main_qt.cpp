// The program entry on Linux. The role and the silent ends are decided before Qt starts, so they need no
// display; then the one main window of the role runs until it closes.
#include "platform/posix/FlockGuard.h"
#include "platform/posix/ProgramPath.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/SaverRole.h"
#include "platform/qt/SignalNotifier.h"
#include "qv/Files.h"
#include "qv/Startup.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#if __has_include("platform/qt/SettingsWindow.h")
#include "platform/qt/SettingsWindow.h"
#define VIS_HAVE_SETTINGS_WINDOW 1
#endif
#if __has_include("platform/qt/InstallerWindow.h")
#include "platform/qt/InstallerWindow.h"
#define VIS_HAVE_INSTALLER_WINDOW 1
#endif

namespace {
bool HaveDisplay() {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* v = std::getenv(name);
        if (v && *v) return true;
    }
    return false;
}

// A copy started by xscreensaver never refuses to start: it takes its shared guard now if it can, and
// otherwise waits for it with a black window (RunSaverRole).
class HackGuard : public vis::InstanceGuard {
  public:
    explicit HackGuard(vis::FlockGuard& guard) : guard_(guard) {}
    bool TryAcquire() override {
        guard_.TryAcquire();
        return true;
    }

  private:
    vis::FlockGuard& guard_;
};

struct RoleResult {
    int status = 0;
    int signal = 0;
};

// The role's window and its loop. The application objects end with this function, so that a caller dying
// by a signal has let go of the display and everything else first.
RoleResult RunRole(int argc, char** argv, const vis::StartDecision& d, const std::string& programPath,
                   const std::string& firstArg, vis::FlockGuard& guard, bool hack) {
    using namespace vis;
    QApplication qapp(argc, argv);
    QtApplication app;
    app.SetTitle(d.title);
    switch (d.role) {
    case Role::Saver: {
        SaverRun run;
        run.host = HackHostWindow(firstArg);
        run.guard = &guard;
        if (hack) run.errorName = SaverName(programPath);
        const SaverResult result = RunSaverRole(programPath, app, run);
        return RoleResult{result.status, result.signal};
    }
    case Role::Settings:
#ifdef VIS_HAVE_SETTINGS_WINDOW
    {
        const int status = RunSettingsRole(programPath, app);
        guard.Release(); // the window has closed
        return RoleResult{status, 0};
    }
#else
        std::printf("%s: settings role, data folder %s\n", d.title.c_str(), d.dataFolder.c_str());
        return {};
#endif
    case Role::Installer:
#ifdef VIS_HAVE_INSTALLER_WINDOW
    {
        const int status = RunInstallerRole(programPath, app);
        guard.Release(); // the window has closed
        return RoleResult{status, 0};
    }
#else
        std::printf("%s: installer role\n", d.title.c_str());
        return {};
#endif
    }
    return {};
}
} // namespace

int main(int argc, char** argv) {
    using namespace vis;
    const std::string programPath = ProgramPathFromArgv0(argc > 0 ? argv[0] : "qv");
    const std::string firstArg = argc > 1 ? argv[1] : "";
    bool preview = false;
    const bool hack = RoleFor(programPath, firstArg, PathStyle::Posix, preview) == Role::Saver && !preview &&
                      IsHackStart(firstArg, std::getenv("XSCREENSAVER_WINDOW"));
    // Held until the process ends, however it ends.
    static FlockGuard guard({}, hack ? FlockGuard::Mode::Shared : FlockGuard::Mode::Exclusive);
    HackGuard hackGuard(guard);
    InstanceGuard& startGuard = hack ? static_cast<InstanceGuard&>(hackGuard) : guard;
    const StartDecision d = DecideStart(programPath, firstArg, PathStyle::Posix, startGuard, FileExists);
    if (d.outcome != StartOutcome::RunWindow) return ExitStatusFor(d.outcome);

    if (!HaveDisplay()) {
        // Qt would abort without a display; say why instead.
        std::fprintf(stderr, "%s: no display (set DISPLAY or QT_QPA_PLATFORM)\n", d.title.c_str());
        return 1;
    }
    // The slideshow shows pictures pixel for pixel, whatever scale the desktop sets for its widgets.
    if (d.role == Role::Saver) setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 0);

    const RoleResult result = RunRole(argc, argv, d, programPath, firstArg, guard, hack);
    if (result.signal != 0) DieBySignal(result.signal);
    return result.status;
}
