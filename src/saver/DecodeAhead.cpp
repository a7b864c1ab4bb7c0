#include "saver/DecodeAhead.h"

#include "gfx/Jpeg.h"
#include "gfx/Tone.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#elif defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace vis {

namespace {
void LowerThisThreadsPriority() {
#ifdef _WIN32
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#elif defined(__linux__)
    // Linux gives each thread its own nice value.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
#endif
}
} // namespace

void ApplyTone(Bitmap& picture, PictureTone tone) {
    if (tone == PictureTone::Grey) ToneGrey(picture);
    if (tone == PictureTone::Sepia) ToneSepia(picture);
}

DecodeAhead::DecodeAhead() : worker_([this] { Run(); }) {}

DecodeAhead::~DecodeAhead() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        cancel_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void DecodeAhead::Want(const std::vector<PictureWish>& wishes) {
    {
        std::lock_guard lock(mutex_);
        for (auto it = jobs_.begin(); it != jobs_.end();) {
            if (std::find(wishes.begin(), wishes.end(), it->wish) != wishes.end() || it->dropped) {
                ++it;
            } else if (it->state == Job::Running) {
                it->dropped = true; // the worker lets it go when it stops
                cancel_ = true;
                ++it;
            } else {
                KeepSpareLocked(std::move(it->picture));
                KeepSpareLocked(std::move(it->frame));
                it = jobs_.erase(it);
            }
        }
        for (const PictureWish& wish : wishes)
            if (std::none_of(jobs_.begin(), jobs_.end(), [&](const Job& j) { return j.wish == wish && !j.dropped; }))
                jobs_.emplace_back().wish = wish;
    }
    changed_.notify_all();
}

DecodeAhead::Taken DecodeAhead::Take(const std::string& path, PictureTone tone, Bitmap& picture, Bitmap* frame) {
    Job job;
    {
        std::unique_lock lock(mutex_);
        const auto match = [&](const Job& j) { return !j.dropped && j.wish.path == path && j.wish.tone == tone; };
        auto it = std::find_if(jobs_.begin(), jobs_.end(), match);
        if (it == jobs_.end()) return {};
        // Not begun: the caller decodes it now rather than wait for the worker to come to it.
        if (it->state == Job::Queued) {
            jobs_.erase(it);
            return {};
        }
        changed_.wait(lock, [&] { return it->state != Job::Running; });
        job = std::move(*it);
        jobs_.erase(it);
    }
    Taken taken;
    if (job.state == Job::Done && StampOf(path) == job.stamp) {
        picture.SwapPixels(job.picture);
        taken.picture = true;
        taken.stamp = job.stamp;
        if (frame && job.wish.withFrame) {
            frame->SwapPixels(job.frame);
            taken.frame = true;
        }
    }
    std::lock_guard lock(mutex_);
    KeepSpareLocked(std::move(job.picture));
    KeepSpareLocked(std::move(job.frame));
    return taken;
}

void DecodeAhead::Recycle(Bitmap& b) {
    std::lock_guard lock(mutex_);
    KeepSpareLocked(std::move(b));
}

Bitmap DecodeAhead::SpareLocked() {
    if (spare_.empty()) return {};
    Bitmap b;
    b.SwapPixels(spare_.back());
    spare_.pop_back();
    return b;
}

void DecodeAhead::KeepSpareLocked(Bitmap&& b) {
    if (b.Width() == 0 || b.Height() == 0) return;
    if (spare_.size() < 2) {
        spare_.emplace_back();
        spare_.back().SwapPixels(b);
    }
    b.Release();
}

void DecodeAhead::WaitIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] {
        return std::none_of(jobs_.begin(), jobs_.end(),
                            [](const Job& j) { return j.state == Job::Queued || j.state == Job::Running; });
    });
}

void DecodeAhead::Run() {
    // Decoding ahead must not take the processor from the show or the display server: it has until the load.
    LowerThisThreadsPriority();
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto queued = [&] {
            return std::find_if(jobs_.begin(), jobs_.end(), [](const Job& j) { return j.state == Job::Queued; });
        };
        changed_.wait(lock, [&] { return stop_ || queued() != jobs_.end(); });
        if (stop_) return;
        const auto it = queued();
        it->state = Job::Running;
        cancel_ = false;
        Bitmap picture = SpareLocked(), frame = it->wish.withFrame ? SpareLocked() : Bitmap{};
        lock.unlock();
        // The list keeps the job in place: only this thread erases a running job, and nothing else changes
        // its wish.
        const Job::State result = Decode(*it, picture, frame);
        lock.lock();
        it->state = result;
        if (it->dropped) {
            KeepSpareLocked(std::move(picture));
            KeepSpareLocked(std::move(frame));
            jobs_.erase(it);
        } else {
            it->picture.SwapPixels(picture);
            it->frame.SwapPixels(frame);
            KeepSpareLocked(std::move(picture));
            KeepSpareLocked(std::move(frame));
        }
        changed_.notify_all();
    }
}

DecodeAhead::Job::State DecodeAhead::Decode(Job& job, Bitmap& picture, Bitmap& frame) {
    // The stamp is taken before the file is read, so that a change during the read shows as a changed stamp.
    Job::State result = Job::Failed;
    if (const auto stamp = StampOf(job.wish.path)) {
        try {
            if (LoadJpegFile(job.wish.path, picture, JpegDecodeOptions{true, &cancel_, 2}) == JpegStatus::Decoded) {
                ApplyTone(picture, job.wish.tone);
                if (job.wish.withFrame) {
                    frame.Reshape(picture.Width(), picture.Height());
                    frame.DrawOpaque(0, 0, picture);
                }
                job.stamp = *stamp;
                result = Job::Done;
            }
        } catch (...) {
            // The load decodes the file again and reports the error itself.
        }
    }
    return result;
}

} // namespace vis
