// The Linux shell's application object and music device, in one process on Qt's offscreen platform.
#include "platform/qt/FluidSynthDevice.h"
#include "platform/qt/QtApplication.h"
#include "qv/Errors.h"
#include "saver/MediaPlayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace vis {
namespace {

namespace fs = std::filesystem;

// One middle C, a quarter note at 120 beats a minute: 96 ticks, half a second.
const char kShortMidi[] = "MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60"
                          "MTrk\x00\x00\x00\x0f\x00\xc0\x00\x00\x90\x3c\x64\x60\x80\x3c\x40\x00\xff\x2f\x00";

class LinuxShellTest : public ::testing::Test {
  protected:
    LinuxShellTest() : dir(fs::temp_directory_path() / ("vis-shell-" + std::to_string(::getpid()))) {
        fs::create_directories(dir);
        std::ofstream(dir / "piece.mid", std::ios::binary).write(kShortMidi, sizeof kShortMidi - 1);
        std::ofstream(dir / "text.mid") << "not a MIDI file";
    }
    ~LinuxShellTest() override { fs::remove_all(dir); }

    static std::string ErrorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const EMCIDeviceError& e) {
            return e.what();
        }
        return "(none)";
    }

    // Runs the event loop until pred holds or ms pass.
    static bool SpinUntil(const std::function<bool()>& pred, int ms) {
        QElapsedTimer t;
        t.start();
        while (!pred() && t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return pred();
    }

    fs::path dir;
};

TEST_F(LinuxShellTest, ErrorBoxIsModalAndCaptionedWithTheTitle) {
    QtApplication app;
    app.SetTitle("Vistrelle");
    EXPECT_EQ(app.Title(), "Vistrelle");
    QString caption, text;
    Qt::WindowModality modality = Qt::NonModal;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    // The box blocks: look at it from inside its own loop, then close it.
    QTimer::singleShot(50, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                caption = box->windowTitle();
                text = box->text();
                modality = box->windowModality();
                icon = box->icon();
                box->accept();
            }
        }
    });
    app.ShowError("原因不明のｴﾗｰ");
    EXPECT_EQ(caption, QStringLiteral("Vistrelle"));
    EXPECT_EQ(text, QStringLiteral("原因不明のｴﾗｰ"));
    EXPECT_EQ(modality, Qt::ApplicationModal);
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST_F(LinuxShellTest, ApplicationCountsAsActiveFromTheStart) {
    QtApplication app;
    EXPECT_TRUE(app.IsActive());
    app.SetAlwaysActive(true);
    EXPECT_TRUE(app.IsActive());
}

TEST_F(LinuxShellTest, MusicDeviceFailuresCarryTheRuntimeTexts) {
    FluidSynthDevice noDriver({"no-such-driver", "", ""});
    EXPECT_EQ(ErrorOf([&] { noDriver.Open((dir / "piece.mid").string()); }), "原因不明のｴﾗｰ");

    FluidSynthDevice silent({"none", "", ""});
    EXPECT_EQ(ErrorOf([&] { silent.Open((dir / "text.mid").string()); }), "原因不明のｴﾗｰ");
    EXPECT_EQ(ErrorOf([&] { silent.Open((dir / "missing.mid").string()); }), "原因不明のｴﾗｰ");
    EXPECT_EQ(ErrorOf([&] { silent.Play(); }), "MCI ﾃﾞﾊﾞｲｽがありません");
    EXPECT_EQ(ErrorOf([&] { silent.Close(); }), "MCI ﾃﾞﾊﾞｲｽがありません");

    FluidSynthDevice noFont({"none", (dir / "text.mid").string(), ""});
    EXPECT_EQ(ErrorOf([&] { noFont.Open((dir / "piece.mid").string()); }), "原因不明のｴﾗｰ");

    // A player over a device that failed to open reports the missing device for every request.
    TMediaPlayer player(noDriver);
    player.FileName = (dir / "piece.mid").string();
    EXPECT_EQ(ErrorOf([&] { player.Open(); }), "原因不明のｴﾗｰ");
    EXPECT_FALSE(player.DeviceOpen());
    EXPECT_EQ(ErrorOf([&] { player.Position(); }), "MCI ﾃﾞﾊﾞｲｽがありません");
}

TEST_F(LinuxShellTest, EndOfPieceArrivesOnTheUiThreadWithThePositionAtTheEnd) {
    const std::string log = (dir / "media.log").string();
    FluidSynthDevice device({"none", "", log});
    int notices = 0;
    std::int64_t length = -1, position = -1;
    bool onUiThread = false;
    device.onNotify = [&] {
        ++notices;
        onUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        length = device.TrackLength(1);
        position = device.Position();
    };
    device.Open((dir / "piece.mid").string());
    device.Play();
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(SpinUntil([&] { return notices > 0; }, 3000)) << "no end-of-piece notice";
    // The half-second piece ends after half a second of audio, not after the voices have died away.
    EXPECT_GE(t.elapsed(), 400);
    EXPECT_LT(t.elapsed(), 1500);
    EXPECT_TRUE(onUiThread);
    EXPECT_EQ(length, 96);
    EXPECT_GE(position, length);
    // One notice per piece.
    SpinUntil([] { return false; }, 400);
    EXPECT_EQ(notices, 1);
    device.Close();

    std::ifstream in(log);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all, "open " + (dir / "piece.mid").string() + "\nplay\nend\nclose\n");
}

TEST_F(LinuxShellTest, PieceClosedBeforeItsEndGivesNoNotice) {
    FluidSynthDevice device({"none", "", ""});
    int notices = 0;
    device.onNotify = [&] { ++notices; };
    device.Open((dir / "piece.mid").string());
    device.Play();
    // Closed before its end, reopened: the new piece has not ended, so no notice may arrive yet.
    device.Close();
    device.Open((dir / "piece.mid").string());
    SpinUntil([] { return false; }, 300);
    EXPECT_EQ(notices, 0);
    EXPECT_EQ(device.Position(), 0);
    device.Close();
}

TEST_F(LinuxShellTest, PlayerLoopsThroughTheDeviceWithoutLeavingItOpen) {
    const std::string log = (dir / "loop.log").string();
    {
        FluidSynthDevice device({"none", "", log});
        TMediaPlayer player(device);
        int ends = 0;
        // What the saver window's notify handler does: reopen and play from the start at every end.
        player.OnNotify = [&] {
            if (player.TrackLength(1) > player.Position()) return;
            ++ends;
            player.Close();
            player.Open();
            player.Play();
        };
        player.FileName = (dir / "piece.mid").string();
        player.Open();
        player.Play();
        EXPECT_TRUE(SpinUntil([&] { return ends >= 3; }, 4000)) << ends << " ends";
    }
    std::ifstream in(log);
    int opens = 0, closes = 0;
    for (std::string line; std::getline(in, line);) {
        opens += line.rfind("open ", 0) == 0;
        closes += line == "close";
    }
    EXPECT_GE(opens, 4);
    EXPECT_EQ(opens, closes);
}

} // namespace
} // namespace vis
