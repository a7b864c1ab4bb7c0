// Which parts of which monitors get a black window beside the saver window on the primary monitor.
#include "platform/MonitorCover.h"

#include <gtest/gtest.h>

namespace vis {
namespace {

struct CoverCase {
    const char* name;
    std::vector<Rect> monitors;
    std::vector<Rect> covers;
};

TEST(MonitorCover, CoversWhatTheSaverWindowLeavesOpen) {
    const Rect saver{0, 0, 1280, 720};
    const CoverCase cases[] = {
        {"one monitor", {{0, 0, 1280, 720}}, {}},
        {"second monitor to the right", {{0, 0, 1280, 720}, {1280, 0, 2560, 720}}, {{1280, 0, 2560, 720}}},
        {"monitors left and above, negative coordinates",
         {{-1920, -300, 0, 780}, {0, 0, 1280, 720}, {0, -1024, 1280, 0}},
         {{-1920, -300, 0, 780}, {0, -1024, 1280, 0}}},
        {"a mirror of the primary", {{0, 0, 1280, 720}, {0, 0, 1280, 720}}, {}},
        {"a smaller monitor inside the primary", {{0, 0, 1280, 720}, {0, 0, 800, 600}}, {}},
        // A larger monitor at the same origin: the bands below and to the right of the saver window.
        {"a larger monitor at the origin",
         {{0, 0, 1920, 1080}, {0, 0, 1280, 720}},
         {{0, 720, 1920, 1080}, {1280, 0, 1920, 720}}},
        // A monitor straddling the saver window's corner gets all its parts outside it, nothing inside it.
        {"a monitor around the saver window",
         {{-100, -50, 1380, 770}},
         {{-100, -50, 1380, 0}, {-100, 720, 1380, 770}, {-100, 0, 0, 720}, {1280, 0, 1380, 720}}},
        {"the same monitor reported twice", {{1280, 0, 2560, 720}, {1280, 0, 2560, 720}}, {{1280, 0, 2560, 720}}},
        {"an empty monitor rectangle", {{1280, 0, 1280, 720}}, {}},
    };
    for (const CoverCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Rect> got = CoverRects(saver, c.monitors);
        ASSERT_EQ(got.size(), c.covers.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i], c.covers[i]) << "cover " << i << ": " << got[i].left << "," << got[i].top << " - "
                                           << got[i].right << "," << got[i].bottom;
            EXPECT_TRUE(Intersect(got[i], saver).Empty()) << "cover " << i << " lies over the slideshow";
        }
    }
}

} // namespace
} // namespace vis
