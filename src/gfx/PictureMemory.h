#pragma once
// How large a picture the saver accepts: as large as this machine can hold. A picture is shown when every
// buffer of its size that the saver keeps for it fits into half of the physical memory, so the show never
// pushes the machine into swapping or the allocator into failing halfway through a load.
#include <cstdint>
#include <optional>

namespace vis {

// The picture-sized bitmaps the saver keeps: CurrentPicture, NextPicture, CurrentFrame, NextFrame, TrailMask,
// StepMask and Composite all take a picture's size; one more while a resize holds a bitmap's old pixels next
// to its new ones.
constexpr int kPictureSizedBitmaps = 8;

// Bytes of one 24-bit bitmap of w x h pixels, rows padded to 4 bytes.
std::uint64_t BitmapBytes(std::int64_t width, std::int64_t height);

// What holding a picture costs: kPictureSizedBitmaps bitmaps plus what the decoder keeps of the whole
// picture (a multi-scan JPEG's coefficients).
std::uint64_t PictureMemoryNeed(std::int64_t width, std::int64_t height, std::uint64_t decoderBytes);

// The rule itself, for a given budget.
bool PictureFitsMemory(std::int64_t width, std::int64_t height, std::uint64_t decoderBytes, std::uint64_t budget);

// The machine's physical memory (sysconf on POSIX, GlobalMemoryStatusEx on Windows); 0 when unknown.
std::uint64_t PhysicalMemoryBytes();
// Half of the physical memory (1 GiB when it cannot be learnt), or the budget a test has set.
std::uint64_t PictureMemoryBudget();
// Tests and tools: replaces the machine's budget until reset with nullopt.
void SetPictureMemoryBudget(std::optional<std::uint64_t> budget);

} // namespace vis
