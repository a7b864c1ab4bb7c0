#pragma once
// File operations on UTF-8 paths, with the outcomes the data folder relies on.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vis {

// A UTF-8 path as the file system wants it (wide on Windows).
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& p);

// True when the path names an existing directory entry that is not a folder.
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

// Marker on: create empty, or truncate an existing file. Raises EFCreateError when that fails.
void CreateEmptyFile(const std::string& path);
// Marker off: delete when present; failures are ignored.
void DeleteIfExists(const std::string& path);
// Rename or move; false when it failed (callers that ignore the result may).
bool RenameFile(const std::string& from, const std::string& to);
// Creates the folder and any missing parents; false when it could not.
bool ForceDirectories(const std::string& path);

// What tells one version of a file from the next: its size and its modification time (nanoseconds, or the
// file system's own unit), as stat reports them.
struct FileStamp {
    std::uintmax_t size = 0;
    std::int64_t modified = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
// The stamp of a regular file; nullopt when there is none (missing, a folder, unreadable attributes).
std::optional<FileStamp> StampOf(const std::string& path);

// Reads a whole file of at most maxBytes; nullopt when it cannot be opened or read or is larger.
std::optional<std::string> ReadFileBounded(const std::string& path, std::uintmax_t maxBytes);

// Writes bytes through a temporary file in the same folder renamed over the target, so a failed write
// leaves the old file as it was; the replacement keeps the old file's mode and, where the process may set
// it, its owner. Where the folder refuses the temporary file but the target is writable, the target is
// written in place (a failure there leaves the new bytes up to the failure over the old ones). Raises
// EInOutError on failure.
void WriteFileReplacing(const std::string& path, const std::string& bytes);

// The runtime's input/output error text for an operating-system error code.
std::string InOutErrorText(int code);

} // namespace vis
