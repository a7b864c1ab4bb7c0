#pragma once
// The settings file qor_inf: four CR LF lines (last picture number, effect mask, display and pause seconds).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vis {

constexpr int kEffectCount = 16;

// Splits text into lines the way the runtime's text files do: a line ends at CR, an LF right after the CR
// belongs to the line end, byte 26 ends the text, a lone LF is part of the line, and reading past the last
// line yields empty lines.
class TextLineReader {
  public:
    explicit TextLineReader(std::string text);
    std::string ReadLine();

  private:
    std::string text_;
    std::size_t pos_ = 0;
};

// The runtime's integer syntax: leading blanks, optional sign, decimal digits or "$" and hex digits, nothing
// after. Values outside 32 bits are not numbers (hex up to $FFFFFFFF wraps into the 32-bit range).
std::optional<std::int32_t> TryStrToInt(std::string_view s);
// As above; raises EConvertError "'%s' は整数ではありません" for a non-number.
std::int32_t StrToInt(std::string_view s);

// The mask rule: a line with no "1" anywhere leaves every effect on; otherwise each of the first sixteen
// positions holding "0" turns that effect off. enabled[0] is effect 1.
void ApplyEffectMask(std::string_view line, std::array<bool, kEffectCount>& enabled);
// The sixteen characters the settings dialog writes.
std::string EffectMaskLine(const std::array<bool, kEffectCount>& enabled);

// Receives each value the moment its line has been converted, so a failure keeps what came before.
class QorInfSink {
  public:
    virtual ~QorInfSink() = default;
    virtual void LastPictureNo(std::int32_t value) = 0;
    virtual void EffectMask(std::string_view line) = 0;
    virtual void ShowSeconds(std::int32_t value) = 0;
    virtual void HideSeconds(std::int32_t value) = 0;
};

// Reads the file line by line into the sink. Raises EInOutError when it cannot be opened or read and
// EConvertError at the first bad number, after the values before it were delivered.
void ReadQorInf(const std::string& path, QorInfSink& sink);
// The same over the file's bytes.
void ReadQorInfText(std::string text, QorInfSink& sink);

// The file's bytes as the settings dialog writes them.
std::string QorInfText(std::int32_t lastPictureNo, std::string_view mask, std::int32_t showSeconds,
                       std::int32_t hideSeconds);
// Writes the four lines, replacing the old file only once the new one is complete (EInOutError otherwise).
void WriteQorInf(const std::string& path, std::int32_t lastPictureNo, std::string_view mask, std::int32_t showSeconds,
                 std::int32_t hideSeconds);

} // namespace vis
