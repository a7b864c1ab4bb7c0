#pragma once
// Pictures decoded before their load asks for them. A worker thread decodes, tones and copies the pictures
// that the coming load will take while the show waits out its display and pause times, so that the load
// itself only exchanges bitmaps. A decode counts only for the file as it was when the decode began: the load
// compares the file's stamp again and decodes afresh when it changed. Failures are not kept: the load decodes
// such a file itself, so that its error comes where and when it always came. A picture so large that the two
// bitmaps held ahead would break the memory rule (PictureMemory.h) is left to the load as well.
#include "gfx/Bitmap.h"
#include "qv/Files.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vis {

enum class PictureTone { None, Grey, Sepia };
void ApplyTone(Bitmap& picture, PictureTone tone);

// A picture as a load will want it: its file, toned so, and, with withFrame, its working copy as well.
struct PictureWish {
    std::string path;
    PictureTone tone = PictureTone::None;
    bool withFrame = false;
    friend bool operator==(const PictureWish&, const PictureWish&) = default;
};

class DecodeAhead {
  public:
    DecodeAhead();
    // Stops a decode under way and waits for the worker.
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // The pictures to have ready, in this order; decodes that are wished no more are dropped (one under way
    // is stopped).
    void Want(const std::vector<PictureWish>& wishes);

    struct Taken {
        bool picture = false, frame = false;
        std::optional<FileStamp> stamp; // the file's stamp when the picture was taken
    };
    // Moves the finished decode of `path` toned `tone` into picture, and its copy into *frame when one was
    // made and frame is given, provided the file's stamp is the one it had when the decode began. Waits for
    // that decode when it is under way. Nothing is taken when there is none, it failed or the file changed;
    // the caller decodes then. The bitmaps' old pixels are kept as room for later decodes.
    Taken Take(const std::string& path, PictureTone tone, Bitmap& picture, Bitmap* frame);

    // Keeps b's pixels (b is left empty) as room for later decodes.
    void Recycle(Bitmap& b);

    // Waits until every decode wished for has finished. A run on a virtual clock calls it before each tick,
    // as the real display time would let them finish, so that what its loads take ready is repeatable.
    void WaitIdle();

  private:
    struct Job {
        PictureWish wish;
        enum State { Queued, Running, Done, Failed } state = Queued;
        bool dropped = false;
        FileStamp stamp;
        Bitmap picture, frame;
    };
    void Run();
    Job::State Decode(Job& job, Bitmap& picture, Bitmap& frame);
    Bitmap SpareLocked();
    void KeepSpareLocked(Bitmap&& b);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::list<Job> jobs_;
    // Room left by pictures the show no longer holds; at most two bitmaps, so a decode ahead never holds more
    // than two picture-sized bitmaps beyond the show's own.
    std::vector<Bitmap> spare_;
    std::atomic<bool> cancel_{false};
    bool stop_ = false;
    std::thread worker_;
};

} // namespace vis
