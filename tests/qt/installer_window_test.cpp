#include "platform/qt/InstallerWindow.h"

#include "platform/headless/Headless.h"
#include "platform/posix/PosixInstallerFiles.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace vis {
namespace {

class InstallerWindowTest : public ::testing::Test {
  protected:
    InstallerWindowTest() {
        std::filesystem::create_directories(data);
        test::WriteBytes(program, "the program");
        test::WriteBytes(data + "/readme.txt", "read me");
    }
    InstallerWindow& Make() {
        window = std::make_unique<InstallerWindow>(program, app, files, settings, shell, "the store");
        window->show();
        return *window;
    }

    test::TempDir dir;
    std::string data = dir.Path() + "/velloran/SUNSET";
    std::string program = data + "/install.exe";
    HeadlessApplication app;
    PosixInstallerFiles files;
    RecordingSystemSettings settings;
    RecordingShell shell;
    std::unique_ptr<InstallerWindow> window;
};

TEST_F(InstallerWindowTest, LaidOutAsDesigned) {
    InstallerWindow& w = Make();
    EXPECT_EQ(w.windowTitle().toStdString(), "Install Screen Saver");
    EXPECT_EQ(w.size(), QSize(201, 58));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(w.windowType(), Qt::Window); // not a utility window: task bars list it

    QLabel* label = w.Label1();
    EXPECT_EQ(label->objectName().toStdString(), "Label1");
    EXPECT_EQ(label->text().toStdString(), "Screen Saver Installed.");
    EXPECT_EQ(label->geometry(), QRect(6, 8, 187, 18));
    EXPECT_EQ(label->font().family().toStdString(), "Century");
    EXPECT_EQ(label->font().pixelSize(), 15);
    EXPECT_TRUE(label->font().bold());
    EXPECT_TRUE(label->font().italic());

    QPushButton* ok = w.Button1();
    EXPECT_EQ(ok->text().toStdString(), "OK");
    EXPECT_EQ(ok->geometry(), QRect(72, 34, 59, 20));
    EXPECT_EQ(ok->font().family().toStdString(), "Century");
    EXPECT_EQ(ok->font().pixelSize(), 12);
    EXPECT_FALSE(ok->font().bold());
}

TEST_F(InstallerWindowTest, InstallsWhileBuiltAndClosesOnceByOk) {
    InstallerWindow& w = Make();
    EXPECT_TRUE(app.errors.empty());
    EXPECT_EQ(test::ReadBytes(dir.Path() + "/SUNSET.SCR"), "the program");
    EXPECT_EQ(settings.recordedSavers, std::vector<std::string>{dir.Path() + "/SUNSET.SCR"});
    EXPECT_TRUE(settings.activeCalls.empty());

    QSignalSpy closed(&w, &InstallerWindow::closed);
    QTest::mouseClick(w.Button1(), Qt::LeftButton);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(settings.activeCalls, std::vector<bool>{true});
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].file, "readme.txt");
    EXPECT_EQ(shell.calls[0].folder, data);
    w.close();
    EXPECT_EQ(settings.activeCalls.size(), 1u);
}

TEST_F(InstallerWindowTest, ReturnOnOkAndTheCloseBoxCloseToo) {
    InstallerWindow& w = Make();
    w.Button1()->setFocus();
    QTest::keyClick(w.Button1(), Qt::Key_Return);
    EXPECT_EQ(settings.activeCalls, std::vector<bool>{true});

    InstallerWindow& again = Make();
    again.close();
    EXPECT_EQ(settings.activeCalls, (std::vector<bool>{true, true}));
}

TEST_F(InstallerWindowTest, AFailedRecordIsShownAndTheWindowStillOpens) {
    settings.recordResult = false;
    InstallerWindow& w = Make();
    EXPECT_EQ(app.errors, std::vector<std::string>{"the store に書き込めません"});
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.Label1()->text().toStdString(), "Screen Saver Installed.");
}

} // namespace
} // namespace vis
