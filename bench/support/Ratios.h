#pragma once
// Benchmarks here compare our code with a baseline measured in the same run (a plain copy, the library used
// directly) and print the ratio, so the figures mean the same on a fast and on a slow machine.
#include <string>
#include <vector>

namespace vis::bench {

struct Ratio {
    std::string label;
    std::string numerator;   // benchmark name, e.g. "BM_ToneGrey", or name:counter for a counter in seconds
    std::string denominator; // the baseline's name
    double aim;              // the ratio should stay at or below this
};

// Runs the benchmarks selected on the command line, then prints for each ratio the best CPU time per
// iteration of the numerator over that of the denominator (the best of the repetitions, so that a moment of
// load from other processes does not count), with its aim. Returns main's exit code.
int RunWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios);

} // namespace vis::bench
