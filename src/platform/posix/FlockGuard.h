#pragma once
#include "platform/InstanceGuard.h"

#include <string>

namespace vis {

// The guard "QOR" as an exclusive flock on a file in the user's runtime folder. Taking it is one system call,
// and the kernel drops the lock when the process ends, however it ends.
class FlockGuard : public InstanceGuard {
public:
    // lockFile empty: $XDG_RUNTIME_DIR/vistrelle-QOR.lock, or a per-user file in /tmp without it.
    explicit FlockGuard(std::string lockFile = {});
    ~FlockGuard() override;
    FlockGuard(const FlockGuard&) = delete;
    FlockGuard& operator=(const FlockGuard&) = delete;
    bool TryAcquire() override;
    const std::string& LockFile() const { return path_; }

    static std::string DefaultLockFile();

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace vis
