#pragma once
// Makes a saver's data folder DEST/velloran/NAME in one piece: everything is written into a temporary folder
// beside it, which takes the final name only once complete, so a failure leaves nothing half-made.
#include "PreparePicture.h"
#include "gfx/Bitmap.h"

#include <optional>
#include <string>
#include <vector>

namespace vis::make {

// One picture of the show: a file to read, or pixels made by the program.
struct PictureInput {
    std::string path;
    std::optional<Bitmap> pixels;
};

struct SaverSpec {
    std::string dest; // the folder that holds velloran/ (and the program file NAME.scr)
    std::string name;
    std::vector<PictureInput> pictures; // qor_0, qor_1, ... in this order
    bool title = false, random = false, randomPosition = false, gray = false, sepia = false, lock = false;
    std::optional<std::string> musicPath;  // a Standard MIDI File to copy
    std::optional<std::string> musicBytes; // or its bytes
    std::int32_t showSeconds = 5, pauseSeconds = 3;
    std::string effectMask = "1111111111111111";
    PictureSettings pictureSettings;
    bool force = false;  // replace an existing NAME folder (and launcher)
    std::string program; // when set, DEST/NAME.scr becomes a link to (on Windows a copy of) it
};

struct SaverReport {
    std::string dataFolder;
    std::string launcher;                  // empty when none was made
    std::vector<PreparedPicture> pictures; // without the JPEG bytes, for the summary
};

// The checks that need no file: raises MakeError naming the first problem.
void CheckSpec(const SaverSpec& spec);

// The checks of what is already there (an existing saver or launcher without force, a missing program).
void CheckDestination(const SaverSpec& spec);

// Raises MakeError; on failure neither the data folder nor the launcher has changed.
SaverReport MakeSaver(const SaverSpec& spec);

// Limits on what the tool accepts.
constexpr std::int32_t kMaxSeconds = 3600;
constexpr std::uintmax_t kMaxMusicBytes = std::uintmax_t{16} << 20;

} // namespace vis::make
