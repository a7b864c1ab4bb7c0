#include "platform/qt/SaverRole.h"

#include "platform/posix/FlockGuard.h"
#include "platform/qt/FluidSynthDevice.h"
#include "platform/qt/GuardWaiter.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtSaverWindow.h"
#include "platform/qt/SignalNotifier.h"
#include "platform/qt/SteadyClock.h"
#include "platform/qt/X11ScreenSaver.h"
#include "platform/qt/X11Window.h"
#include "saver/SaverSession.h"

#include <QApplication>

#include <cstdlib>
#include <memory>
#include <optional>

namespace vis {

namespace {
bool IsRootArgument(const std::string& firstArg) {
    return firstArg == "-root" || firstArg == "--root";
}
} // namespace

bool IsHackStart(const std::string& firstArg, const char* xscreensaverWindow) {
    return IsRootArgument(firstArg) || (xscreensaverWindow && *xscreensaverWindow);
}

unsigned long HackHostWindow(const std::string& firstArg) {
    if (const char* env = std::getenv("XSCREENSAVER_WINDOW"); env && *env) {
        char* end = nullptr;
        const unsigned long id = std::strtoul(env, &end, 0);
        if (end && *end == '\0' && id != 0) return id;
    }
    if (IsRootArgument(firstArg)) return X11RootWindow();
    return 0;
}

std::string SaverName(const std::string& programPath) {
    const auto slash = programPath.find_last_of('/');
    std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

RoleResult RunSaverRole(QtApplication& app, const RoleStart& start) {
    const std::string& programPath = start.programPath;
    const unsigned long host = HackHostWindow(start.firstArg);
    auto* guard = dynamic_cast<FlockGuard*>(start.guard);
    if (start.hack) app.SendErrorsToStandardError(SaverName(programPath));
    // Inside xscreensaver the system's saver is the one running: it is left alone, and the saver counts as
    // the active program whatever has the focus.
    app.SetAlwaysActive(host != 0);
    X11ScreenSaver system(host ? nullptr : X11DisplayOfApplication());
    SteadyClock clock;
    FluidSynthDevice media(FluidSynthDevice::FromEnvironment());
    QtSaverWindow::Options options = QtSaverWindow::FromEnvironment();
    options.host = static_cast<WId>(host);
    QtSaverWindow window(app, clock, options);
    SaverPlatform platform{.app = app,
                           .window = window,
                           .clock = clock,
                           .system = system,
                           .media = media,
                           .programPath = programPath,
                           .style = PathStyle::Posix,
                           .seed = options.seed,
                           .dataFolder = {},
                           .decodeAhead = options.decodeAhead};
    // Made only once the show may start: its frame timer counts from its creation.
    std::optional<SaverSession> session;
    auto startShow = [&] {
        session.emplace(platform);
        window.Attach(*session);
        window.CreateAndShow();
    };

    // A termination signal is a close request: the cursor and the system's saver come back as on a key.
    SignalNotifier termination;
    QObject::connect(&termination, &SignalNotifier::terminationRequested, &window, [&] {
        if (session)
            window.RequestClose();
        else
            window.EndLoop();
    });

    // The guard goes with the windows, before the rest of the shutdown. One still awaited stays with its
    // waiting thread; the process's end lets it go.
    window.OnLoopEnd([guard] {
        if (guard && guard->Held()) guard->Release();
    });

    std::unique_ptr<GuardWaiter> waiter;
    if (guard && !guard->Held()) {
        // A settings dialog or the user's own saver has the guard: a black window until it is free.
        window.ShowBlank();
        waiter = std::make_unique<GuardWaiter>(*guard, [&] {
            if (!window.LoopEnded()) startShow();
        });
        QApplication::exec();
    } else {
        startShow();
        if (!session->Closed()) QApplication::exec();
    }
    return RoleResult{.status = 0, .signal = termination.ReceivedSignal()};
}

} // namespace vis
