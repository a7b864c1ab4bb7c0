#pragma once
// The installer's file calls on Windows, through the wide functions (paths stay UTF-8 in the core).
#include "platform/InstallerFiles.h"

namespace vis {

class Win32InstallerFiles : public InstallerFiles {
  public:
    PathStyle Style() const override { return PathStyle::Windows; }
    // GetFullPathNameW.
    std::string FullPath(const std::string& path) override;
    // GetFileAttributesW; INVALID_FILE_ATTRIBUTES is kFaInvalid.
    std::uint32_t Attributes(const std::string& path) override;
    // CreateFileW: GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL.
    std::unique_ptr<OpenFile> OpenForReading(const std::string& path) override;
    // CreateFileW: GENERIC_READ | GENERIC_WRITE, no sharing, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL. The source's
    // share mode refuses writers, so the source itself cannot be opened as its own copy.
    std::unique_ptr<OpenFile> CreateCopyTarget(const std::string& path, const OpenFile& source) override;
    bool Delete(const std::string& path) override;
    // MoveFileW: an existing target is not replaced.
    bool Move(const std::string& from, const std::string& to) override;
    // FindFirstFileW / FindNextFileW: long name, cAlternateFileName and attributes of each entry.
    std::vector<DirectoryEntry> Find(const std::string& path) override;
    // CompareStringW in the user's default locale, ignoring case.
    bool SameNameIgnoringCase(const std::string& a, const std::string& b) override;
};

} // namespace vis
