#pragma once
// The installer's window on Qt: "Screen Saver Installed." and OK, laid out as TFmInst's form. It installs
// while it is built and switches the screen saver on and opens the readme however it closes.
#include "install/UnInst.h"
#include "platform/Roles.h"

#include <QWidget>

#include <string>

class QLabel;
class QPushButton;

namespace vis {

class QtApplication;

class Application;

class InstallerWindow : public QWidget {
    Q_OBJECT
  public:
    // Builds the controls and runs FormCreate; its errors go to app's error box and the window opens anyway.
    InstallerWindow(const std::string& programPath, Application& app, InstallerFiles& files, SystemSettings& settings,
                    Shell& shell, const std::string& activeSaverStore, QWidget* parent = nullptr);

    TFmInst& Form() { return form_; }
    QLabel* Label1() const { return label1_; }
    QPushButton* Button1() const { return button1_; }
    void CenterOnScreen();

  signals:
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Application& app_;
    TFmInst form_;
    bool closed_ = false;
    QLabel* label1_ = nullptr;
    QPushButton* button1_ = nullptr;
};

// The installer role: installs the program beside its velloran folder, records it in ~/.xscreensaver and shows
// the window until it closes. The QApplication and the application object exist already.
RoleResult RunInstallerRole(QtApplication& app, const RoleStart& start);

} // namespace vis
