#pragma once
#include <string>

namespace vis {

// The program's path as it was started: argv[0] made absolute (searched in PATH when it has no "/"), with the
// last component kept as it is, so a link or copy named "Sunset.scr" finds "velloran/Sunset".
std::string ProgramPathFromArgv0(const std::string& argv0);

} // namespace vis
