#include "platform/qt/InstallerWindow.h"

#include "platform/Application.h"
#include "platform/InstanceGuard.h"
#include "platform/posix/PosixInstallerFiles.h"
#include "platform/posix/XscreensaverConfig.h"
#include "platform/qt/DialogLoop.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/X11Window.h"
#include "platform/qt/XdgShell.h"
#include "qv/Dispatch.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace vis {

namespace {

using L = InstallerLayout;

QFont PixelFont(const char* family, int pixels) {
    QFont f(QString::fromUtf8(family));
    f.setPixelSize(pixels);
    return f;
}

} // namespace

InstallerWindow::InstallerWindow(const std::string& programPath, Application& app, InstallerFiles& files,
                                 SystemSettings& settings, Shell& shell, const std::string& activeSaverStore,
                                 QWidget* parent)
    // An ordinary top-level window, so that task bars list it (a utility window would be transient for
    // Qt's hidden leader window and left out); only the close box in its title bar.
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      app_(app), form_(
                     programPath, files, settings, shell, [this] { close(); }, activeSaverStore) {
    setObjectName("FmInst");
    setWindowTitle(QString::fromUtf8(L::caption));
    setFixedSize(L::clientWidth, L::clientHeight);
    setFont(PixelFont(L::formFont, L::formFontPixels));

    label1_ = new QLabel(QString::fromUtf8(L::label1Text), this);
    label1_->setObjectName("Label1");
    label1_->setGeometry(L::label1Left, L::label1Top, L::label1Width, L::label1Height);
    QFont labelFont = PixelFont(L::label1Font, L::label1FontPixels);
    labelFont.setBold(true);
    labelFont.setItalic(true);
    label1_->setFont(labelFont);

    button1_ = new QPushButton(QString::fromUtf8(L::button1Caption), this);
    button1_->setObjectName("Button1");
    button1_->setGeometry(L::button1Left, L::button1Top, L::button1Width, L::button1Height);
    button1_->setFont(PixelFont(L::button1Font, L::button1FontPixels));
    button1_->setFocus(); // first in tab order, and the only control that takes focus
    connect(button1_, &QPushButton::clicked, this, [this] { Dispatch(app_, [this] { form_.Button1Click(); }); });

    Dispatch(app_, [this] { form_.FormCreate(); });
}

void InstallerWindow::CenterOnScreen() {
    CenterWindowOnScreen(*this);
}

void InstallerWindow::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        Dispatch(app_, [this] { form_.FormClose(); });
        emit closed();
    }
    event->accept();
}

void InstallerWindow::keyPressEvent(QKeyEvent* event) {
    // A plain window's button does not take Return by itself. OK is the only control, so Return means OK.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        button1_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

RoleResult RunInstallerRole(QtApplication& app, const RoleStart& start) {
    const std::string& programPath = start.programPath;
    PosixInstallerFiles files;
    void* display = X11DisplayOfApplication();
    XscreensaverSettings settings(XscreensaverConfigPath(), kXscreensaverDefaultsFile,
                                  [display](bool on) { SwitchXScreenSaver(display, on); });
    XdgShell shell;
    InstallerWindow window(programPath, app, files, settings, shell, settings.ConfigPath());
    const int status = RunUntilClosed(window);
    if (start.guard) start.guard->Release(); // the window has closed
    return RoleResult{status, 0};
}

} // namespace vis
