#pragma once
// The runtime's errors: exceptions that carry the message text a user sees in the error box.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace vis {

struct Exception : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// "'%s' は整数ではありません" and other conversion failures.
struct EConvertError : Exception {
    using Exception::Exception;
};
// A file that cannot be opened, read or written.
struct EInOutError : Exception {
    using Exception::Exception;
};
// "ﾌｧｲﾙ %s は開けません"
struct EFOpenError : Exception {
    using Exception::Exception;
};
// "ﾌｧｲﾙ %s を作成できません"
struct EFCreateError : Exception {
    using Exception::Exception;
};
// Media player errors: the system's text, "原因不明のｴﾗｰ" or "MCI ﾃﾞﾊﾞｲｽがありません".
struct EMCIDeviceError : Exception {
    using Exception::Exception;
};
// "%s に書き込めません"
struct EIniFileException : Exception {
    using Exception::Exception;
};
// A picture whose data is damaged after its header was read.
struct EInvalidGraphic : Exception {
    using Exception::Exception;
};

// The text an error box shows: the message, cut at a character boundary after maxBytes with "…" added, so a
// message quoting a huge damaged line stays a readable box instead of megabytes of text to lay out.
std::string ErrorBoxText(const std::string& message, std::size_t maxBytes = 1024);

// A value as an error text quotes it: control bytes (NUL included) shown as "\xNN", and a value longer than
// maxBytes shortened in its middle to "head…tail", so the words around it always stay in the box.
std::string ShownValue(const std::string& value, std::size_t maxBytes = 240);

// Replaces the first "%s" of a runtime message template with ShownValue(arg).
std::string FormatMessage(const std::string& pattern, const std::string& arg);

// A picture too large for this machine (or for JPEG); raised as an error after the file was read.
struct EPictureTooLarge : EInvalidGraphic {
    EPictureTooLarge(const std::string& file, std::int64_t width, std::int64_t height);
};

} // namespace vis
