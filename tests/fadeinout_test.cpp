// The effect framework's contract, Normal and FadeInOut, on bitmaps set up directly.
#include "effects/Effects.h"
#include "platform/headless/HeadlessRun.h"
#include "support/SaverFolder.h"

#include <gtest/gtest.h>
#include <set>

namespace vis {
namespace {

// A window created over an empty saver folder, with no tick run: the test lays out the bitmaps itself.
struct EffectBench {
    EffectBench() : run(folder.Options(320, 200)) {
        run.Open();
        EXPECT_TRUE(run.errors.empty());
    }
    TFmqv& fm() { return run.Fmqv(); }
    // Starts a phase as the state machine prepares it.
    void BeginPhase(int state, const Bitmap& picture) {
        Bitmap& source = state == 2 ? fm().CurrentPicture : fm().NextPicture;
        Bitmap& frame = state == 2 ? fm().CurrentFrame : fm().NextFrame;
        source = picture;
        frame = picture;
        fm().EffectStep = 0;
        fm().SlideState = static_cast<SlideStates>(state);
        fm().Timer1.SetInterval(777);
    }
    // The window's pixels where the frame lies.
    Bitmap ScreenAt(Point p, std::int32_t w, std::int32_t h) {
        Bitmap b(w, h);
        for (std::int32_t y = 0; y < h; ++y)
            for (std::int32_t x = 0; x < w; ++x)
                b.SetPixel(x, y, fm().Screen().Pixel(p.x + x, p.y + y));
        return b;
    }

