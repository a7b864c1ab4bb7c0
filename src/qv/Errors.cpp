#include "qv/Errors.h"

namespace vis {

std::string FormatMessage(const std::string& pattern, const std::string& arg) {
    std::string out = pattern;
    if (auto at = out.find("%s"); at != std::string::npos) out.replace(at, 2, arg);
    return out;
}

std::string ErrorBoxText(const std::string& message, std::size_t maxBytes) {
    if (message.size() <= maxBytes) return message;
    std::size_t cut = maxBytes;
    // Step back over UTF-8 continuation bytes so no character is split.
    while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80) --cut;
    return message.substr(0, cut) + "…";
}

} // namespace vis
