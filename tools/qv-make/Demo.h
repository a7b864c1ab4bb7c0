#pragma once
// The bundled demo saver "Demo": generated pictures, a title picture and a short piece of music.
#include "SaverBuilder.h"
#include "gfx/Bitmap.h"

#include <string>
#include <vector>

namespace vis::make {

constexpr const char* kDemoName = "Demo";

struct DemoPicture {
    std::string caption; // what the picture shows, for the summary
    Bitmap pixels;
};

// qor_0 (the opening picture), qor_1 (the title) and the pictures of the show, each with its number drawn
// large: bright and varied, one larger than a Full HD screen, one small, two portrait.
std::vector<DemoPicture> DemoPictures();

// A loop of four bars (eight seconds) for four instruments and light percussion, as a Standard MIDI File.
std::string DemoMusic();

// The demo's whole description; dest is the folder that gets velloran/Demo and Demo.scr.
SaverSpec DemoSpec(const std::string& dest, const std::string& program, bool force);

} // namespace vis::make
