#pragma once
#include <cstdint>
#include <string>

namespace vis {

constexpr int kSwShow = 5;

// Opening a document or an address with the desktop's default program.
class Shell {
  public:
    virtual ~Shell() = default;
    // Returns the shell's result value (greater than 32 for success, as on Windows); callers ignore it.
    virtual std::intptr_t Open(const std::string& file, const std::string& parameters, const std::string& folder,
                               int showCommand) = 0;
};

} // namespace vis
