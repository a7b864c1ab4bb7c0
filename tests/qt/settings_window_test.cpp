#include "platform/qt/SettingsWindow.h"

#include "gfx/Bmp.h"
#include "platform/headless/Headless.h"
#include "platform/qt/XdgShell.h"
#include "qv/Files.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace vis {
namespace {

QRect Geometry(int x, int y, int w, int h) {
    return QRect(x, y, w, h);
}

class SettingsWindowTest : public ::testing::Test {
  protected:
    SettingsWindowTest() {
        std::filesystem::create_directories(data);
        Write("qor_inf", "5\r\n1011111111111111\r\n7\r\n2\r\n");
        Write("qor_0", "jpeg");
        Write("qor_1", "jpeg");
        Bitmap pic(20, 10);
        pic.FillAll(0xFF00FF);
        pic.SetPixel(3, 2, 0x204080);
        Write("qor_effect1", SaveBmp(pic));
    }
    std::string File(const std::string& name) const { return data + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const { test::WriteBytes(File(name), bytes); }
    std::string Read(const std::string& name) const { return test::ReadBytes(File(name)); }

    SettingsWindow& Show() {
        window = std::make_unique<SettingsWindow>(program, app, shell);
        window->show();
        return *window;
    }
    // A click where the user would click, so a control lying over another is hit as on screen.
    void ClickAt(QWidget* w, QPoint local = {}) {
        const QPoint at = w->mapTo(window.get(), local.isNull() ? w->rect().center() : local);
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
    }
    template <class T> T* Named(const char* name) const { return window->findChild<T*>(QString::fromUtf8(name)); }

    test::TempDir dir;
    std::string program = dir.Path() + "/Demo.scr";
    std::string data = dir.Path() + "/velloran/Demo";
    HeadlessApplication app;
    RecordingShell shell;
    std::unique_ptr<SettingsWindow> window;
};

TEST_F(SettingsWindowTest, WindowAndPagesAreLaidOutAsDesigned) {
    SettingsWindow& w = Show();
    EXPECT_EQ(w.windowTitle().toStdString(), "setting for vistrelle 3.3jp");
    EXPECT_EQ(w.windowType(), Qt::Window); // not a utility window: task bars list it
    EXPECT_EQ(w.size(), QSize(306, 189));
    EXPECT_EQ(w.minimumSize(), w.maximumSize()); // not resizable
    EXPECT_EQ(w.font().family().toStdString(), "Century");
    EXPECT_EQ(w.font().pixelSize(), 12);

    QTabWidget* pc = w.PageControl1();
    ASSERT_EQ(pc, Named<QTabWidget>("PageControl1"));
    EXPECT_EQ(pc->geometry(), Geometry(4, 5, 297, 153));
    ASSERT_EQ(pc->count(), 3);
    EXPECT_EQ(pc->tabText(0).toStdString(), "effects1");
    EXPECT_EQ(pc->tabText(1).toStdString(), "effects2");
    EXPECT_EQ(pc->tabText(2).toStdString(), "about");
    EXPECT_EQ(pc->currentWidget(), w.Page(SettingPage::TSEffect1));
    EXPECT_EQ(w.Page(SettingPage::TSEffect2)->font().family().toStdString(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(w.Page(SettingPage::TSabout)->font().family().toStdString(), "ＭＳ Ｐゴシック");

    EXPECT_EQ(w.ImgEffect1()->geometry(), Geometry(1, 1, 287, 120));
    EXPECT_EQ(w.ImgEffect1()->parentWidget()->objectName().toStdString(), "Panel2");
    const int places[16][2] = {{1, 10},   {1, 40},   {1, 70},   {1, 100},  {59, 10},  {59, 40},
                               {59, 70},  {59, 100}, {118, 10}, {118, 40}, {118, 70}, {118, 100},
                               {176, 10}, {176, 40}, {176, 70}, {176, 100}};
    for (int n = 1; n <= 16; ++n) {
        QCheckBox* cb = w.CheckBox(EffectBox(n));
        ASSERT_EQ(cb, Named<QCheckBox>(SettingBoxName(EffectBox(n))));
        EXPECT_EQ(cb->geometry(), Geometry(places[n - 1][0], places[n - 1][1], 12, 12)) << n;
        EXPECT_TRUE(cb->text().isEmpty());
        EXPECT_EQ(cb->parentWidget(), w.ImgEffect1()->parentWidget());
    }

    struct Text {
        const char* name;
        const char* text;
        int x, y;
    };
    for (const Text& t :
         {Text{"Label4", "表示時間", 35, 12}, Text{"Label5", "短", 10, 18}, Text{"Label6", "長", 96, 18},
          Text{"Label7", "非表示時間", 27, 58}, Text{"Label8", "短", 10, 65}, Text{"Label9", "長", 96, 65}}) {
        auto* l = Named<QLabel>(t.name);
        ASSERT_NE(l, nullptr) << t.name;
        EXPECT_EQ(l->text().toStdString(), t.text);
        EXPECT_EQ(l->pos(), QPoint(t.x, t.y)) << t.name;
    }
    for (SettingTrackBar b : {SettingTrackBar::TrackBar1, SettingTrackBar::TrackBar2}) {
        QSlider* s = w.TrackBar(b);
        EXPECT_EQ(s->orientation(), Qt::Horizontal);
        EXPECT_EQ(s->minimum(), 0);
        EXPECT_EQ(s->maximum(), 9);
        EXPECT_EQ(s->tickPosition(), QSlider::TicksBelow);
        EXPECT_EQ(s->tickInterval(), 1);
        EXPECT_EQ(s->size(), QSize(100, 20));
    }
    EXPECT_EQ(w.TrackBar(SettingTrackBar::TrackBar1)->pos(), QPoint(8, 30));
    EXPECT_EQ(w.TrackBar(SettingTrackBar::TrackBar2)->pos(), QPoint(8, 76));
    QCheckBox* random = w.CheckBox(SettingBox::CBRandom);
    EXPECT_EQ(random->text().toStdString(), "ランダム表示");
    EXPECT_EQ(random->geometry(), Geometry(11, 102, 94, 17));

    for (const Text& t : {Text{"Label1", kAboutLabel1, 8, 8}, Text{"Label3", kAboutLabel3, 8, 40},
                          Text{"Label10", kAboutLabel10, 8, 72}}) {
        auto* l = Named<QLabel>(t.name);
        ASSERT_NE(l, nullptr) << t.name;
        EXPECT_TRUE(l->wordWrap());
        EXPECT_EQ(l->pos(), QPoint(t.x, t.y));
        EXPECT_EQ(l->width(), 273);
    }
    QLabel* url = w.LblUrl();
    EXPECT_EQ(url->geometry(), Geometry(9, 104, 248, 17));
    EXPECT_EQ(url->text().toStdString(), kMakerUrl);
    EXPECT_EQ(url->font().family().toStdString(), "Century");
    EXPECT_EQ(url->font().pixelSize(), 13);
    EXPECT_TRUE(url->font().underline());
    EXPECT_EQ(url->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(url->cursor().shape(), Qt::PointingHandCursor);

    struct Bottom {
        SettingBox box;
        const char* text;
        QRect geometry;
        const char* family;
    };
    for (const Bottom& b : {Bottom{SettingBox::CBBgm, "BGM", Geometry(7, 164, 59, 17), "Century"},
                            Bottom{SettingBox::CBGray, "ﾓﾉｸﾛ", Geometry(71, 164, 58, 17), "ＭＳ Ｐゴシック"},
                            Bottom{SettingBox::CBSepia, "ｾﾋﾟｱ", Geometry(127, 164, 58, 17), "ＭＳ Ｐゴシック"}}) {
        QCheckBox* cb = w.CheckBox(b.box);
        EXPECT_EQ(cb->text().toStdString(), b.text);
        EXPECT_EQ(cb->geometry(), b.geometry) << b.text;
        EXPECT_EQ(cb->font().family().toStdString(), b.family);
        EXPECT_TRUE(cb->font().bold());
        EXPECT_EQ(cb->parentWidget(), &w);
    }
    QPushButton* ok = w.Button1();
    EXPECT_EQ(ok->text().toStdString(), "OK");
    EXPECT_EQ(ok->geometry(), Geometry(250, 164, 50, 22));
    EXPECT_EQ(ok->font().pixelSize(), 15);
}

TEST_F(SettingsWindowTest, DesignFontsResolveToTheMetricCompatibleFreeFonts) {
    SettingsWindow& w = Show();
    EXPECT_TRUE(QFontInfo(w.CheckBox(SettingBox::CBGray)->font()).family().startsWith(QStringLiteral("IPAPGothic")))
        << QFontInfo(w.CheckBox(SettingBox::CBGray)->font()).family().toStdString();
    EXPECT_TRUE(QFontInfo(w.Button1()->font()).family().startsWith(QStringLiteral("C059")))
        << QFontInfo(w.Button1()->font()).family().toStdString();
}

TEST_F(SettingsWindowTest, ShowingFillsTheControlsFromTheDataFolder) {
    Write("qor_random", "");
    SettingsWindow& w = Show();
    EXPECT_TRUE(app.errors.empty());
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(w.CheckBox(EffectBox(n))->isChecked(), n != 2) << n;
    EXPECT_EQ(w.TrackBar(SettingTrackBar::TrackBar1)->value(), 6);
    EXPECT_EQ(w.TrackBar(SettingTrackBar::TrackBar2)->value(), 1);
    EXPECT_TRUE(w.CheckBox(SettingBox::CBRandom)->isChecked());
    EXPECT_FALSE(w.CheckBox(SettingBox::CBBgm)->isEnabled());

    // The preview: the lower-left colour is see-through, the rest as stored.
    const QImage shown = w.ImgEffect1()->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(shown.size(), QSize(20, 10));
    EXPECT_EQ(qAlpha(shown.pixel(0, 9)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(10, 0)), 0);
    EXPECT_EQ(shown.pixel(3, 2), qRgb(0x20, 0x40, 0x80));
}

TEST_F(SettingsWindowTest, UserClicksRunTheToneRuleAndOkSavesAndCloses) {
    Write("qor_sepia", "");
    SettingsWindow& w = Show();
    QSignalSpy closed(&w, &SettingsWindow::closed);
    ASSERT_TRUE(w.CheckBox(SettingBox::CBSepia)->isChecked());
    // Grey's right edge lies under sepia: click grey's own part.
    ClickAt(w.CheckBox(SettingBox::CBGray), QPoint(20, 8));
    EXPECT_TRUE(w.CheckBox(SettingBox::CBGray)->isChecked());
    EXPECT_FALSE(w.CheckBox(SettingBox::CBSepia)->isChecked());
    ClickAt(w.CheckBox(EffectBox(1)));
    EXPECT_FALSE(w.CheckBox(EffectBox(1))->isChecked());
    w.TrackBar(SettingTrackBar::TrackBar2)->setValue(9);
    ClickAt(w.Button1());
    EXPECT_TRUE(app.errors.empty());
    EXPECT_EQ(Read("qor_inf"), "5\r\n0011111111111111\r\n7\r\n10\r\n");
    EXPECT_TRUE(FileExists(File("qor_gray")));
    EXPECT_FALSE(FileExists(File("qor_sepia")));
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(SettingsWindowTest, ClosingByTheCaptionBarSavesNothing) {
    SettingsWindow& w = Show();
    QSignalSpy closed(&w, &SettingsWindow::closed);
    ClickAt(w.CheckBox(EffectBox(3)));
    ClickAt(w.CheckBox(SettingBox::CBSepia), QPoint(40, 8));
    EXPECT_TRUE(w.CheckBox(SettingBox::CBSepia)->isChecked());
    w.close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(Read("qor_inf"), "5\r\n1011111111111111\r\n7\r\n2\r\n");
    EXPECT_FALSE(FileExists(File("qor_sepia")));
}

TEST_F(SettingsWindowTest, ALockLeavesOnlyTheAboutTab) {
    Write("qor_lock", "");
    SettingsWindow& w = Show();
    EXPECT_FALSE(w.PageControl1()->isTabVisible(0));
    EXPECT_FALSE(w.PageControl1()->isTabVisible(1));
    EXPECT_TRUE(w.PageControl1()->isTabVisible(2));
    EXPECT_EQ(w.PageControl1()->currentWidget(), w.Page(SettingPage::TSabout));
    ClickAt(w.Button1());
    EXPECT_EQ(Read("qor_inf"), "5\r\n1011111111111111\r\n7\r\n2\r\n");
}

TEST_F(SettingsWindowTest, TheAddressLabelOpensTheAddress) {
    SettingsWindow& w = Show();
    w.PageControl1()->setCurrentWidget(w.Page(SettingPage::TSabout));
    ClickAt(w.LblUrl(), QPoint(20, 8));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].file, kMakerUrl);
    EXPECT_EQ(shell.calls[0].show, kSwShow);
}

TEST_F(SettingsWindowTest, ErrorsGoToTheErrorBoxAndTheDialogStaysOpen) {
    Write("qor_effect1", "not a picture");
    Write("qor_inf", "5\r\n0111\r\nx\r\n2\r\n");
    SettingsWindow& w = Show();
    ASSERT_EQ(app.errors.size(), 2u);
    EXPECT_EQ(app.errors[0], kInvalidBitmapText);
    EXPECT_EQ(app.errors[1], "'x' は整数ではありません");
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.ImgEffect1()->pixmap().isNull());
    EXPECT_FALSE(w.CheckBox(EffectBox(1))->isChecked());
    EXPECT_EQ(w.TrackBar(SettingTrackBar::TrackBar1)->value(), 4);
}

TEST(XdgShell, HandsTheAddressToTheOpener) {
    test::TempDir dir;
    const std::string opener = dir.File("opener");
    const std::string record = dir.File("record");
    test::WriteBytes(opener, "#!/bin/sh\nprintf '%s|%s' \"$*\" \"$(pwd)\" > " + record + ".tmp && mv " + record +
                                 ".tmp " + record + "\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    XdgShell shell(opener);
    EXPECT_EQ(shell.Open("http://www.example.org/x", "", dir.Path(), kSwShow), 42);
    for (int i = 0; i < 200 && !FileExists(record); ++i)
        QTest::qWait(10);
    EXPECT_EQ(test::ReadBytes(record), "http://www.example.org/x|" + dir.Path());

    XdgShell missing(dir.File("no-such-opener"));
    EXPECT_EQ(missing.Open("http://www.example.org/x", "", "", kSwShow), 2);
}

} // namespace
} // namespace vis
