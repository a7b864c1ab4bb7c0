#pragma once
// The command line of qv-make.
#include "SaverBuilder.h"

#include <string>
#include <vector>

namespace vis::make {

struct Command {
    enum class Kind { Make, Demo, Help } kind = Kind::Help;
    SaverSpec spec; // for Demo: dest, force and program only; the rest comes from DemoSpec
    bool quiet = false;
};

// args without the program name. Raises MakeError for anything it cannot understand.
Command ParseCommandLine(const std::vector<std::string>& args);

// "1101..." as it stands, or effect names and numbers separated by commas ("Normal,FadeInOut,15"), or "all".
// Raises MakeError naming what it does not know.
std::string ParseEffectMask(const std::string& text);

std::string UsageText();

// The qv program next to this tool in a build tree (build/<preset>/src/platform/qt/qv beside
// build/<preset>/tools/qv-make/qv-make) or in the same folder; empty when there is none.
std::string FindQvProgram(const std::string& selfPath);

} // namespace vis::make
