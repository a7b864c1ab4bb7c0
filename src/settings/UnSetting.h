#pragma once
// UnSetting: the settings dialog TFmSetting. It reads the saver's settings from the data folder when shown and
// writes them back on OK; a view shows its controls and reports the user's clicks.
#include "gfx/Bitmap.h"
#include "qv/Paths.h"

#include <array>
#include <cstdint>
#include <string>

namespace vis {

class Application;
class Shell;

// The dialog's check boxes: the sixteen effect boxes in effect-number order, then the others.
enum class SettingBox : int {
    CBNormal,
    CBFadeInOut,
    CBSikaku,
    CBTatesen,
    CBYokosen,
    CBSeihoukei,
    CBSeihoukei2,
    CBEn,
    CBEn2,
    CBTate,
    CBTate2,
    CBYoko,
    CBYoko2,
    CBDai_shou,
    CBTokei,
    CBKazaguruma,
    CBRandom,
    CBBgm,
    CBGray,
    CBSepia,
};
constexpr int kSettingBoxCount = 20;
// The box of effect n (1..16).
constexpr SettingBox EffectBox(int effectNo) {
    return static_cast<SettingBox>(effectNo - 1);
}
// Where the effect boxes lie over the preview picture, in effect-number order (left, top within the panel that
// holds both), and their side. The preview itself lies at (1, 1) on that panel.
inline constexpr std::array<Point, 16> kEffectBoxPlaces = {{
    {1, 10},
    {1, 40},
    {1, 70},
    {1, 100},
    {59, 10},
    {59, 40},
    {59, 70},
    {59, 100},
    {118, 10},
    {118, 40},
    {118, 70},
    {118, 100},
    {176, 10},
    {176, 40},
    {176, 70},
    {176, 100},
}};
constexpr int kEffectBoxSize = 12;
// The component name, e.g. "CBDai_shou".
const char* SettingBoxName(SettingBox box);

enum class SettingPage { TSEffect1, TSEffect2, TSabout };
enum class SettingTrackBar { TrackBar1, TrackBar2 };

// What the dialog's logic needs of its window. Setting a box's state here must not report a click back:
// the dialog itself runs the click handlers of the changes it makes (TFmSetting::SetChecked).
class SettingView {
  public:
    virtual ~SettingView() = default;
    virtual bool Checked(SettingBox box) const = 0;
    virtual void SetCheckedState(SettingBox box, bool checked) = 0;
    virtual bool Enabled(SettingBox box) const = 0;
    virtual void SetEnabled(SettingBox box, bool enabled) = 0;
    // Positions are 0..9.
    virtual int Position(SettingTrackBar bar) const = 0;
    virtual void SetPosition(SettingTrackBar bar, int position) = 0;
    // Whether a page's tab is offered, and which page is in front.
    virtual void SetPageVisible(SettingPage page, bool visible) = 0;
    virtual void SetCurrentPage(SettingPage page) = 0;
    // The effects-page picture; pixels of the colour transparentColor are not drawn.
    virtual void ShowPreview(const Bitmap& picture, Color transparentColor) = 0;
    virtual std::string LblUrlText() const = 0;
    virtual void Close() = 0;
};

// Texts of the window, shared by every shell's view.
inline constexpr const char* kSettingCaption = "setting for vistrelle 3.3jp";
inline constexpr const char* kMakerUrl = "http://www.example.org/vistrelle/";
inline constexpr const char* kAboutLabel1 = "このスクリーンセーバーは Vistrelle 工房の作品です。";
inline constexpr const char* kAboutLabel3 = "写真とデータは、オーサリングツール Vistrelle Maker で作ることができます。";
inline constexpr const char* kAboutLabel10 = "最新情報は工房のホームページをご覧ください。";

// The window as it is laid out, for the shells (pixels; the page control and the bottom row in client
// coordinates, everything else within its page's panel).
struct SettingLayout {
    struct Box {
        int left, top, width, height;
    };
    struct Text {
        const char* name;
        const char* text;
        int left, top; // sized to the text
    };
    struct WrappedText {
        const char* name;
        const char* text;
        Box box;
    };
    struct BottomBox {
        SettingBox box;
        const char* text;
        int left, width;
        bool japanese; // bold "ＭＳ Ｐゴシック" rather than bold "Century"
    };

