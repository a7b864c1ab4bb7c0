#pragma once
// The small windows of the settings and installer roles: centred on their screen, run until they close.
#include <QEventLoop>
#include <QWidget>

namespace vis {

// Centres the window's frame on its screen.
void CenterWindowOnScreen(QWidget& window);

// Shows the window centred and runs a local event loop until it emits closed().
template <class Window> int RunUntilClosed(Window& window) {
    QEventLoop loop;
    QObject::connect(&window, &Window::closed, &loop, &QEventLoop::quit);
    CenterWindowOnScreen(window);
    window.show();
    CenterWindowOnScreen(window); // again, now that the frame's size is known
    if (window.isVisible()) loop.exec();
    return 0;
}

} // namespace vis
