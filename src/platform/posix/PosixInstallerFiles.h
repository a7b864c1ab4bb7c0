#pragma once
#include "platform/InstallerFiles.h"

namespace vis {

// The installer's file calls on a POSIX file system. There are no short alternate names (the alias is always
// empty, so the short form of a path is the path); folders report kFaDirectory, files kFaArchive, names
// beginning with "." kFaHidden, and entries this user may not write kFaReadOnly. A copy keeps the source's
// execute bits, so the installed saver can be started.
class PosixInstallerFiles : public InstallerFiles {
  public:
    PathStyle Style() const override { return PathStyle::Posix; }
    std::string FullPath(const std::string& path) override;
    std::uint32_t Attributes(const std::string& path) override;
    std::unique_ptr<OpenFile> OpenForReading(const std::string& path) override;
    std::unique_ptr<OpenFile> CreateCopyTarget(const std::string& path, const OpenFile& source) override;
    bool Delete(const std::string& path) override;
    bool Move(const std::string& from, const std::string& to) override;
    std::vector<DirectoryEntry> Find(const std::string& path) override;
    bool SameNameIgnoringCase(const std::string& a, const std::string& b) override;
};

} // namespace vis