    static constexpr int clientWidth = 306, clientHeight = 189;
    static constexpr const char* centuryFont = "Century";        // the window's font, 12 pixels
    static constexpr const char* gothicFont = "ＭＳ Ｐゴシック"; // pages 2 and 3, 12 pixels
    static constexpr Box pageControl{4, 5, 297, 153};
    static constexpr const char* tabCaptions[3] = {"effects1", "effects2", "about"};
    static constexpr Box imgEffect1{1, 1, 287, 120};
    static constexpr Text timeLabels[6] = {{"Label4", "表示時間", 35, 12}, {"Label5", "短", 10, 18},
                                           {"Label6", "長", 96, 18},       {"Label7", "非表示時間", 27, 58},
                                           {"Label8", "短", 10, 65},       {"Label9", "長", 96, 65}};
    static constexpr int trackBarLeft = 8, trackBarWidth = 100, trackBarHeight = 20;
    static constexpr int trackBarTops[2] = {30, 76};
    static constexpr int trackBarDesignPositions[2] = {4, 2}; // before qor_inf is read: 5 s and 3 s
    static constexpr const char* randomText = "ランダム表示";
    static constexpr Box cbRandom{11, 102, 94, 17};
    static constexpr WrappedText aboutTexts[3] = {{"Label1", kAboutLabel1, {8, 8, 273, 33}},
                                                  {"Label3", kAboutLabel3, {8, 40, 273, 33}},
                                                  {"Label10", kAboutLabel10, {8, 72, 273, 25}}};
    static constexpr Box lblUrl{9, 104, 248, 17}; // "Century" 13 pixels, underlined, blue
    // Grey overlaps sepia's left edge by two pixels; sepia lies above it.
    static constexpr BottomBox bottomBoxes[3] = {{SettingBox::CBBgm, "BGM", 7, 59, false},
                                                 {SettingBox::CBGray, "ﾓﾉｸﾛ", 71, 58, true},
                                                 {SettingBox::CBSepia, "ｾﾋﾟｱ", 127, 58, true}};
    static constexpr int bottomTop = 164, bottomBoxHeight = 17;
    static constexpr Box button1{250, 164, 50, 22}; // "OK", "Century" 15 pixels
};

class TFmSetting {
  public:
    TFmSetting(SettingView& view, Shell& shell, std::string programPath, PathStyle style);

    // Handlers; errors leave them as exceptions carrying the user's message (see CallHandler).
    void FormCreate();
    void FormShow();
    void Button1Click();
    void LblUrlClick();
    void CBGrayClick();
    void CBSepiaClick();

    // Changes a box's tick as the program does: when the state really changes, the box's click handler runs.
    void SetChecked(SettingBox box, bool checked);
    // A user's click changed a box in the view; runs that box's click handler.
    void CheckClicked(SettingBox box);

    // Runs a handler the way the window framework does: an error skips the rest of the handler and goes to
    // the application's error box. Returns false when the handler failed.
    bool CallHandler(Application& app, void (TFmSetting::*handler)());

    bool SettingsLocked = false;
    std::int32_t LastPictureNo = 0;
    std::string DataFolder;

  private:
    std::string File(const char* name) const;

    SettingView& view_;
    Shell& shell_;
    std::string programPath_;
    PathStyle style_;
    // Whether line 1 of qor_inf was read, so OK never writes a picture count nobody read.
    bool lastPictureNoRead_ = false;
};

// The largest N for which qor_1 .. qor_N all exist in the folder (0 when qor_1 does not).
std::int32_t CountLastPictureNo(const std::string& dataFolder, PathStyle style);

// A preview left under its temporary name by an older version of this program that died while loading it:
// moved back to qor_effect1 unless that exists. Returns true when it was moved.
bool RestoreLeftoverPreview(const std::string& dataFolder, PathStyle style);

} // namespace vis
