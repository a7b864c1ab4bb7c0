#include "saver/Unqv.h"

#include "qv/DataFiles.h"
#include "qv/Errors.h"
#include "qv/Files.h"

#include <algorithm>
#include <limits>

namespace vis {

namespace {
// Seconds from qor_inf as milliseconds. A huge value must not wrap into a negative or tiny wait, so the
// product saturates at the 32-bit limits instead.
std::int32_t SecondsToMs(std::int32_t seconds) {
    const std::int64_t ms = static_cast<std::int64_t>(seconds) * 1000;
    if (ms > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (ms < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(ms);
}

// Stores each line of qor_inf in the window's variables as soon as it has been converted.
class SaverSettingsSink : public QorInfSink {
  public:
    explicit SaverSettingsSink(TFmqv& fm) : fm_(fm) {}
    void LastPictureNo(std::int32_t value) override { fm_.LastPictureNo = value; }
    void EffectMask(std::string_view line) override { ApplyEffectMask(line, fm_.EffectEnabled); }
    void ShowSeconds(std::int32_t value) override { fm_.ShowTime = SecondsToMs(value); }
    void HideSeconds(std::int32_t value) override { fm_.HideTime = SecondsToMs(value); }

  private:
    TFmqv& fm_;
};
} // namespace

TFmqv::TFmqv(const SaverPlatform& platform)
    : Timer1(platform.clock, [&app = platform.app] { return app.IsActive(); }), MediaPlayer1(platform.media),
      app_(platform.app), window_(platform.window), clock_(platform.clock), system_(platform.system),
      programPath_(platform.programPath), style_(platform.style), seed_(platform.seed),
      dataFolderGiven_(platform.dataFolder), leaveDataFolderAlone_(platform.leaveDataFolderAlone),
      decodeAheadWanted_(platform.decodeAhead) {
    EffectEnabled.fill(true);
    // The window definition: Timer1 with ActiveOnly, Enabled, Interval 900 and its tick handler; the
    // media player's notify handler. Loading completes before FormCreate runs.
    Timer1.SetActiveOnly(true);
    Timer1.SetEnabled(true);
    Timer1.SetInterval(900);
    Timer1.OnTimer = [this](TCustomDXTimer& sender, std::int32_t lag) { Timer1Timer(sender, lag); };
    MediaPlayer1.OnNotify = [this] { MediaPlayer1Notify(); };
    Timer1.Loaded();
}

TFmqv::~TFmqv() = default;

std::string TFmqv::PictureFile(std::int32_t number) const {
    return JoinPath(DataFolder, datafile::Picture(number), style_);
}

void TFmqv::FitToScreen() {
    const std::int32_t w = window_.ScreenWidth(), h = window_.ScreenHeight();
    window_.SetBounds(0, 0, w, h);
    screen_.Reset(w, h, window_.ScreenStorage(w, h));
}

void TFmqv::Randomize() {
    random_.Seed(seed_ ? *seed_ : clock_.NowMs());
}

void TFmqv::FormCreate() {
    FitToScreen();
    DataFolder = dataFolderGiven_ ? *dataFolderGiven_ : DataFolderPath(programPath_, style_);
    if (const auto installer = DataFile(datafile::kInstaller); !leaveDataFolderAlone_ && FileExists(installer))
        DeleteIfExists(installer);
    PicturesLoaded = false;
    SlideState = kLayOutPicture;
    Timer1.SetInterval(1000);
    PictureNo = -1;
    FirstRound = true;
    FirstPictureNo = 0;
    NextPictureNo = 0;
    bitmapsCreated_ = true;
    window_.ShowCursor(false);
    MouseMoveCount = 0;
    window_.StayOnTop();
    window_.DisableIme();
    if (!leaveDataFolderAlone_) ForceDirectories(DataFolder);
    ShowTime = 5000;
    HideTime = 3000;
    StepInterval = 50;
    CellWidth = 20;
    CellHeight = 20;
    EffectEnabled.fill(true);
    RandomOrder = false;
    RandomPosition = false;
    SaverSettingsSink sink(*this);
    ReadQorInf(DataFile(datafile::kSettings), sink); // an error here skips the rest of the creation
    Randomize();
    if (FileExists(DataFile(datafile::kRandom))) RandomOrder = true;
    if (FileExists(DataFile(datafile::kTitle))) FirstPictureNo = 1;
    if (FileExists(DataFile(datafile::kRandomPosition))) {
        RandomPosition = true;
        PosX = 0;
        PosY = 0;
    }
    // The first pair is decoded while the window waits for its first tick.
    if (decodeAheadWanted_ && !decodeAhead_) decodeAhead_ = std::make_unique<DecodeAhead>();
    PlanDecodeAhead();
}

void TFmqv::FormShow() {
    system_.SetScreenSaverActive(false);
    if (!FileExists(DataFile(datafile::kMusic))) return;
    if (!FileExists(DataFile(datafile::kMusicOn))) return;
    MediaPlayer1.FileName = DataFile(datafile::kMusic);
    MediaPlayer1.Open();
    MediaPlayer1.Play();
}

void TFmqv::FormClose() {
    // Input keeps arriving until the loop has ended; the restoring and releasing happen once.
    if (formClosed_) return;
    formClosed_ = true;
    decodeAhead_.reset();
    window_.ShowCursor(true);
    system_.SetScreenSaverActive(true);
    for (Bitmap* b : {&CurrentFrame, &NextFrame, &CurrentPicture, &NextPicture, &StepMask, &Composite, &TrailMask})
        b->Release();
    bitmapsCreated_ = false;
}

void TFmqv::Close() {
    if (closing_) return;
    closing_ = true;
    FormClose();
    window_.EndLoop();
}

void TFmqv::FormKeyDown(int, int) {
    Close();
}

void TFmqv::FormMouseDown(int, int, int, int) {
    Close();
}

void TFmqv::FormMouseMove(int, int x, int y) {
    const Point at{x, y};
    if (pointer_ == at) return;
    pointer_ = at;
    if (MouseMoveCount >= 4)
        Close();
    else
        ++MouseMoveCount;
}

Point TFmqv::PlacePicture(const Bitmap& b) const {
    if (RandomPosition) return {PosX, PosY};
    return {(screen_.Width() - b.Width()) / 2, (screen_.Height() - b.Height()) / 2};
}

Rect TFmqv::VisiblePart(const Bitmap& b) const {
    const Point at = PlacePicture(b);
    const std::int64_t left = std::max<std::int64_t>(0, -std::int64_t{at.x});
    const std::int64_t top = std::max<std::int64_t>(0, -std::int64_t{at.y});
    const std::int64_t right = std::min<std::int64_t>(b.Width(), std::int64_t{screen_.Width()} - at.x);
    const std::int64_t bottom = std::min<std::int64_t>(b.Height(), std::int64_t{screen_.Height()} - at.y);
    if (right <= left || bottom <= top) return Rect{};
    return Rect{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(right),
                static_cast<std::int32_t>(bottom)};
}

void TFmqv::PresentAt(const Bitmap& b, Point at) {
    if (Closing()) return;
    drawn_ = Union(drawn_, screen_.Draw(at.x, at.y, b));
}

void TFmqv::PresentRows(const Bitmap& b, std::int32_t top, std::int32_t bottom) {
    if (Closing()) return;
    const Point at = PlacePicture(b);
    drawn_ = Union(drawn_, screen_.DrawRows(at.x, at.y, b, top, bottom));
}

void TFmqv::PresentedAlready(const Bitmap& b) {
    if (Closing()) return;
    const Point at = PlacePicture(b);
    const Rect shown =
        Intersect(Rect{at.x, at.y, at.x + b.Width(), at.y + b.Height()}, Rect{0, 0, screen_.Width(), screen_.Height()});
    if (!shown.Empty()) drawn_ = Union(drawn_, shown);
}

void TFmqv::PresentComposed(const Bitmap& frame, const Bitmap& mask) {
    if (Closing()) return;
    const Point at = PlacePicture(frame);
    drawn_ = Union(drawn_, screen_.DrawMasked(at.x, at.y, frame, mask));
}

} // namespace vis
