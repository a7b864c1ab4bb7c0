#include "qv/Files.h"

#include "qv/Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
// windows.h maps FormatMessage to its own A/W functions; ours is the runtime's message formatter.
#undef FormatMessage
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vis {
namespace fs = std::filesystem;

fs::path FsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const fs::path& p) {
    auto u = p.u8string();
    return std::string(u.begin(), u.end());
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    auto st = fs::status(FsPath(path), ec);
    return !ec && fs::exists(st) && !fs::is_directory(st);
}

bool FolderExists(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(FsPath(path), ec);
}

void CreateEmptyFile(const std::string& path) {
    // Only a regular file is truncated in place. A link would truncate whatever it points to, perhaps outside
    // the data folder, and opening a named pipe waits for a reader: such an entry is replaced by the file.
    std::error_code ec;
    const auto st = fs::symlink_status(FsPath(path), ec);
    if (!ec && fs::exists(st) && !fs::is_regular_file(st) && !fs::is_directory(st)) fs::remove(FsPath(path), ec);
    std::ofstream f(FsPath(path), std::ios::binary | std::ios::trunc);
    if (!f) throw EFCreateError(FormatMessage("ﾌｧｲﾙ %s を作成できません", path));
}

void DeleteIfExists(const std::string& path) {
    if (!FileExists(path)) return;
    std::error_code ec;
    fs::remove(FsPath(path), ec);
}

bool RenameFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExW(FsPath(from).c_str(), FsPath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    std::error_code ec;
    fs::rename(FsPath(from), FsPath(to), ec);
    return !ec;
#endif
}

bool ForceDirectories(const std::string& path) {
    std::error_code ec;
    fs::create_directories(FsPath(path), ec);
    return FolderExists(path);
}

namespace {
// The bound plus one byte, the most a read needs to take to see that a file is past the bound.
std::uintmax_t OneMore(std::uintmax_t maxBytes) {
    return maxBytes == UINTMAX_MAX ? maxBytes : maxBytes + 1;
}
} // namespace

std::optional<FileStamp> StampOf(const std::string& path) {
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExW(FsPath(path).c_str(), GetFileExInfoStandard, &a) ||
        (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    return FileStamp{(std::uintmax_t{a.nFileSizeHigh} << 32) | a.nFileSizeLow,
                     static_cast<std::int64_t>((std::uint64_t{a.ftLastWriteTime.dwHighDateTime} << 32) |
                                               a.ftLastWriteTime.dwLowDateTime)};
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return FileStamp{static_cast<std::uintmax_t>(st.st_size),
                     std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
#endif
}

std::optional<std::string> ReadFileBounded(const std::string& path, std::uintmax_t maxBytes) {
#ifdef _WIN32
    // Regular files only: a named pipe or a device would make the read wait or run on for ever.
    std::error_code ec;
    if (!fs::is_regular_file(FsPath(path), ec)) return std::nullopt;
    const std::uintmax_t size = fs::file_size(FsPath(path), ec);
    if (ec || size > maxBytes) return std::nullopt;
    std::ifstream f(FsPath(path), std::ios::binary);
    if (!f) return std::nullopt;
    // One read of the whole file; asking for a byte more tells whether it grew since its size was taken.
    std::string bytes(static_cast<std::size_t>(size) + 1, '\0');
    f.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::size_t got = static_cast<std::size_t>(f.gcount());
    // The file grew after it was measured: read on, within the bound.
    while (f && got == bytes.size() && got <= maxBytes) {
        bytes.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(bytes.size() + 65536, OneMore(maxBytes))));
        f.read(bytes.data() + got, static_cast<std::streamsize>(bytes.size() - got));
        got += static_cast<std::size_t>(f.gcount());
    }
    if (f.bad() || got > maxBytes) return std::nullopt;
    bytes.resize(got);
    return bytes;
#else
    // Non-blocking, so that opening a named pipe does not wait for a writer; only a regular file is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return std::nullopt;
    }
    // One read of the whole file, its size taken from the open file; asking for a byte more tells whether it
    // grew meanwhile. A read cut short (a signal, a file system that hands out less) goes on where it stopped.
    const auto size = static_cast<std::size_t>(st.st_size);
    std::string bytes(size + 1, '\0');
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            // The file grew after it was measured: read on, within the bound.
            if (bytes.size() > maxBytes) break;
            bytes.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(bytes.size() + 65536, OneMore(maxBytes))));
        }
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) got = std::string::npos;
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (got == std::string::npos || got > maxBytes) return std::nullopt;
    bytes.resize(got);
    return bytes;
