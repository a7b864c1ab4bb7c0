#include "gfx/PictureMemory.h"

#include <algorithm>
#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vis {

namespace {
// 0 stands for "no budget set".
std::atomic<std::uint64_t> g_budget{0};
constexpr std::uint64_t kUnknownMachineBudget = std::uint64_t{1} << 30;
} // namespace

std::uint64_t BitmapBytes(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) return 0;
    const auto stride = (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
    return stride * static_cast<std::uint64_t>(height);
}

std::uint64_t PictureMemoryNeed(std::int64_t width, std::int64_t height, std::uint64_t decoderBytes) {
    // Sides are at most 65535, so none of this comes near overflowing 64 bits.
    return kPictureSizedBitmaps * BitmapBytes(width, height) + decoderBytes;
}

bool PictureFitsMemory(std::int64_t width, std::int64_t height, std::uint64_t decoderBytes, std::uint64_t budget) {
    return width >= 1 && height >= 1 && PictureMemoryNeed(width, height, decoderBytes) <= budget;
}

std::uint64_t PhysicalMemoryBytes() {
#ifdef _WIN32
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return 0;
    return status.ullTotalPhys;
#else
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
#endif
}

std::uint64_t PictureMemoryBudget() {
    if (const std::uint64_t set = g_budget.load()) return set;
    const std::uint64_t physical = PhysicalMemoryBytes();
    return physical ? physical / 2 : kUnknownMachineBudget;
}

void SetPictureMemoryBudget(std::optional<std::uint64_t> budget) {
    g_budget = budget ? std::max<std::uint64_t>(*budget, 1) : 0;
}

} // namespace vis
