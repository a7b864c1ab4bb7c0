#include "platform/qt/SettingsWindow.h"

#include "platform/Application.h"
#include "platform/InstanceGuard.h"
#include "platform/qt/DialogLoop.h"
#include "platform/qt/QtApplication.h"
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

using L = SettingLayout;

QRect ToQRect(const L::Box& b) {
    return QRect(b.left, b.top, b.width, b.height);
}

QFont WindowFont(const char* family, int pixels, bool bold = false) {
    QFont f(QString::fromUtf8(family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QFont Century(int pixels, bool bold = false) {
    return WindowFont(L::centuryFont, pixels, bold);
}
QFont PGothic(int pixels, bool bold = false) {
    return WindowFont(L::gothicFont, pixels, bold);
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
    setFixedSize(L::clientWidth, L::clientHeight);
    setFont(Century(12));

    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    pageControl_->setGeometry(ToQRect(L::pageControl));
    const char* pageNames[3] = {"TSEffect1", "TSEffect2", "TSabout"};
    for (std::size_t i = 0; i < 3; ++i) {
        pages_[i] = new QWidget;
        pages_[i]->setObjectName(QString::fromUtf8(pageNames[i]));
        pageControl_->addTab(pages_[i], QString::fromUtf8(L::tabCaptions[i]));
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
    imgEffect1_->setGeometry(ToQRect(L::imgEffect1));
    imgEffect1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (int n = 1; n <= 16; ++n) {
        const SettingBox box = EffectBox(n);
        auto* cb = new QCheckBox(panel);
        cb->setObjectName(QString::fromUtf8(SettingBoxName(box)));
        const auto [x, y] = kEffectBoxPlaces[static_cast<std::size_t>(n - 1)];
        cb->setGeometry(x, y, kEffectBoxSize, kEffectBoxSize);
        // The style's indicator is larger than the box; sized to fit, it keeps its frame.
        cb->setStyleSheet(QStringLiteral("QCheckBox::indicator { width: 12px; height: 12px; }"));
        cb->raise(); // over the picture, which is their only labelling
        boxes_[static_cast<std::size_t>(box)] = cb;
    }
}

void SettingsWindow::BuildTimesPage(QWidget* page) {
    QFrame* panel = PagePanel(page, "Panel3");
    for (const L::Text& t : L::timeLabels)
        PlacedLabel(panel, t.name, t.text, t.left, t.top);
    const char* names[2] = {"TrackBar1", "TrackBar2"};
    for (std::size_t i = 0; i < 2; ++i) {
        auto* bar = new QSlider(Qt::Horizontal, panel);
        bar->setObjectName(QString::fromUtf8(names[i]));
        bar->setGeometry(L::trackBarLeft, L::trackBarTops[i], L::trackBarWidth, L::trackBarHeight);
        bar->setRange(0, 9);
        bar->setSingleStep(1);
        bar->setPageStep(2);
        bar->setTickPosition(QSlider::TicksBelow);
        bar->setTickInterval(1);
        bar->setValue(L::trackBarDesignPositions[i]);
        trackBars_[i] = bar;
    }
    auto* random = new QCheckBox(QString::fromUtf8(L::randomText), panel);
    random->setObjectName(QStringLiteral("CBRandom"));
    random->setGeometry(ToQRect(L::cbRandom));
    boxes_[static_cast<std::size_t>(SettingBox::CBRandom)] = random;
}

void SettingsWindow::BuildAboutPage(QWidget* page) {
    QFrame* panel = PagePanel(page, "Panel1");
    for (const L::WrappedText& t : L::aboutTexts) {
        auto* l = new QLabel(QString::fromUtf8(t.text), panel);
        l->setObjectName(QString::fromUtf8(t.name));
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setGeometry(ToQRect(t.box));
    }
    auto* url = new ClickLabel(QString::fromUtf8(kMakerUrl), panel);
    url->setObjectName(QStringLiteral("LblUrl"));
    url->setGeometry(ToQRect(L::lblUrl));
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
    for (const L::BottomBox& b : L::bottomBoxes) {
        auto* cb = new QCheckBox(QString::fromUtf8(b.text), this);
        cb->setObjectName(QString::fromUtf8(SettingBoxName(b.box)));
        cb->setGeometry(b.left, L::bottomTop, b.width, L::bottomBoxHeight);
        cb->setFont(b.japanese ? PGothic(12, true) : Century(12, true));
        boxes_[static_cast<std::size_t>(b.box)] = cb;
    }
    boxes_[static_cast<std::size_t>(SettingBox::CBSepia)]->raise();
    button1_ = new QPushButton(QStringLiteral("OK"), this);
    button1_->setObjectName(QStringLiteral("Button1"));
    button1_->setGeometry(ToQRect(L::button1));
    button1_->setFont(Century(15));
}

void SettingsWindow::CenterOnScreen() {
    CenterWindowOnScreen(*this);
}

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

RoleResult RunSettingsRole(QtApplication& app, const RoleStart& start) {
    XdgShell shell;
    SettingsWindow window(start.programPath, app, shell);
    const int status = RunUntilClosed(window);
    if (start.guard) start.guard->Release(); // the window has closed
    return RoleResult{status, 0};
}

} // namespace vis
