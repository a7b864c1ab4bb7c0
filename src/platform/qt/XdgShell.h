#pragma once
// Opening a document or a web address on a Linux desktop: handed to xdg-open, which picks the user's program.
#include "platform/Shell.h"

#include <string>

namespace vis {

class XdgShell : public Shell {
  public:
    // opener: the program that opens things; tests put a recorder in its place.
    explicit XdgShell(std::string opener = "xdg-open") : opener_(std::move(opener)) {}
    // Starts the opener detached with the file or address as its one argument, in folder when one is given.
    // xdg-open takes no further parameters and has no show command, so both are not used. Returns 42 when
    // the opener started and 2 (file not found) when it did not, as the Windows shell reports.
    std::intptr_t Open(const std::string& file, const std::string& parameters, const std::string& folder,
                       int showCommand) override;

  private:
    std::string opener_;
};

} // namespace vis
