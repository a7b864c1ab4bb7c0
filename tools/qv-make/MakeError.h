#pragma once
// What goes wrong while making a saver, as a message for the person at the command line.
#include <stdexcept>

namespace vis::make {

struct MakeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace vis::make