#endif
}

std::string InOutErrorText(int code) {
    return "I/O エラー " + std::to_string(code);
}

#ifdef _WIN32
namespace {
// Writes over an existing file from its start and cuts it to the new length.
void WriteInPlace(const std::string& path, const std::string& bytes) {
    HANDLE h =
        CreateFileW(FsPath(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw EInOutError(InOutErrorText(static_cast<int>(GetLastError())));
    DWORD written = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && SetEndOfFile(h) && FlushFileBuffers(h);
    const DWORD err = GetLastError();
    CloseHandle(h);
    if (!ok) throw EInOutError(InOutErrorText(static_cast<int>(err ? err : ERROR_WRITE_FAULT)));
}
} // namespace

void WriteFileReplacing(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".new~";
    HANDLE h =
        CreateFileW(FsPath(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        // A folder shared by several users may let them write the file but not create files beside it.
        if (err == ERROR_ACCESS_DENIED && FileExists(path)) return WriteInPlace(path, bytes);
        throw EInOutError(InOutErrorText(static_cast<int>(err)));
    }
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && FlushFileBuffers(h);
    DWORD err = GetLastError();
    CloseHandle(h);
    if (!ok) {
        DeleteFileW(FsPath(temp).c_str());
        throw EInOutError(InOutErrorText(static_cast<int>(err ? err : ERROR_WRITE_FAULT)));
    }
    // Replacing keeps the old file's attributes, owner and access rights; a new file gets the folder's.
    const bool replaced = FileExists(path)
                              ? ReplaceFileW(FsPath(path).c_str(), FsPath(temp).c_str(), nullptr,
                                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                              : MoveFileExW(FsPath(temp).c_str(), FsPath(path).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (!replaced) {
        err = GetLastError();
        DeleteFileW(FsPath(temp).c_str());
        throw EInOutError(InOutErrorText(static_cast<int>(err)));
    }
}
#else
namespace {
// Writes over an existing regular file from its start and cuts it to the new length. Links are not
// followed and other kinds of entry are refused, as for the temporary file.
int WriteInPlace(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0) {
        err = errno;
    } else if (!S_ISREG(st.st_mode)) {
        err = EACCES;
    }
    std::size_t done = 0;
    while (!err && done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            err = errno;
        else
            done += static_cast<std::size_t>(n);
    }
    if (!err && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) err = errno;
    if (!err && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    return err;
}
} // namespace

void WriteFileReplacing(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".new~";
    // The old file's mode and owner go to its replacement, so a save changes neither who may read the file nor
    // whose it is.
    struct stat old {};
    const bool hadFile = ::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    // A fresh file, never one reached through an entry of that name that is already there (a link could
    // lead out of the folder).
    ::unlink(temp.c_str());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, hadFile ? 0600 : 0666);
    if (fd < 0) {
        const int openErr = errno;
        // A folder shared by several users may let them write the file but not create files beside it: the
        // file is then written in place.
        if ((openErr == EACCES || openErr == EPERM || openErr == EROFS) && hadFile) {
            if (const int err = WriteInPlace(path, bytes)) throw EInOutError(InOutErrorText(err));
            return;
        }
        throw EInOutError(InOutErrorText(openErr));
    }
    int err = 0;
    if (hadFile) {
        // The owner where the process may set it (root may; others keep their own); the mode in any case,
        // after the owner, which may clear set-id bits.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
            // Not allowed to hand the file on: it stays the saving user's, with the old mode.
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) err = errno;
    }
    std::size_t done = 0;
    while (!err && done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (!err && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    if (!err && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
    if (err) {
        ::unlink(temp.c_str());
        throw EInOutError(InOutErrorText(err));
    }
}
#endif

} // namespace vis
