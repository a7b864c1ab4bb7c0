#include "platform/qt/DialogLoop.h"

#include <QGuiApplication>
#include <QScreen>

namespace vis {

void CenterWindowOnScreen(QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->geometry().center());
    window.move(frame.topLeft());
}

} // namespace vis
