#include "platform/posix/FlockGuard.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vis {

std::string FlockGuard::DefaultLockFile() {
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir) return std::string(dir) + "/vistrelle-QOR.lock";
    return "/tmp/vistrelle-QOR-" + std::to_string(::getuid()) + ".lock";
}

FlockGuard::FlockGuard(std::string lockFile, Mode mode)
    : path_(lockFile.empty() ? DefaultLockFile() : std::move(lockFile)), mode_(mode) {}

FlockGuard::~FlockGuard() {
    if (fd_ >= 0) ::close(fd_);
}

bool FlockGuard::TryAcquire() {
    return Lock(false);
}

bool FlockGuard::Wait() {
    return Lock(true);
}

void FlockGuard::Release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    held_ = false;
}

bool FlockGuard::Lock(bool wait) {
    if (held_) return true;
    if (fd_ < 0) fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        // No lock file possible (read-only /tmp): run rather than refuse forever.
        held_ = true;
        return true;
    }
    const int operation = (mode_ == Mode::Shared ? LOCK_SH : LOCK_EX) | (wait ? 0 : LOCK_NB);
    int result;
    do {
        result = ::flock(fd_, operation);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        held_ = true;
        return true;
    }
    if (!wait) {
        // The file stays closed while not held, so a refused start leaves nothing open.
        ::close(fd_);
        fd_ = -1;
    }
    return false;
}

} // namespace vis
