#include "platform/qt/QtApplication.h"

#include "qv/Errors.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QWidget>

#include <cstdio>

namespace vis {

void InstallFontAliases() {
    // Qt consults these substitutes only when the asked family is not installed, so a system that has the
    // original fonts keeps them.
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("Century"), QStringLiteral("C059"));
}

QtApplication::QtApplication() {
    InstallFontAliases();
    stateConnection_ =
        QObject::connect(qApp, &QGuiApplication::applicationStateChanged, qApp, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive) active_ = true;
            if (state == Qt::ApplicationInactive) active_ = false;
        });
}

QtApplication::~QtApplication() {
    QObject::disconnect(stateConnection_);
}

// Kept here rather than as Qt's display name, which Qt would append to every window's caption.
void QtApplication::SetTitle(const std::string& title) {
    title_ = title;
}

std::string QtApplication::Title() const {
    return title_;
}

std::string ErrorLine(const std::string& name, const std::string& message) {
    std::string text = ErrorBoxText(message);
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return name + ": " + text;
}

void QtApplication::ShowError(const std::string& message) {
    if (!errorName_.empty()) {
        std::fprintf(stderr, "%s\n", ErrorLine(errorName_, message).c_str());
        std::fflush(stderr);
        return;
    }
    // The box belongs to the active window, so it appears above a full-screen saver window too.
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(title_),
                    QString::fromStdString(ErrorBoxText(message)), QMessageBox::Ok, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    // Without a window manager the caption is not drawn, but the window title still names the box.
    box.setWindowTitle(QString::fromStdString(title_));
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    // A keyboard grab of the saver window would keep the keys from the box.
    QWidget* grabber = QWidget::keyboardGrabber();
    if (grabber) grabber->releaseKeyboard();
    box.exec();
    if (grabber) grabber->grabKeyboard();
}

bool QtApplication::IsActive() const {
    return alwaysActive_ || active_;
}

} // namespace vis
