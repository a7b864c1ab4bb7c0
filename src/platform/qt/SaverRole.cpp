#include "platform/qt/SaverRole.h"

#include "platform/qt/FluidSynthDevice.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtSaverWindow.h"
#include "platform/qt/SignalNotifier.h"
#include "platform/qt/SteadyClock.h"
#include "platform/qt/X11ScreenSaver.h"
#include "platform/qt/X11Window.h"
#include "saver/Unqv.h"

#include <QApplication>

#include <cstdlib>

namespace vis {

unsigned long HackHostWindow(const std::string& firstArg) {
    if (const char* env = std::getenv("XSCREENSAVER_WINDOW"); env && *env) {
        char* end = nullptr;
        const unsigned long id = std::strtoul(env, &end, 0);
        if (end && *end == '\0' && id != 0) return id;
    }
    if (firstArg == "-root") return X11RootWindow();
    return 0;
}

int RunSaverRole(const std::string& programPath, QtApplication& app, unsigned long host) {
    // Inside xscreensaver the system's saver is the one running: it is left alone, and the saver counts as
    // the active program whatever has the focus.
    app.SetAlwaysActive(host != 0);
    X11ScreenSaver system(host ? nullptr : X11DisplayOfApplication());
    SteadyClock clock;
    FluidSynthDevice media(FluidSynthDevice::FromEnvironment());
    QtSaverWindow::Options options = QtSaverWindow::FromEnvironment();
    options.host = static_cast<WId>(host);
    QtSaverWindow window(app, clock, options);
    SaverPlatform platform{.app = app, .window = window, .clock = clock, .system = system, .media = media,
                           .programPath = programPath, .style = PathStyle::Posix, .seed = {}, .dataFolder = {}};
    TFmqv fm(platform);
    window.Attach(fm);

    // A termination signal is a close request: the cursor and the system's saver come back as on a key.
    SignalNotifier termination;
    QObject::connect(&termination, &SignalNotifier::terminationRequested, &window, [&window] { window.RequestClose(); });

    window.CreateAndShow();
    if (!fm.Closing()) QApplication::exec();
    return 0;
}

} // namespace vis
