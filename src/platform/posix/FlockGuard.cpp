#include "platform/posix/FlockGuard.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vis {

std::string FlockGuard::DefaultLockFile() {
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir) return std::string(dir) + "/vistrelle-QOR.lock";
    return "/tmp/vistrelle-QOR-" + std::to_string(::getuid()) + ".lock";
}

FlockGuard::FlockGuard(std::string lockFile) : path_(lockFile.empty() ? DefaultLockFile() : std::move(lockFile)) {}

FlockGuard::~FlockGuard() {
    if (fd_ >= 0) ::close(fd_);
}

bool FlockGuard::TryAcquire() {
    if (fd_ >= 0) return true;
    int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return true; // no lock file possible (read-only /tmp): run rather than refuse forever
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

} // namespace vis
