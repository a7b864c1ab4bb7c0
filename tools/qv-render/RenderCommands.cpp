#include "RenderCommands.h"

#include "JsonLine.h"
#include "PngWrite.h"
#include "TestCard.h"
#include "gfx/Jpeg.h"
#include "gfx/PictureMemory.h"
#include "platform/headless/HeadlessRun.h"
#include "qv/Files.h"
#include "saver/Unqv.h"

#include <algorithm>
#include <fstream>
#ifdef __linux__
#include <sys/resource.h>
#endif

#include <cstdio>
#include <exception>
#include <filesystem>
#include <ostream>

namespace vis::render {

namespace {

std::string RectJson(const Rect& r) {
    if (r.Empty()) return "null";
    return "[" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.Width()) + ", " +
           std::to_string(r.Height()) + "]";
}

std::string FrameName(std::uint64_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "%06llu.png", static_cast<unsigned long long>(number));
    return name;
}

std::optional<std::int64_t> Maybe(const std::optional<std::int32_t>& v) {
    return v ? std::optional<std::int64_t>(*v) : std::nullopt;
}

// The most memory the process has held so far, in bytes (0 where the system does not say).
std::int64_t PeakResidentBytes() {
#ifdef __linux__
    rusage usage{};
    if (::getrusage(RUSAGE_SELF, &usage) == 0) return std::int64_t{usage.ru_maxrss} * 1024;
#endif
    return 0;
}

// The saver's picture-sized bitmaps over a run: the largest picture, and how many bitmaps held its size at once.
struct BitmapWatch {
    std::int32_t width = 0, height = 0;
    std::int64_t mostAtOnce = 0;
    void Look(const TFmqv& fm) {
        for (const Bitmap* b : {&fm.CurrentPicture, &fm.NextPicture})
            if (BitmapBytes(b->Width(), b->Height()) > BitmapBytes(width, height)) {
                width = b->Width();
                height = b->Height();
                mostAtOnce = 0;
            }
        const std::uint64_t bytes = BitmapBytes(width, height);
        std::int64_t n = 0;
        for (const Bitmap* b : {&fm.CurrentPicture, &fm.NextPicture, &fm.CurrentFrame, &fm.NextFrame, &fm.TrailMask,
                                &fm.StepMask, &fm.Composite})
            n += bytes > 0 && BitmapBytes(b->Width(), b->Height()) >= bytes;
        mostAtOnce = std::max(mostAtOnce, n);
    }
};

} // namespace

