#include "platform/posix/PosixInstallerFiles.h"

#include "qv/Paths.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vis {

namespace {

class PosixOpenFile : public OpenFile {
  public:
    explicit PosixOpenFile(int fd) : fd_(fd) {}
    ~PosixOpenFile() override { Close(); }
    PosixOpenFile(const PosixOpenFile&) = delete;
    PosixOpenFile& operator=(const PosixOpenFile&) = delete;

    std::int64_t Read(void* buffer, std::size_t size) override {
        // A regular file gives short reads only at its end, but a signal may cut one short: fill the buffer.
        auto* at = static_cast<char*>(buffer);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd_, at + done, size - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        return static_cast<std::int64_t>(done);
    }

    bool Write(const void* data, std::size_t size) override {
        const auto* at = static_cast<const char*>(data);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd_, at + done, size - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool Close() override {
        if (fd_ < 0) return true;
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

    int Descriptor() const { return fd_; }

  private:
    int fd_;
};

} // namespace

std::string PosixInstallerFiles::FullPath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) return path;
    const std::string base(cwd);
    if (path.empty()) return base;
    return base == "/" ? "/" + path : base + "/" + path;
}

std::uint32_t PosixInstallerFiles::Attributes(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return kFaInvalid;
    std::uint32_t attributes = S_ISDIR(st.st_mode) ? kFaDirectory : kFaArchive;
    if (FileNamePart(path, PathStyle::Posix).starts_with('.')) attributes |= kFaHidden;
    if (::access(path.c_str(), W_OK) != 0) attributes |= kFaReadOnly;
    return attributes;
}

std::unique_ptr<OpenFile> PosixInstallerFiles::OpenForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixOpenFile>(fd);
}

std::unique_ptr<OpenFile> PosixInstallerFiles::CreateCopyTarget(const std::string& path, const OpenFile& source) {
    const auto* from = dynamic_cast<const PosixOpenFile*>(&source);
    struct stat sourceStat {};
    if (!from || ::fstat(from->Descriptor(), &sourceStat) != 0) return nullptr;
    // Read and write for everyone the umask allows, and execute where the source has it.
    const mode_t mode = 0666 | (sourceStat.st_mode & 0111);
    // Not truncated yet: the target may turn out to be the source itself.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, mode);
    if (fd < 0) return nullptr;
    struct stat targetStat {};
    const bool ok = ::fstat(fd, &targetStat) == 0 && S_ISREG(targetStat.st_mode) &&
                    !(targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino) &&
                    ::ftruncate(fd, 0) == 0;
    if (!ok) {
        ::close(fd);
        return nullptr;
    }
    // An existing file keeps its own mode on open; give it the execute bits the copy needs.
    if ((sourceStat.st_mode & 0111) != 0 && (targetStat.st_mode & 0111) != (sourceStat.st_mode & 0111)) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, (targetStat.st_mode & 07777) | (sourceStat.st_mode & 0111 & ~mask));
    }
    return std::make_unique<PosixOpenFile>(fd);
}

bool PosixInstallerFiles::Delete(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool PosixInstallerFiles::Move(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::vector<DirectoryEntry> PosixInstallerFiles::Find(const std::string& path) {
    const std::uint32_t attributes = Attributes(path);
    if (attributes == kFaInvalid) return {};
    return {DirectoryEntry{FileNamePart(path, PathStyle::Posix), std::string(), attributes}};
}

bool PosixInstallerFiles::SameNameIgnoringCase(const std::string& a, const std::string& b) {
    // Letters outside ASCII compare exactly: file names here are bytes, and no alias is ever generated.
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

} // namespace vis
