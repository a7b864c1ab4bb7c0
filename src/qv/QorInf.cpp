#include "qv/QorInf.h"

#include "qv/Errors.h"
#include "qv/Files.h"

namespace vis {

namespace {
// Four short lines are all the file ever holds; anything far larger is damage, not settings.
constexpr std::uintmax_t kMaxQorInfBytes = 16u << 20;
} // namespace

TextLineReader::TextLineReader(std::string text) : text_(std::move(text)) {
    if (auto eof = text_.find('\x1a'); eof != std::string::npos) text_.resize(eof);
}

std::string TextLineReader::ReadLine() {
    if (pos_ >= text_.size()) return {};
    auto cr = text_.find('\r', pos_);
    std::string line;
    if (cr == std::string::npos) {
        line = text_.substr(pos_);
        pos_ = text_.size();
    } else {
        line = text_.substr(pos_, cr - pos_);
        pos_ = cr + 1;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    }
    return line;
}

std::optional<std::int32_t> TryStrToInt(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i >= s.size()) return std::nullopt;
    std::int64_t value = 0;
    if (s[i] == '$') {
        ++i;
        if (i >= s.size()) return std::nullopt;
        for (; i < s.size(); ++i) {
            char c = s[i];
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0) return std::nullopt;
            value = value * 16 + digit;
            if (value > 0xFFFFFFFFll) return std::nullopt;
        }
        auto bits = static_cast<std::uint32_t>(value);
        if (negative) bits = 0u - bits;
        return static_cast<std::int32_t>(bits);
    }
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 2147483648ll) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647ll) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(std::string_view s) {
    if (auto v = TryStrToInt(s)) return *v;
    throw EConvertError(FormatMessage("'%s' は整数ではありません", std::string(s)));
}

void ApplyEffectMask(std::string_view line, std::array<bool, kEffectCount>& enabled) {
    if (line.find('1') == std::string_view::npos) return;
    for (std::size_t i = 0; i < enabled.size() && i < line.size(); ++i)
        if (line[i] == '0') enabled[i] = false;
}

std::string EffectMaskLine(const std::array<bool, kEffectCount>& enabled) {
    std::string s;
    for (bool on : enabled)
        s += on ? '1' : '0';
    return s;
}

void ReadQorInf(const std::string& path, QorInfSink& sink) {
    auto bytes = ReadFileBounded(path, kMaxQorInfBytes);
    if (!bytes) throw EInOutError(InOutErrorText(FileExists(path) ? 5 : 2));
    ReadQorInfText(std::move(*bytes), sink);
}

void ReadQorInfText(std::string text, QorInfSink& sink) {
    TextLineReader reader(std::move(text));
    sink.LastPictureNo(StrToInt(reader.ReadLine()));
    sink.EffectMask(reader.ReadLine());
    sink.ShowSeconds(StrToInt(reader.ReadLine()));
    sink.HideSeconds(StrToInt(reader.ReadLine()));
}

std::string QorInfText(std::int32_t lastPictureNo, std::string_view mask, std::int32_t showSeconds,
                       std::int32_t hideSeconds) {
    std::string s;
    s += std::to_string(lastPictureNo) + "\r\n";
    s += std::string(mask) + "\r\n";
    s += std::to_string(showSeconds) + "\r\n";
    s += std::to_string(hideSeconds) + "\r\n";
    return s;
}

void WriteQorInf(const std::string& path, std::int32_t lastPictureNo, std::string_view mask, std::int32_t showSeconds,
                 std::int32_t hideSeconds) {
    WriteFileReplacing(path, QorInfText(lastPictureNo, mask, showSeconds, hideSeconds));
}

} // namespace vis