    test::SaverFolder folder;
    HeadlessRun run;
};

// One row holding every byte value: byte i is i mod 256 (86 pixels, 258 bytes).
Bitmap EveryByte() {
    Bitmap b(86, 1);
    for (int i = 0; i < 258; ++i)
        b.Row(0)[i] = static_cast<std::uint8_t>(i % 256);
    return b;
}

std::uint8_t ByteAfter(const Bitmap& frame, int value) {
    return frame.Row(0)[value];
}

TEST(FadeInOut, OutStepBytes) {
    EffectBench b;
    const Bitmap picture = EveryByte();
    b.BeginPhase(2, picture);
    b.fm().CurrentFrame.FillAll(0x111111); // each step starts again from the picture, not from the frame
    for (int k = 1; k <= 20; ++k) {
        SCOPED_TRACE(k);
        StepFadeInOut(b.fm());
        const Bitmap& f = b.fm().CurrentFrame;
        EXPECT_EQ(b.fm().EffectStep, k);
        EXPECT_EQ(b.fm().Timer1.Interval(), 50);
        EXPECT_EQ(b.fm().SlideState, k < 20 ? 2 : 3);
        EXPECT_EQ(b.ScreenAt(b.fm().PlacePicture(f), 86, 1), f) << "the frame itself is presented";
        switch (k) {
        case 1:
            EXPECT_EQ(f, picture);
            break;
        case 2:
            EXPECT_EQ(ByteAfter(f, 255), 242);
            EXPECT_EQ(ByteAfter(f, 128), 122);
            break;
        case 10:
            EXPECT_EQ(ByteAfter(f, 255), 135);
            break;
        case 19:
            EXPECT_EQ(ByteAfter(f, 255), 14);
            for (int v = 1; v <= 19; ++v)
                EXPECT_EQ(ByteAfter(f, v), 1) << v;
            EXPECT_EQ(ByteAfter(f, 0), 0);
            break;
        case 20:
            for (int v = 0; v < 256; ++v)
                EXPECT_EQ(ByteAfter(f, v), 0) << v;
            break;
        }
    }
    EXPECT_EQ(b.fm().CurrentPicture, picture) << "the source picture is never altered";
}

TEST(FadeInOut, InStepBytes) {
    EffectBench b;
    const Bitmap picture = EveryByte();
    b.BeginPhase(4, picture);
    for (int k = 1; k <= 20; ++k) {
        SCOPED_TRACE(k);
        StepFadeInOut(b.fm());
        const Bitmap& f = b.fm().NextFrame;
        EXPECT_EQ(b.fm().SlideState, k < 20 ? 4 : 5);
        if (k == 1) {
            for (int v = 0; v < 256; ++v)
                EXPECT_EQ(ByteAfter(f, v), 0) << v;
        } else if (k == 2) {
            EXPECT_EQ(ByteAfter(f, 255), 14);
        } else if (k == 20) {
            EXPECT_EQ(f, picture);
        }
    }
}

TEST(FadeInOut, InStepsReplayTheOutStepsBackwards) {
    EffectBench b;
    Bitmap picture(13, 9);
    for (std::int32_t y = 0; y < 9; ++y)
        for (std::int32_t x = 0; x < 13; ++x)
            picture.SetPixel(x, y, static_cast<Color>((x * 19 + y * 29) * 0x010307) & 0xFFFFFF);
    std::vector<Bitmap> out, in;
    b.BeginPhase(2, picture);
    for (int k = 1; k <= 20; ++k) {
        StepFadeInOut(b.fm());
        out.push_back(b.fm().CurrentFrame);
    }
    b.BeginPhase(4, picture);
    for (int k = 1; k <= 20; ++k) {
        StepFadeInOut(b.fm());
        in.push_back(b.fm().NextFrame);
    }
    for (int k = 1; k <= 20; ++k)
        EXPECT_EQ(out[k - 1], in[20 - k]) << k;
}

TEST(FadeInOut, RowPaddingIsNotTouched) {
    EffectBench b;
    Bitmap picture(1, 2); // 3 pixel bytes and 1 padding byte a row
    picture.FillAll(0xFFFFFF);
    b.BeginPhase(2, picture);
    b.fm().CurrentFrame.Row(0)[3] = 0x5A;
    b.fm().CurrentFrame.Row(1)[3] = 0xA5;
    for (int k = 1; k <= 10; ++k)
        StepFadeInOut(b.fm());
    EXPECT_EQ(b.fm().CurrentFrame.Row(0)[0], 135);
    EXPECT_EQ(b.fm().CurrentFrame.Row(0)[3], 0x5A);
    EXPECT_EQ(b.fm().CurrentFrame.Row(1)[3], 0xA5);
}

TEST(EffectFramework, EveryPhaseTakesTwentyStepsWhateverTheSize) {
    for (auto [w, h] : {std::pair{1, 1}, std::pair{301, 3}, std::pair{320, 200}, std::pair{500, 300}}) {
        for (int state : {2, 4}) {
            EffectBench b;
            b.BeginPhase(state, Bitmap(w, h));
            int calls = 0;
            while (b.fm().SlideState == state && calls < 100) {
                StepFadeInOut(b.fm());
                ++calls;
            }
            EXPECT_EQ(calls, 20) << w << "x" << h;
            EXPECT_EQ(b.fm().SlideState, state + 1);
        }
    }
}

TEST(EffectFramework, StepCallsOutsideATransitionChangeNothing) {
    for (EffectStepFn step : {StepNormal, StepFadeInOut}) {
        for (int state : {1, 3, 5}) {
            EffectBench b;
            Bitmap picture(20, 10);
            picture.FillAll(0x336699);
            b.BeginPhase(2, picture);
            b.fm().SlideState = static_cast<SlideStates>(state);
            b.fm().EffectStep = 7;
            const ScreenImage screen = b.fm().Screen();
            b.fm().TakeDrawn();
            step(b.fm());
            EXPECT_EQ(b.fm().SlideState, state);
            EXPECT_EQ(b.fm().EffectStep, 7);
            EXPECT_EQ(b.fm().Timer1.Interval(), 777);
            EXPECT_EQ(b.fm().CurrentFrame, picture);
            EXPECT_EQ(b.fm().Screen(), screen);
            EXPECT_TRUE(b.fm().TakeDrawn().Empty());
        }
    }
}

TEST(EffectFramework, NormalIsACutThatDrawsNothing) {
    for (int state : {2, 4}) {
        EffectBench b;
        Bitmap picture(20, 10);
        picture.FillAll(0x336699);
        b.BeginPhase(state, picture);
        b.fm().TakeDrawn();
        StepNormal(b.fm());
        EXPECT_EQ(b.fm().SlideState, state + 1);
        EXPECT_EQ(b.fm().Timer1.Interval(), 50);
        EXPECT_EQ(b.fm().EffectStep, 0);
        EXPECT_TRUE(b.fm().TakeDrawn().Empty());
    }
}

TEST(EffectFramework, ComposeAndPresentLaysTheMaskOverTheFrame) {
    EffectBench b;
    Bitmap frame(4, 2);
    frame.FillAll(0x123456);
    frame.SetPixel(3, 1, 0xFFFFFF);
    Bitmap mask(4, 2);
    mask.FillAll(clWhite);
    mask.SetPixel(1, 0, clBlack);
    mask.SetPixel(2, 1, clBlack);
    SizeToFrame(b.fm().Composite, frame);
    ComposeAndPresent(b.fm(), frame, mask);
    Bitmap want = frame;
    want.SetPixel(1, 0, clBlack);
    want.SetPixel(2, 1, clBlack);
    const Point at = b.fm().PlacePicture(frame);
    EXPECT_EQ(at, (Point{158, 99}));
    EXPECT_EQ(b.ScreenAt(at, 4, 2), want);
    EXPECT_EQ(b.fm().DrawnThisTick(), (Rect{158, 99, 162, 101}));
}

TEST(EffectFramework, DispatchTableAndNames) {
    EffectBench b;
    b.BeginPhase(2, Bitmap(5, 5));
    RunEffectStep(b.fm(), 0);
    RunEffectStep(b.fm(), 17);
    EXPECT_EQ(b.fm().SlideState, 2);
    EXPECT_EQ(b.fm().Timer1.Interval(), 777);
    RunEffectStep(b.fm(), 2);
    EXPECT_EQ(b.fm().EffectStep, 1);
    RunEffectStep(b.fm(), 1);
    EXPECT_EQ(b.fm().SlideState, 3);
    EXPECT_STREQ(EffectName(1), "Normal");
    EXPECT_STREQ(EffectName(2), "FadeInOut");
    EXPECT_STREQ(EffectName(14), "Dai_shou");
    EXPECT_STREQ(EffectName(16), "Kazaguruma");
    EXPECT_STREQ(EffectName(0), "");
    EXPECT_STREQ(EffectName(17), "");
}

TEST(EffectFramework, ChooseEffectPicksOnlyEnabledEffectsAndEndsWhenNoneIs) {
    EffectBench b;
    b.fm().EffectEnabled.fill(false);
    b.fm().EffectEnabled[6] = true;
    for (int i = 0; i < 50; ++i) {
        b.fm().ChooseEffect();
        EXPECT_EQ(b.fm().EffectNo, 7);
    }
    b.fm().EffectEnabled.fill(false);
    std::set<int> seen;
    for (int i = 0; i < 400; ++i) {
        b.fm().ChooseEffect();
        seen.insert(b.fm().EffectNo);
    }
    EXPECT_EQ(seen.size(), 16u);
    EXPECT_EQ(*seen.begin(), 1);
    EXPECT_EQ(*seen.rbegin(), 16);
}

} // namespace
} // namespace vis
