#pragma once
// A saver window on the headless platform, set up the way the state machine leaves it before a transition, so
// that an effect's steps can be run one by one and their bitmaps inspected.
#include "effects/Effects.h"
#include "platform/headless/Headless.h"
#include "saver/Unqv.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vis::test {

// A picture without pure black or pure white pixels, so that every black pixel of a composed frame is masked
// and every other one shows the picture.
inline Color CardColor(std::int32_t x, std::int32_t y) {
    return 0x800000u | static_cast<Color>(1 + y % 250) << 8 | static_cast<Color>(1 + x % 250);
}

inline Bitmap TestCard(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            b.SetPixel(x, y, CardColor(x, y));
    return b;
}

class EffectHarness {
  public:
    explicit EffectHarness(std::int32_t screenW = 1024, std::int32_t screenH = 768, std::uint64_t seed = 7)
        : window(screenW, screenH),
          fm_(std::make_unique<TFmqv>(SaverPlatform{app, window, clock, system, media, "/saver/Saver.scr",
                                                    PathStyle::Posix, seed, std::nullopt, true})) {
        fm_->FitToScreen();
        fm_->Randomize();
        fm_->PicturesLoaded = true;
    }

    TFmqv& Fm() { return *fm_; }

    // Puts a test card of w × h into the phase's picture and frame and prepares TrailMask and EffectStep as
    // the state machine's state 1 (out) or 3 (in) does.
    void Prepare(int effectNo, bool out, std::int32_t w, std::int32_t h) { Prepare(effectNo, out, TestCard(w, h)); }
    void Prepare(int effectNo, bool out, const Bitmap& card) {
        TFmqv& fm = *fm_;
        (out ? fm.CurrentPicture : fm.NextPicture) = card;
        Bitmap& frame = out ? fm.CurrentFrame : fm.NextFrame;
        frame = card;
        fm.TrailMask.SetWidth(frame.Width());
        fm.TrailMask.SetHeight(frame.Height());
        fm.TrailMask.brushColor = out ? clWhite : clBlack;
        fm.TrailMask.FillRect(Rect{0, 0, frame.Width(), frame.Height()});
        fm.TrailMask.brushColor = out ? clBlack : clWhite;
        fm.EffectStep = 0;
        fm.EffectNo = static_cast<EffectNumber>(effectNo);
        fm.SlideState = out ? kPictureGoesOut : kPictureComesIn;
    }

    // One tick of the transition: the state machine's call of the effect.
    void Step() { fm_->StepTransition(); }
    void StepTo(std::int32_t k) {
        while (fm_->EffectStep < k && (fm_->SlideState == 2 || fm_->SlideState == 4))
            Step();
    }

    const Bitmap& Frame() { return fm_->SlideState == 4 || fm_->SlideState == 5 ? fm_->NextFrame : fm_->CurrentFrame; }

    // What the window shows of the phase's frame, frame-sized (black where it lies off the window): the composed
    // frame of the last step.
    Bitmap Shown() {
        const Bitmap& f = Frame();
        const Point at = fm_->PlacePicture(f);
        const ScreenImage& screen = fm_->Screen();
        Bitmap b(f.Width(), f.Height());
        b.FillAll(clBlack);
        for (std::int32_t y = 0; y < f.Height(); ++y)
            for (std::int32_t x = 0; x < f.Width(); ++x)
                if (at.x + x >= 0 && at.x + x < screen.Width() && at.y + y >= 0 && at.y + y < screen.Height())
                    b.SetPixel(x, y, screen.Pixel(at.x + x, at.y + y));
        return b;
    }

    HeadlessApplication app;
    HeadlessWindow window;
    VirtualClock clock;
    RecordingSystemSettings system;
    ScriptedMediaDevice media;

  private:
    std::unique_ptr<TFmqv> fm_;
};

// Every pixel of a mask is black exactly where `black` says so; reports the first few differences.
inline ::testing::AssertionResult MaskIs(const Bitmap& mask,
                                         const std::function<bool(std::int32_t, std::int32_t)>& black) {
    int wrong = 0;
    std::string where;
    for (std::int32_t y = 0; y < mask.Height(); ++y)
        for (std::int32_t x = 0; x < mask.Width(); ++x) {
            const Color c = mask.Pixel(x, y);
            const bool isBlack = c == clBlack;
            if ((c != clBlack && c != clWhite) || isBlack != black(x, y)) {
                if (++wrong <= 5)
                    where += " (" + std::to_string(x) + "," + std::to_string(y) + ")=" + std::to_string(c);
            }
        }
    if (wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels differ:" << where;
}

// True where the rectangle [l, r) × [t, b) holds (x, y).
inline bool In(std::int32_t x, std::int32_t y, std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
    return x >= l && x < r && y >= t && y < b;
}

} // namespace vis::test