int RunTimeline(const TimelineRequest& request, std::ostream& out, std::ostream& err) {
    if (!FolderExists(request.dataFolder)) {
        err << "qv-render: no such data folder: " << request.dataFolder << "\n";
        return 1;
    }
    if (request.framesDir) {
        std::error_code ec;
        std::filesystem::create_directories(FsPath(*request.framesDir), ec);
        if (!FolderExists(*request.framesDir)) {
            err << "qv-render: cannot create the frames folder " << *request.framesDir << "\n";
            return 1;
        }
    }

    HeadlessRunOptions options;
    options.dataFolder = request.dataFolder;
    // Rendering someone's folder must not change it: no installer deleted, no folder created.
    options.leaveDataFolderAlone = true;
    options.screenWidth = request.screenWidth;
    options.screenHeight = request.screenHeight;
    options.seed = request.seed;
    HeadlessRun run(options);

    std::uint64_t frames = 0;
    std::string failure;
    const std::int64_t rssBefore = PeakResidentBytes();
    BitmapWatch watch;
    run.onError = [&out](const HeadlessError& e) {
        out << JsonLine().Field("t", std::int64_t{e.t}).Field("error", e.message).Text() << "\n";
    };
    run.onTick = [&](const HeadlessTick& t) {
        JsonLine line;
        line.Field("t", std::int64_t{t.t})
            .Field("state", std::int64_t{t.state})
            .Field("picture", std::int64_t{t.picture})
            .Field("next", Maybe(t.next))
            .Field("effect", Maybe(t.effect))
            .Field("step", std::int64_t{t.step})
            .Field("interval", std::int64_t{t.interval})
            .Raw("drawn", RectJson(t.drawn));
        if (request.memoryReport) watch.Look(run.Fmqv());
        if (request.framesDir && !t.drawn.Empty() && failure.empty()) {
            const std::string name = FrameName(++frames);
            try {
                WritePng(run.Fmqv().Screen().ToBitmap(), *request.framesDir + "/" + name);
                line.Field("frame", name);
            } catch (const std::exception& e) {
                failure = e.what();
            }
        }
        out << line.Text() << "\n";
    };

    run.Open();
    while (failure.empty() && run.RunNext(request.untilMs)) {
    }
    out.flush();
    if (!failure.empty()) {
        err << "qv-render: " << failure << "\n";
        return 1;
    }
    if (run.Ended()) err << "qv-render: the saver window closed at t = " << run.Elapsed() << " ms\n";
    if (request.memoryReport) {
        const std::uint64_t bitmap = BitmapBytes(watch.width, watch.height);
        const std::string report =
            JsonLine()
                .Field("peak_bytes", PeakResidentBytes())
                .Field("before_bytes", rssBefore)
                .Raw("largest_picture", "[" + std::to_string(watch.width) + ", " + std::to_string(watch.height) + "]")
                .Field("bitmap_bytes", static_cast<std::int64_t>(bitmap))
                .Field("bitmaps_counted", std::int64_t{kPictureSizedBitmaps})
                .Field("counted_bytes", static_cast<std::int64_t>(kPictureSizedBitmaps * bitmap))
                .Field("most_bitmaps_at_a_tick", watch.mostAtOnce)
                .Field("budget_bytes", static_cast<std::int64_t>(PictureMemoryBudget()))
                .Text();
        std::ofstream(FsPath(*request.memoryReport)) << report << "\n";
    }
    return 0;
}

int RunEffect(const EffectRequest& request, std::ostream& err) {
    Bitmap picture;
    if (request.picture) {
        try {
            if (LoadJpegFile(*request.picture, picture) != JpegStatus::Decoded) {
                err << "qv-render: cannot read " << *request.picture << " as a JPEG file\n";
                return 1;
            }
        } catch (const std::exception& e) {
            err << "qv-render: " << *request.picture << ": " << e.what() << "\n";
            return 1;
        }
    } else {
        picture = TestCard(request.width, request.height);
    }

    HeadlessRunOptions options;
    options.leaveDataFolderAlone = true;
    options.screenWidth = request.width;
    options.screenHeight = request.height;
    options.seed = request.seed;
    HeadlessRun run(options);
    TFmqv& fm = run.Fmqv();
    fm.FitToScreen();
    fm.Randomize();

    try {
        // The pair as a load leaves it, then the state machine's own preparation of the phase.
        fm.CurrentPicture = picture;
        fm.NextPicture = picture;
        fm.CurrentFrame = picture;
        fm.NextFrame = picture;
        fm.PicturesLoaded = true;
        fm.SlideState = kLayOutPicture;
        fm.Timer1Timer(fm.Timer1, 1); // lays the picture out; the out-phase is next
        if (!request.out) {
            fm.SlideState = kPauseBegins;
            fm.Timer1Timer(fm.Timer1, 1); // erases it; the in-phase is next
        }
        fm.EffectNo = static_cast<EffectNumber>(request.effect);
        const int phase = fm.SlideState;
        // Steps past the end of the phase (Normal has only one) change nothing.
        for (int k = 1; k <= request.step && fm.SlideState == phase; ++k)
            fm.StepTransition();

        // The picture's area of the window is what the steps presented there.
        const Point at = fm.PlacePicture(picture);
        Bitmap image(picture.Width(), picture.Height());
        image.FillAll(clBlack);
        image.DrawOpaque(-at.x, -at.y, fm.Screen().ToBitmap());
        WritePng(image, request.outFile);
    } catch (const std::exception& e) {
        err << "qv-render: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

} // namespace vis::render
