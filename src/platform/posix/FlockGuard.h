#pragma once
#include "platform/InstanceGuard.h"

#include <atomic>
#include <string>

namespace vis {

// The guard "QOR" as a flock on a file in the user's runtime folder. Taking it is one system call, and the
// kernel drops the lock when the process ends, however it ends.
//
// The user's own roles (settings dialog, installer, a saver started by the user) take it exclusively. The
// copies of the saver that xscreensaver starts take it shared: one copy per monitor, a preview beside them,
// and a new copy started while the previous one is still going all run side by side, while each of them
// still keeps the user's roles out and is kept out by them.
class FlockGuard : public InstanceGuard {
  public:
    enum class Mode { Exclusive, Shared };
    // lockFile empty: $XDG_RUNTIME_DIR/vistrelle-QOR.lock, or a per-user file in /tmp without it.
    explicit FlockGuard(std::string lockFile = {}, Mode mode = Mode::Exclusive);
    ~FlockGuard() override;
    FlockGuard(const FlockGuard&) = delete;
    FlockGuard& operator=(const FlockGuard&) = delete;
    // Takes the lock without waiting; false when a holder of the other kind (or, exclusive, any) has it.
    bool TryAcquire() override;
    // Takes the lock, waiting as long as it is held against us. Safe to call from another thread while
    // nothing else touches the guard; returns false only if the wait failed.
    bool Wait();
    // Lets go before the process ends: once the role's window has closed, a new start must find the guard
    // free, however long the rest of the shutdown takes.
    void Release();
    bool Held() const { return held_; }
    Mode LockMode() const { return mode_; }
    const std::string& LockFile() const { return path_; }

    static std::string DefaultLockFile();

  private:
    bool Lock(bool wait);

    std::string path_;
    Mode mode_;
    int fd_ = -1;
    std::atomic<bool> held_{false};
};

} // namespace vis
