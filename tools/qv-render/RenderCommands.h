#pragma once
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace vis::render {

struct TimelineRequest {
    std::string dataFolder;
    std::int32_t screenWidth = 0, screenHeight = 0;
    std::uint32_t untilMs = 0;
    std::uint64_t seed = 1;
    std::optional<std::string> framesDir;
    // Where to write the memory report: the process's peak memory against the memory rule's count of
    // picture-sized bitmaps for the largest picture shown.
    std::optional<std::string> memoryReport;
};

struct EffectRequest {
    int effect = 0;
    bool out = true;
    int step = 0;
    std::int32_t width = 0, height = 0;
    std::optional<std::string> picture;
    std::uint64_t seed = 1;
    std::string outFile;
};

// Both return the process's exit code: 0 done, 1 failed (the reason on err).
int RunTimeline(const TimelineRequest& request, std::ostream& out, std::ostream& err);
int RunEffect(const EffectRequest& request, std::ostream& err);

} // namespace vis::render
