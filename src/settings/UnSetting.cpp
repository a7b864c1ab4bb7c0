#include "settings/UnSetting.h"

#include "gfx/Bmp.h"
#include "platform/Shell.h"
#include "qv/DataFiles.h"
#include "qv/Dispatch.h"
#include "qv/Files.h"
#include "qv/QorInf.h"

#include <algorithm>
#include <array>

namespace vis {

namespace {

constexpr std::array<const char*, kSettingBoxCount> kBoxNames = {
    "CBNormal", "CBFadeInOut",  "CBSikaku", "CBTatesen", "CBYokosen", "CBSeihoukei", "CBSeihoukei2",
    "CBEn",     "CBEn2",        "CBTate",   "CBTate2",   "CBYoko",    "CBYoko2",     "CBDai_shou",
    "CBTokei",  "CBKazaguruma", "CBRandom", "CBBgm",     "CBGray",    "CBSepia"};

// A track bar holds its position within 0..9 whatever seconds the file gives.
int TrackBarPositionFor(std::int32_t seconds) {
    return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{seconds} - 1, 0, 9));
}

// Fills the dialog from qor_inf as each line is converted, so a bad line leaves the lines before it applied.
class DialogSink : public QorInfSink {
  public:
    DialogSink(TFmSetting& form, SettingView& view, bool& lastRead) : form_(form), view_(view), lastRead_(lastRead) {}
    void LastPictureNo(std::int32_t value) override {
        form_.LastPictureNo = value;
        lastRead_ = true;
    }
    void EffectMask(std::string_view line) override {
        std::array<bool, kEffectCount> enabled;
        enabled.fill(true);
        ApplyEffectMask(line, enabled);
        for (int n = 1; n <= kEffectCount; ++n)
            if (!enabled[static_cast<std::size_t>(n - 1)]) form_.SetChecked(EffectBox(n), false);
    }
    void ShowSeconds(std::int32_t value) override {
        view_.SetPosition(SettingTrackBar::TrackBar1, TrackBarPositionFor(value));
    }
    void HideSeconds(std::int32_t value) override {
        view_.SetPosition(SettingTrackBar::TrackBar2, TrackBarPositionFor(value));
    }

  private:
    TFmSetting& form_;
    SettingView& view_;
    bool& lastRead_;
};

void SetMarker(const std::string& path, bool on) {
    if (on)
        CreateEmptyFile(path);
    else
        DeleteIfExists(path);
}

} // namespace

const char* SettingBoxName(SettingBox box) {
    return kBoxNames[static_cast<std::size_t>(box)];
}

TFmSetting::TFmSetting(SettingView& view, Shell& shell, std::string programPath, PathStyle style)
    : view_(view), shell_(shell), programPath_(std::move(programPath)), style_(style) {}

std::string TFmSetting::File(const char* name) const {
    return JoinPath(DataFolder, name, style_);
}

void TFmSetting::FormCreate() {
    SettingsLocked = false;
    DataFolder = DataFolderPath(programPath_, style_);
    // The picture is read under its own name: renaming it for the loader's sake would leave the folder
    // without qor_effect1 (and the dialog unable to start) if the program died in between.
    RestoreLeftoverPreview(DataFolder, style_);
    const Bitmap picture = LoadBmpFile(File(datafile::kPreview));
    view_.ShowPreview(picture, picture.Pixel(0, picture.Height() - 1));
}

