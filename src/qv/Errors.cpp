#include "qv/Errors.h"

#include <algorithm>

namespace vis {

namespace {
// Moves a cut position back to the start of a UTF-8 character.
std::size_t CharacterStart(const std::string& s, std::size_t at) {
    while (at > 0 && at < s.size() && (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80)
        --at;
    return at;
}
} // namespace

std::string ShownValue(const std::string& value, std::size_t maxBytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string shown;
    // A huge value is cut first (with room for its escapes), so escaping never walks megabytes.
    const std::string& source = value;
    const bool huge = source.size() > 8 * maxBytes;
    const std::size_t headEnd = huge ? CharacterStart(source, 4 * maxBytes) : source.size();
    const std::size_t tailStart = huge ? CharacterStart(source, source.size() - 4 * maxBytes) : source.size();
    auto append = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            const auto c = static_cast<unsigned char>(source[i]);
            if (c < 0x20 || c == 0x7F) {
                shown += "\\x";
                shown += kHex[c >> 4];
                shown += kHex[c & 15];
            } else {
                shown += static_cast<char>(c);
            }
        }
    };
    append(0, headEnd);
    const std::size_t headBytes = shown.size();
    append(tailStart, source.size());
    if (!huge && shown.size() <= maxBytes) return shown;
    // Two thirds of the room for the start, which says most; the rest for the end.
    const std::size_t keepHead = CharacterStart(shown, maxBytes * 2 / 3);
    const std::size_t tailFrom =
        std::max(CharacterStart(shown, shown.size() - (maxBytes - maxBytes * 2 / 3)), std::min(keepHead, headBytes));
    return shown.substr(0, keepHead) + "…" + shown.substr(tailFrom);
}

std::string FormatMessage(const std::string& pattern, const std::string& arg) {
    std::string out = pattern;
    if (auto at = out.find("%s"); at != std::string::npos) out.replace(at, 2, ShownValue(arg));
    return out;
}

std::string ErrorBoxText(const std::string& message, std::size_t maxBytes) {
    if (message.size() <= maxBytes) return message;
    std::size_t cut = maxBytes;
    // Step back over UTF-8 continuation bytes so no character is split.
    while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80)
        --cut;
    return message.substr(0, cut) + "…";
}

EPictureTooLarge::EPictureTooLarge(const std::string& file, std::int64_t width, std::int64_t height)
    : EInvalidGraphic(FormatMessage("ﾌｧｲﾙ %s の画像 (" + std::to_string(width) + " × " + std::to_string(height) +
                                        ") は大きすぎて表示できません",
                                    file)) {}

} // namespace vis
