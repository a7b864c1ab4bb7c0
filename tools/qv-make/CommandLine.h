#pragma once
// The command line of qv-make.
#include "SaverBuilder.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vis::make {

struct Command {
    enum class Kind { Make, Demo, Help } kind = Kind::Help;
    // How pictures are fitted: to the screen unless --fit gave a size or "none".
    enum class Fit { Screen, Given, None } fit = Fit::Screen;
    SaverSpec spec; // for Demo: dest, force and program only; the rest comes from DemoSpec
    bool quiet = false;
    bool install = false; // also record the saver with the desktop's screen saver
};

// args without the program name. Raises MakeError for anything it cannot understand.
Command ParseCommandLine(const std::vector<std::string>& args);

// "1101..." as it stands, or effect names and numbers separated by commas ("Normal,FadeInOut,15"), or "all".
// Raises MakeError naming what it does not know.
std::string ParseEffectMask(const std::string& text);

std::string UsageText();

// Without --fit, pictures are shrunk to the size screen() reports (the primary screen's; nullopt without a
// display). Sets cmd.spec's fit and returns the line that tells the user what was chosen; empty when --fit
// was given or for the demo, whose pictures are drawn to show a picture larger than the screen.
std::string ApplyDefaultFit(Command& cmd, const std::function<std::optional<Size>()>& screen);

// The qv program next to this tool in a build tree (build/<preset>/src/platform/qt/qv beside
// build/<preset>/tools/qv-make/qv-make) or in the same folder; empty when there is none.
std::string FindQvProgram(const std::string& selfPath);

} // namespace vis::make
