#pragma once
// The file-system calls the installer and its file utilities make, one step each (full path, attributes,
// open/read/write/close, delete, move, directory lookup with the short alternate name), so that their
// Windows path logic runs over a fake directory in tests and over the real one in each shell.
#include "qv/Paths.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vis {

// Attribute bits as the Windows directory reports them; other systems map what they have onto them.
constexpr std::uint32_t kFaReadOnly = 1;
constexpr std::uint32_t kFaHidden = 2;
constexpr std::uint32_t kFaSystem = 4;
constexpr std::uint32_t kFaVolumeId = 8;
constexpr std::uint32_t kFaDirectory = 16;
constexpr std::uint32_t kFaArchive = 32;
// What the attribute query returns for a path that names nothing (INVALID_FILE_ATTRIBUTES).
constexpr std::uint32_t kFaInvalid = 0xFFFFFFFF;

// One directory entry as a lookup finds it.
struct DirectoryEntry {
    std::string longName;
    // The short (8.3) alternate name; empty when the long name already fits, and always empty where the
    // file system has no such names.
    std::string shortName;
    std::uint32_t attributes = 0;
};

// An open file. Closing happens at the latest when the object goes.
class OpenFile {
  public:
    virtual ~OpenFile() = default;
    // Reads up to size bytes; fewer only at the end of the file. -1 when the read failed.
    virtual std::int64_t Read(void* buffer, std::size_t size) = 0;
    // Writes all size bytes; false when not all of them reached the file.
    virtual bool Write(const void* data, std::size_t size) = 0;
    // False when the system reported a failure while closing (written data may be lost).
    virtual bool Close() = 0;
};

class InstallerFiles {
  public:
    virtual ~InstallerFiles() = default;
    // The separator style of the paths this file system takes.
    virtual PathStyle Style() const = 0;
    // The path made absolute against the current folder, without resolving links.
    virtual std::string FullPath(const std::string& path) = 0;
    // The entry's attribute bits, kFaInvalid when the path names nothing.
    virtual std::uint32_t Attributes(const std::string& path) = 0;
    // Opens an existing file for reading; others may read it meanwhile but not write it. Null on failure.
    virtual std::unique_ptr<OpenFile> OpenForReading(const std::string& path) = 0;
    // Creates path, or truncates an existing file, to receive a copy of source: normal attributes, no
    // sharing. Where a program must be marked runnable, the copy takes that mark from source. Null on failure,
    // also when path is the very file source reads.
    virtual std::unique_ptr<OpenFile> CreateCopyTarget(const std::string& path, const OpenFile& source) = 0;
    virtual bool Delete(const std::string& path) = 0;
    // Renames or moves a file; false on failure.
    virtual bool Move(const std::string& from, const std::string& to) = 0;
    // The entries a directory lookup of the path (no wildcard) finds, in the order the system gives them;
    // empty when there is none.
    virtual std::vector<DirectoryEntry> Find(const std::string& path) = 0;
    // Case-insensitive equality of two names in the user's own language settings.
    virtual bool SameNameIgnoringCase(const std::string& a, const std::string& b) = 0;
};

} // namespace vis
