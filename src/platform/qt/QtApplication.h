#pragma once
// The application object on Qt: its title, the modal error box and the active state. The QApplication must
// exist before this object is made and outlive it.
#include "platform/Application.h"

#include <QMetaObject>

#include <string>

namespace vis {

// Font names the program's windows ask for ("ＭＳ Ｐゴシック", "MS PGothic", "Century") mapped to the
// free fonts Debian ships (IPAPGothic, C059), so that the dialogs look as designed. Call after the
// QApplication exists; QtApplication's constructor calls it, calling it again is harmless.
void InstallFontAliases();

// The line an error becomes on standard error: "name: message", the message cut as in the box and its
// line breaks turned into spaces, so that one error is one line.
std::string ErrorLine(const std::string& name, const std::string& message);

class QtApplication : public Application {
  public:
    QtApplication();
    ~QtApplication() override;
    QtApplication(const QtApplication&) = delete;
    QtApplication& operator=(const QtApplication&) = delete;
    void SetTitle(const std::string& title) override;
    std::string Title() const override;
    // A modal message box with the title as caption and one OK button; returns when the user closes it.
    // With errors sent to standard error, one line there instead, and it returns at once.
    void ShowError(const std::string& message) override;
    // Inside xscreensaver nobody can answer a box (a click unblanks the screen instead): each error becomes
    // the line "name: message" on standard error, which xscreensaver keeps in its log.
    void SendErrorsToStandardError(const std::string& name) { errorName_ = name; }
    // Active from the start (as the frame timer expects) until Qt reports otherwise.
    bool IsActive() const override;
    // Inside another program's window (an xscreensaver hack) the saver counts as active throughout.
    void SetAlwaysActive(bool always) { alwaysActive_ = always; }

  private:
    std::string title_;
    std::string errorName_;
    bool active_ = true;
    bool alwaysActive_ = false;
    QMetaObject::Connection stateConnection_;
};

} // namespace vis
