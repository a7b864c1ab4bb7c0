#pragma once
// Reading a fuzz input as a few small decisions followed by free bytes. Past the end every decision reads as
// zero, so a short input is still a whole (plain) case.
#include <cstddef>
#include <cstdint>
#include <string>

namespace vis::fuzz {

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint16_t Word() {
        const std::uint16_t hi = Byte();
        return static_cast<std::uint16_t>(hi << 8 | Byte());
    }
    // Whatever is left, for a file's content.
    std::string Rest() {
        std::string s(reinterpret_cast<const char*>(data_) + (pos_ < size_ ? pos_ : size_),
                      pos_ < size_ ? size_ - pos_ : 0);
        pos_ = size_;
        return s;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace vis::fuzz