void TFmSetting::FormShow() {
    if (FileExists(File(datafile::kMusic))) {
        view_.SetEnabled(SettingBox::CBBgm, true);
        SetChecked(SettingBox::CBBgm, FileExists(File(datafile::kMusicOn)));
    } else {
        view_.SetEnabled(SettingBox::CBBgm, false);
        SetChecked(SettingBox::CBBgm, false);
    }

    SetChecked(SettingBox::CBGray, FileExists(File(datafile::kGray)));
    SetChecked(SettingBox::CBSepia, FileExists(File(datafile::kSepia)));

    if (FileExists(File(datafile::kLock))) {
        view_.SetCurrentPage(SettingPage::TSabout);
        view_.SetPageVisible(SettingPage::TSEffect1, false);
        view_.SetPageVisible(SettingPage::TSEffect2, false);
        SettingsLocked = true;
        return;
    }

    for (int n = 1; n <= kEffectCount; ++n)
        SetChecked(EffectBox(n), true);
    SetChecked(SettingBox::CBRandom, false);
    view_.SetPosition(SettingTrackBar::TrackBar1, 4);
    view_.SetPosition(SettingTrackBar::TrackBar2, 2);

    DialogSink sink(*this, view_, lastPictureNoRead_);
    ReadQorInf(File(datafile::kSettings), sink);

    if (LastPictureNo <= 1)
        view_.SetEnabled(SettingBox::CBRandom, false);
    else if (LastPictureNo == 2 && FileExists(File(datafile::kTitle)))
        view_.SetEnabled(SettingBox::CBRandom, false);

    if (FileExists(File(datafile::kRandom))) SetChecked(SettingBox::CBRandom, true);
}

void TFmSetting::Button1Click() {
    SetMarker(File(datafile::kMusicOn), view_.Checked(SettingBox::CBBgm));
    SetMarker(File(datafile::kGray), view_.Checked(SettingBox::CBGray));
    SetMarker(File(datafile::kSepia), view_.Checked(SettingBox::CBSepia));
    if (!SettingsLocked) {
        std::array<bool, kEffectCount> ticked{};
        for (int n = 1; n <= kEffectCount; ++n)
            ticked[static_cast<std::size_t>(n - 1)] = view_.Checked(EffectBox(n));
        // When line 1 could not be read, writing the initial 0 back would cut the slideshow down to picture 0;
        // the pictures in the folder tell the true number.
        const std::int32_t last = lastPictureNoRead_ ? LastPictureNo : CountLastPictureNo(DataFolder, style_);
        WriteQorInf(File(datafile::kSettings), last, EffectMaskLine(ticked),
                    view_.Position(SettingTrackBar::TrackBar1) + 1, view_.Position(SettingTrackBar::TrackBar2) + 1);
        SetMarker(File(datafile::kRandom), view_.Checked(SettingBox::CBRandom));
    }
    view_.Close();
}

void TFmSetting::LblUrlClick() {
    shell_.Open(view_.LblUrlText(), "", "", kSwShow);
}

void TFmSetting::CBGrayClick() {
    if (view_.Checked(SettingBox::CBGray) && view_.Checked(SettingBox::CBSepia)) SetChecked(SettingBox::CBSepia, false);
}

void TFmSetting::CBSepiaClick() {
    if (view_.Checked(SettingBox::CBGray) && view_.Checked(SettingBox::CBSepia)) SetChecked(SettingBox::CBGray, false);
}

void TFmSetting::SetChecked(SettingBox box, bool checked) {
    if (view_.Checked(box) == checked) return;
    view_.SetCheckedState(box, checked);
    CheckClicked(box);
}

void TFmSetting::CheckClicked(SettingBox box) {
    if (box == SettingBox::CBGray) CBGrayClick();
    if (box == SettingBox::CBSepia) CBSepiaClick();
}

bool TFmSetting::CallHandler(Application& app, void (TFmSetting::*handler)()) {
    return Dispatch(app, [&] { (this->*handler)(); });
}

std::int32_t CountLastPictureNo(const std::string& dataFolder, PathStyle style) {
    std::int32_t n = 0;
    while (n < 1000000 && FileExists(JoinPath(dataFolder, datafile::Picture(std::int64_t{n} + 1), style)))
        ++n;
    return n;
}

bool RestoreLeftoverPreview(const std::string& dataFolder, PathStyle style) {
    const std::string preview = JoinPath(dataFolder, datafile::kPreview, style);
    const std::string leftover = JoinPath(dataFolder, datafile::kPreviewAsBmp, style);
    if (FileExists(preview) || !FileExists(leftover)) return false;
    return RenameFile(leftover, preview);
}

} // namespace vis
