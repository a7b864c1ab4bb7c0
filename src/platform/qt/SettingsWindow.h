#pragma once
// The settings dialog's window on Qt: the controls of FmSetting at their design positions, showing what
// TFmSetting decides and reporting the user's clicks to it.
#include "platform/Roles.h"
#include "settings/UnSetting.h"

#include <QWidget>

#include <array>
#include <string>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QTabWidget;

namespace vis {

class QtApplication;

class Application;
class Shell;

class SettingsWindow : public QWidget, public SettingView {
    Q_OBJECT
  public:
    // Builds the controls and runs FormCreate (its errors go to app's error box); FormShow runs when the
    // window is first shown.
    SettingsWindow(const std::string& programPath, Application& app, Shell& shell, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    TFmSetting& Form() { return form_; }
    // The components, for tests of the window.
    QCheckBox* CheckBox(SettingBox box) const { return boxes_[static_cast<std::size_t>(box)]; }
    QSlider* TrackBar(SettingTrackBar bar) const { return trackBars_[static_cast<std::size_t>(bar)]; }
    QTabWidget* PageControl1() const { return pageControl_; }
    QWidget* Page(SettingPage page) const { return pages_[static_cast<std::size_t>(page)]; }
    QLabel* ImgEffect1() const { return imgEffect1_; }
    QLabel* LblUrl() const { return lblUrl_; }
    QPushButton* Button1() const { return button1_; }
    // Moves the window to the middle of its screen.
    void CenterOnScreen();

    bool Checked(SettingBox box) const override;
    void SetCheckedState(SettingBox box, bool checked) override;
    bool Enabled(SettingBox box) const override;
    void SetEnabled(SettingBox box, bool enabled) override;
    int Position(SettingTrackBar bar) const override;
    void SetPosition(SettingTrackBar bar, int position) override;
    void SetPageVisible(SettingPage page, bool visible) override;
    void SetCurrentPage(SettingPage page) override;
    void ShowPreview(const Bitmap& picture, Color transparentColor) override;
    std::string LblUrlText() const override;
    void Close() override;

  signals:
    void closed();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildEffectsPage(QWidget* page);
    void BuildTimesPage(QWidget* page);
    void BuildAboutPage(QWidget* page);
    void BuildBottomRow();

    Application& app_;
    TFmSetting form_;
    bool shown_ = false;
    QTabWidget* pageControl_ = nullptr;
    std::array<QWidget*, 3> pages_{};
    std::array<QCheckBox*, kSettingBoxCount> boxes_{};
    std::array<QSlider*, 2> trackBars_{};
    QLabel* imgEffect1_ = nullptr;
    QLabel* lblUrl_ = nullptr;
    QPushButton* button1_ = nullptr;
};

// The settings role: the dialog for the program's data folder, run until it closes. The QApplication and
// the application object exist already.
RoleResult RunSettingsRole(QtApplication& app, const RoleStart& start);

} // namespace vis
