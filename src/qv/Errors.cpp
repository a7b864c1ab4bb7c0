#include "qv/Errors.h"

namespace vis {

std::string FormatMessage(const std::string& pattern, const std::string& arg) {
    std::string out = pattern;
    if (auto at = out.find("%s"); at != std::string::npos) out.replace(at, 2, arg);
    return out;
}

} // namespace vis
