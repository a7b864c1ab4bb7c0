// The program entry on Linux. The role and the silent ends are decided before Qt starts, so they need no
// display; then the one main window of the role runs until it closes.
#include "platform/posix/FlockGuard.h"
#include "platform/posix/ProgramPath.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/SaverRole.h"
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
} // namespace

int main(int argc, char** argv) {
    using namespace vis;
    const std::string programPath = ProgramPathFromArgv0(argc > 0 ? argv[0] : "qv");
    const std::string firstArg = argc > 1 ? argv[1] : "";
    // Held until the process ends, however it ends.
    static FlockGuard guard;
    const StartDecision d = DecideStart(programPath, firstArg, PathStyle::Posix, guard, FileExists);
    if (d.outcome != StartOutcome::RunWindow) return ExitStatusFor(d.outcome);

    if (!HaveDisplay()) {
        // Qt would abort without a display; say why instead.
        std::fprintf(stderr, "%s: no display (set DISPLAY or QT_QPA_PLATFORM)\n", d.title.c_str());
        return 1;
    }
    // The slideshow shows pictures pixel for pixel, whatever scale the desktop sets for its widgets.
    if (d.role == Role::Saver) setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 0);

    QApplication qapp(argc, argv);
    QtApplication app;
    app.SetTitle(d.title);
    switch (d.role) {
    case Role::Saver:
        return RunSaverRole(programPath, app, HackHostWindow(firstArg));
    case Role::Settings:
#ifdef VIS_HAVE_SETTINGS_WINDOW
        return RunSettingsRole(programPath, app);
#else
        std::printf("%s: settings role, data folder %s\n", d.title.c_str(), d.dataFolder.c_str());
        return 0;
#endif
    case Role::Installer:
#ifdef VIS_HAVE_INSTALLER_WINDOW
        return RunInstallerRole(programPath, app);
#else
        std::printf("%s: installer role\n", d.title.c_str());
        return 0;
#endif
    }
    return 0;
}
