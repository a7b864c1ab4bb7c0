#include "platform/qt/SettingsWindow.h"

#include "platform/Application.h"
#include "platform/qt/DialogLoop.h"
#include "platform/qt/XdgShell.h"
#include "qv/Dispatch.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace vis {

namespace {

constexpr int kClientWidth = 306, kClientHeight = 189;

QFont WindowFont(const char* family, int pixels, bool bold = false) {
    QFont f(QString::fromUtf8(family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QFont Century(int pixels, bool bold = false) {
    return WindowFont("Century", pixels, bold);
}
QFont PGothic(int pixels, bool bold = false) {
    return WindowFont("ＭＳ Ｐゴシック", pixels, bold);
}

QLabel* PlacedLabel(QWidget* parent, const char* name, const char* text, int x, int y) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(QString::fromUtf8(name));
    l->move(x, y);
    l->adjustSize();
    return l;
}

// A page's panel: raised by one pixel and filling the page, as the design has it.
QFrame* PagePanel(QWidget* page, const char* name) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(page);
    panel->setObjectName(QString::fromUtf8(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    layout->addWidget(panel);
    return panel;
}

// A label that reports a left click released over it, as the address label needs.
class ClickLabel : public QLabel {
  public:
    using QLabel::QLabel;
    std::function<void()> onClick;

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick) onClick();
        QLabel::mouseReleaseEvent(e);
    }
};

} // namespace

SettingsWindow::SettingsWindow(const std::string& programPath, Application& app, Shell& shell, QWidget* parent)
    : QWidget(parent), app_(app), form_(*this, shell, programPath, PathStyle::Posix) {
    setObjectName(QStringLiteral("FmSetting"));
    // An ordinary top-level window, so that task bars list it: a caption with a close button only, fixed size.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(kSettingCaption));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(Century(12));

    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    pageControl_->setGeometry(4, 5, 297, 153);
    const char* pageNames[3] = {"TSEffect1", "TSEffect2", "TSabout"};
    const char* tabCaptions[3] = {"effects1", "effects2", "about"};
    for (std::size_t i = 0; i < 3; ++i) {
        pages_[i] = new QWidget;
        pages_[i]->setObjectName(QString::fromUtf8(pageNames[i]));
        pageControl_->addTab(pages_[i], QString::fromUtf8(tabCaptions[i]));
    }
    pages_[1]->setFont(PGothic(12));
    pages_[2]->setFont(PGothic(12));
    BuildEffectsPage(pages_[0]);
    BuildTimesPage(pages_[1]);
    BuildAboutPage(pages_[2]);
    BuildBottomRow();
    pageControl_->setCurrentIndex(0);

    for (int i = 0; i < kSettingBoxCount; ++i) {
        const auto box = static_cast<SettingBox>(i);
        // clicked comes only from the user; the dialog's own changes run their handlers through TFmSetting.
        connect(boxes_[static_cast<std::size_t>(i)], &QCheckBox::clicked, this,
                [this, box] { Dispatch(app_, [&] { form_.CheckClicked(box); }); });
    }
    connect(button1_, &QPushButton::clicked, this, [this] { form_.CallHandler(app_, &TFmSetting::Button1Click); });

    form_.CallHandler(app_, &TFmSetting::FormCreate);
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::BuildEffectsPage(QWidget* page) {
    QFrame* panel = PagePanel(page, "Panel2");
    imgEffect1_ = new QLabel(panel);
    imgEffect1_->setObjectName(QStringLiteral("ImgEffect1"));
    imgEffect1_->setGeometry(1, 1, 287, 120);
    imgEffect1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (int n = 1; n <= 16; ++n) {
        const SettingBox box = EffectBox(n);
        auto* cb = new QCheckBox(panel);
        cb->setObjectName(QString::fromUtf8(SettingBoxName(box)));
        const auto [x, y] = kEffectBoxPlaces[static_cast<std::size_t>(n - 1)];
        cb->setGeometry(x, y, 12, 12);
        // The style's indicator is larger than the box; sized to fit, it keeps its frame.
        cb->setStyleSheet(QStringLiteral("QCheckBox::indicator { width: 12px; height: 12px; }"));
        cb->raise(); // over the picture, which is their only labelling
        boxes_[static_cast<std::size_t>(box)] = cb;
    }
}

void SettingsWindow::BuildTimesPage(QWidget* page) {
    QFrame* panel = PagePanel(page, "Panel3");
    PlacedLabel(panel, "Label4", "表示時間", 35, 12);
    PlacedLabel(panel, "Label5", "短", 10, 18);
    PlacedLabel(panel, "Label6", "長", 96, 18);
    PlacedLabel(panel, "Label7", "非表示時間", 27, 58);
    PlacedLabel(panel, "Label8", "短", 10, 65);
    PlacedLabel(panel, "Label9", "長", 96, 65);
    const char* names[2] = {"TrackBar1", "TrackBar2"};
    const int tops[2] = {30, 76};
    const int designPositions[2] = {4, 2};
    for (std::size_t i = 0; i < 2; ++i) {
        auto* bar = new QSlider(Qt::Horizontal, panel);
        bar->setObjectName(QString::fromUtf8(names[i]));
        bar->setGeometry(8, tops[i], 100, 20);
        bar->setRange(0, 9);
        bar->setSingleStep(1);
        bar->setPageStep(2);
        bar->setTickPosition(QSlider::TicksBelow);
        bar->setTickInterval(1);
        bar->setValue(designPositions[i]);
        trackBars_[i] = bar;
    }
    auto* random = new QCheckBox(QString::fromUtf8("ランダム表示"), panel);
    random->setObjectName(QStringLiteral("CBRandom"));
    random->setGeometry(11, 102, 94, 17);
    boxes_[static_cast<std::size_t>(SettingBox::CBRandom)] = random;
}

void SettingsWindow::BuildAboutPage(QWidget* page) {
    QFrame* panel = PagePanel(page, "Panel1");
    struct Text {
        const char* name;
        const char* text;
        int x, y, w, h;
    };
    for (const Text& t : {Text{"Label1", kAboutLabel1, 8, 8, 273, 33}, Text{"Label3", kAboutLabel3, 8, 40, 273, 33},
                          Text{"Label10", kAboutLabel10, 8, 72, 273, 25}}) {
        auto* l = new QLabel(QString::fromUtf8(t.text), panel);
        l->setObjectName(QString::fromUtf8(t.name));
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setGeometry(t.x, t.y, t.w, t.h);
    }
    auto* url = new ClickLabel(QString::fromUtf8(kMakerUrl), panel);
    url->setObjectName(QStringLiteral("LblUrl"));
    url->setGeometry(9, 104, 248, 17);
    QFont f = Century(13);
    f.setUnderline(true);
    url->setFont(f);
    QPalette pal = url->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    url->setPalette(pal);
    url->setCursor(Qt::PointingHandCursor);
    url->onClick = [this] { form_.CallHandler(app_, &TFmSetting::LblUrlClick); };
    lblUrl_ = url;
}

void SettingsWindow::BuildBottomRow() {
    struct Box {
        SettingBox box;
        const char* text;
        int x, w;
        QFont font;
    };
    for (const Box& b : {Box{SettingBox::CBBgm, "BGM", 7, 59, Century(12, true)},
                         Box{SettingBox::CBGray, "ﾓﾉｸﾛ", 71, 58, PGothic(12, true)},
                         Box{SettingBox::CBSepia, "ｾﾋﾟｱ", 127, 58, PGothic(12, true)}}) {
        auto* cb = new QCheckBox(QString::fromUtf8(b.text), this);
        cb->setObjectName(QString::fromUtf8(SettingBoxName(b.box)));
        cb->setGeometry(b.x, 164, b.w, 17);
        cb->setFont(b.font);
        boxes_[static_cast<std::size_t>(b.box)] = cb;
    }
    // Grey is laid over sepia's left edge by two pixels; sepia stays on top as in the design order.
    boxes_[static_cast<std::size_t>(SettingBox::CBSepia)]->raise();
    button1_ = new QPushButton(QStringLiteral("OK"), this);
    button1_->setObjectName(QStringLiteral("Button1"));
    button1_->setGeometry(250, 164, 50, 22);
    button1_->setFont(Century(15));
}

void SettingsWindow::CenterOnScreen() { CenterWindowOnScreen(*this); }

bool SettingsWindow::Checked(SettingBox box) const {
    return CheckBox(box)->isChecked();
}

void SettingsWindow::SetCheckedState(SettingBox box, bool checked) {
    CheckBox(box)->setChecked(checked);
}

bool SettingsWindow::Enabled(SettingBox box) const {
    return CheckBox(box)->isEnabled();
}

void SettingsWindow::SetEnabled(SettingBox box, bool enabled) {
    CheckBox(box)->setEnabled(enabled);
}

int SettingsWindow::Position(SettingTrackBar bar) const {
    return TrackBar(bar)->value();
}

void SettingsWindow::SetPosition(SettingTrackBar bar, int position) {
    TrackBar(bar)->setValue(position);
}

void SettingsWindow::SetPageVisible(SettingPage page, bool visible) {
    pageControl_->setTabVisible(pageControl_->indexOf(Page(page)), visible);
}

void SettingsWindow::SetCurrentPage(SettingPage page) {
    pageControl_->setCurrentWidget(Page(page));
}

void SettingsWindow::ShowPreview(const Bitmap& picture, Color transparentColor) {
    const QImage view(picture.Bits(), picture.Width(), picture.Height(), static_cast<qsizetype>(picture.Stride()),
                      QImage::Format_BGR888);
    QImage image = view.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(static_cast<int>((transparentColor >> 16) & 0xFF),
                          static_cast<int>((transparentColor >> 8) & 0xFF), static_cast<int>(transparentColor & 0xFF));
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (row[x] == key) row[x] = 0;
    }
    imgEffect1_->setPixmap(QPixmap::fromImage(image));
}

std::string SettingsWindow::LblUrlText() const {
    return lblUrl_->text().toStdString();
}

void SettingsWindow::Close() {
    close();
}

void SettingsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    form_.CallHandler(app_, &TFmSetting::FormShow);
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

int RunSettingsRole(const std::string& programPath, Application& app) {
    XdgShell shell;
    SettingsWindow window(programPath, app, shell);
    return RunUntilClosed(window);
}

} // namespace vis
