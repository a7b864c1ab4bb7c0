#pragma once
// The saver window: the slideshow's variables and bitmaps, its handlers and the state machine that the frame
// timer drives one step per tick. Effects are plain functions over this object.
#include "gfx/Bitmap.h"
#include "gfx/ScreenImage.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/MediaDevice.h"
#include "platform/SaverWindow.h"
#include "platform/SystemSettings.h"
#include "qv/Paths.h"
#include "qv/QorInf.h"
#include "saver/DXClass.h"
#include "saver/DecodeAhead.h"
#include "saver/MediaPlayer.h"
#include "saver/Random.h"
#include "saver/SlideState.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace vis {

// What the saver window needs of its platform, and how it was started.
struct SaverPlatform {
    Application& app;
    SaverWindow& window;
    Clock& clock;
    SystemSettings& system;
    MediaDevice& media;
    std::string programPath;
    PathStyle style = NativePathStyle();
    // A fixed seed replays a show (tests, the renderer); otherwise the clock seeds the generator.
    std::optional<std::uint64_t> seed{};
    // A shell handed a data folder directly (the renderer) uses it instead of deriving it from programPath.
    std::optional<std::string> dataFolder{};
    // A viewer of someone else's folder: creation neither deletes install.exe nor creates the folder.
    bool leaveDataFolderAlone = false;
    // Decode the coming load's pictures on a worker thread (the results are the same either way).
    bool decodeAhead = true;
};

class TFmqv {
  public:
    explicit TFmqv(const SaverPlatform& platform);
    ~TFmqv();
    TFmqv(const TFmqv&) = delete;
    TFmqv& operator=(const TFmqv&) = delete;

    // Handlers, as the window system calls them.
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormKeyDown(int key, int shift);
    void FormMouseDown(int button, int shift, int x, int y);
    // A move to where the pointer already is (the window system reports one when the window appears or the
    // stacking changes) is no movement and is not counted.
    void FormMouseMove(int shift, int x, int y);
    void Timer1Timer(TCustomDXTimer& sender, std::int32_t lagCount);
    void MediaPlayer1Notify();

    // The close request: runs FormClose once and ends the message loop; later requests do nothing.
    void Close();
    // True from the first close request (or a direct FormClose) on: nothing may draw any more.
    bool Closing() const { return closing_ || formClosed_; }

    // Creation step 1: the window covers the screen; its content starts black.
    void FitToScreen();
    // Creation step 13: seeds the run's generator, from the fixed seed when there is one, else the clock.
    void Randomize();

    // Slideshow parts.
    void LoadPicturePair();
    // The tick's action while a picture goes out or comes in: one step of effect EffectNo.
    void StepTransition();
    // The number of the picture that goes into NextPicture: PictureNo + 1 when its file exists and it lies
    // within LastPictureNo, else the first picture of the cycle.
    std::int32_t NextPictureNumber() const;
    // Asks for the coming load's pictures to be decoded ahead, once per cycle, as soon as they are known.
    void PlanDecodeAhead();
    // Pictures that loads took ready-made (decoded ahead, or the previous next picture kept) rather than
    // decoding them in their own tick.
    std::int64_t PicturesTakenReady() const { return takenReady_; }
    // Waits for the decodes planned so far (for runs on a virtual clock, see DecodeAhead::WaitIdle).
    void AwaitDecodesAhead() {
        if (decodeAhead_) decodeAhead_->WaitIdle();
    }
    void ChooseEffect();
    Point PlacePicture(const Bitmap& b) const;
    // The part of a picture-sized bitmap, in its own coordinates, that lands inside the window when it is drawn
    // at PlacePicture(b); the rest of it is never seen.
    Rect VisiblePart(const Bitmap& b) const;
    // Draws b opaquely on the window at `at`, or at PlacePicture(b).
    void PresentAt(const Bitmap& b, Point at);
    void Present(const Bitmap& b) { PresentAt(b, PlacePicture(b)); }
    // Present for b's rows top to bottom - 1 only.
    void PresentRows(const Bitmap& b, std::int32_t top, std::int32_t bottom);
    // b is on the window at PlacePicture(b) already: counts as drawn there without drawing it again.
    void PresentedAlready(const Bitmap& b);
    // Draws frame with mask (both picture-sized, of one size) laid over it at the picture's place, white
    // transparent.
    void PresentComposed(const Bitmap& frame, const Bitmap& mask);
    std::int32_t RandomBelow(std::int32_t n) { return random_.Below(n); }
    std::string DataFile(std::string_view name) const { return JoinPath(DataFolder, name, style_); }
    std::string PictureFile(std::int32_t number) const;

