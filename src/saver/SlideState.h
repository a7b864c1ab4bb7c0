#pragma once
// The numbers the slideshow runs by, as named values.

namespace vis {

// What the state machine does at its next tick; the values are the states' numbers.
enum SlideStates : int {
    kLayOutPicture = 1,     // draw the current picture and pick the out-effect
    kPictureGoesOut = 2,    // the out-effect's steps
    kPauseBegins = 3,       // black out the picture, place the next one, pick the in-effect
    kPictureComesIn = 4,    // the in-effect's steps
    kPictureShownWhole = 5, // draw the next picture whole and ask for the next load
};

// The transition effects; the values are their numbers, the positions in qor_inf's effect mask.
enum EffectNumber : int {
    kNormal = 1,
    kFadeInOut,
    kSikaku,
    kTatesen,
    kYokosen,
    kSeihoukei,
    kSeihoukei2,
    kEn,
    kEn2,
    kTate,
    kTate2,
    kYoko,
    kYoko2,
    kDai_shou,
    kTokei,
    kKazaguruma,
};
static_assert(kKazaguruma == 16);

} // namespace vis