    // Where the pointer is as the window appears, when the shell knows it (window coordinates).
    void SetPointerPosition(Point at) { pointer_ = at; }

    // The window's content and what the last tick changed on it (window coordinates).
    const ScreenImage& Screen() const { return screen_; }
    Rect DrawnThisTick() const { return drawn_; }
    // What was drawn since the last call; the shell shows that area.
    Rect TakeDrawn() { return std::exchange(drawn_, Rect{}); }

    // Slideshow variables.
    std::string DataFolder;
    bool PicturesLoaded = false;
    SlideStates SlideState = kLayOutPicture;
    std::int32_t PictureNo = -1;
    bool FirstRound = true;
    std::int32_t FirstPictureNo = 0;
    std::int32_t NextPictureNo = 0;
    std::int32_t MouseMoveCount = 0;
    std::int32_t ShowTime = 5000;
    std::int32_t HideTime = 3000;
    std::int32_t StepInterval = 50;
    std::int32_t CellWidth = 20;
    std::int32_t CellHeight = 20;
    std::array<bool, kEffectCount> EffectEnabled{}; // [n - 1] is effect n
    std::int32_t LastPictureNo = 0;
    bool RandomOrder = false;
    bool RandomPosition = false;
    std::int32_t PosX = 0;
    std::int32_t PosY = 0;
    EffectNumber EffectNo{}; // none before the first pick
    std::int32_t EffectStep = 0;

    Bitmap CurrentFrame, NextFrame, CurrentPicture, NextPicture, StepMask, Composite, TrailMask;

    TDXTimer Timer1;
    TMediaPlayer MediaPlayer1;

  private:
    struct PictureCursor;
    PictureCursor Cursor() const;
    void ChooseCurrentPicture(PictureCursor& c) const;
    static void PickNextPicture(PictureCursor& c, RandomGenerator& random);
    std::int32_t NextPictureNumber(const PictureCursor& c) const;
    PictureTone ToneOfShow() const;
    struct Decoded {
        bool ok = true, toned = false, framed = false;
        std::optional<FileStamp> stamp;
    };
    // Decodes (or takes the decode made ahead of) the picture file into `into`, and its copy into *frame when
    // one was made ahead. A file that cannot be read asks the window to close (ok false).
    Decoded DecodePicture(const std::string& path, PictureTone tone, Bitmap& into, Bitmap* frame);
    // Where NextPicture came from, while it is the file's current content.
    struct PictureSource {
        std::string path;
        FileStamp stamp;
        PictureTone tone;
    };

    Application& app_;
    SaverWindow& window_;
    Clock& clock_;
    SystemSettings& system_;
    std::string programPath_;
    PathStyle style_;
    std::optional<std::uint64_t> seed_;
    RandomGenerator random_;
    ScreenImage screen_;
    Rect drawn_;
    std::optional<Point> pointer_;
    std::optional<std::string> dataFolderGiven_;
    bool leaveDataFolderAlone_ = false;
    bool decodeAheadWanted_ = true;
    std::unique_ptr<DecodeAhead> decodeAhead_;
    bool aheadPlanned_ = false;
    std::int64_t takenReady_ = 0;
    std::optional<PictureSource> nextSource_;
    // The load took over the frame that state 5 has just shown whole: state 1 finds it on the window.
    bool frameOnScreen_ = false;
    bool bitmapsCreated_ = false;
    bool closing_ = false;
    bool formClosed_ = false;
};

} // namespace vis
