#include "install/UnInst.h"

#include "install/FmxUtils.h"
#include "qv/DataFiles.h"
#include "qv/Errors.h"
#include "qv/Paths.h"

#include <utility>
#include <vector>

namespace vis {

namespace {

// Entries with one of these attributes are found only when the lookup asks for that attribute.
constexpr std::uint32_t kSpecialAttributes = kFaHidden | kFaSystem | kFaVolumeId | kFaDirectory;

bool EntryExistsAsFile(InstallerFiles& files, const std::string& path) {
    const std::uint32_t attributes = files.Attributes(path);
    return attributes != kFaInvalid && (attributes & kFaDirectory) == 0;
}

} // namespace

std::string ShortEntryName(InstallerFiles& files, const std::string& path, std::uint32_t attributeMask) {
    const std::string name = FileNamePart(path, files.Style());
    for (const DirectoryEntry& entry : files.Find(path)) {
        if ((entry.attributes & kSpecialAttributes & ~attributeMask) != 0) continue;
        const std::string& alias = entry.shortName;
        if (files.SameNameIgnoringCase(alias, name) || alias.find('~') != std::string::npos) return alias;
        return name;
    }
    return {};
}

std::string ShortFolderPath(InstallerFiles& files, const std::string& folder) {
    const PathStyle style = files.Style();
    // Walk up collecting the short names, then build downwards: a deep path costs no deep recursion.
    std::vector<std::string> parts;
    std::string current = folder;
    for (;;) {
        if (style == PathStyle::Windows && current.size() == 3) break;
        std::string parent = ContainingFolder(current, style);
        // A path that no longer shrinks (a share's "\\", "/", a relative path's first name) ends the walk.
        if (parent.empty() || parent.size() >= current.size()) break;
        parts.push_back(ShortEntryName(files, current, kFolderLookupMask));
        current = std::move(parent);
    }
    std::string result = current;
    for (auto part = parts.rbegin(); part != parts.rend(); ++part)
        result = WithTrailingBackslash(result, style) + *part;
    return result;
}

std::string ShortFilePath(InstallerFiles& files, const std::string& path) {
    const PathStyle style = files.Style();
    const std::string folder = ShortFolderPath(files, ContainingFolder(path, style));
    if (FileNamePart(path, style).empty()) return folder;
    const std::string name = ShortEntryName(files, path, kFileLookupMask);
    // A bare relative name has no folder to put in front.
    if (folder.empty()) return name;
    return WithTrailingBackslash(folder, style) + name;
}

TFmInst::TFmInst(std::string programPath, InstallerFiles& files, SystemSettings& settings, Shell& shell,
                 std::function<void()> closeWindow, std::string activeSaverStore)
    : programPath_(std::move(programPath)), files_(files), settings_(settings), shell_(shell),
      closeWindow_(std::move(closeWindow)), activeSaverStore_(std::move(activeSaverStore)) {}

void TFmInst::FormCreate() {
    const PathStyle style = files_.Style();
    const std::string& p = programPath_;
    // The saver is named after the folder the installer lies in, with the extension a saver needs.
    const std::string saverName = FileNamePart(ContainingFolder(p, style) + ".SCR", style);
    const std::string r = ContainingFolder(ContainingFolder(ContainingFolder(p, style), style), style);
    saverPath_ = JoinPath(r, saverName, style);
    const std::string& t = saverPath_;

    const std::string targetFolder = ContainingFolder(t, style);
    DuplicateFile(files_, p, targetFolder);
    // The older saver goes only once its replacement exists: a copy that fails leaves the installed one working.
    if (EntryExistsAsFile(files_, t)) files_.Delete(t);
    // The copy was made under the installer's own name beside T; it becomes T.
    files_.Move(JoinPath(targetFolder, FileNamePart(p, style), style), t);

    const std::string shortPath = ShortFilePath(files_, t);
    if (!settings_.RecordActiveSaver(shortPath))
        throw EIniFileException(FormatMessage("%s に書き込めません", activeSaverStore_));
}

void TFmInst::Button1Click() {
    if (closeWindow_) closeWindow_();
}

void TFmInst::FormClose() {
    settings_.SetScreenSaverActive(true);
    const PathStyle style = files_.Style();
    const std::string folder = ContainingFolder(programPath_, style);
    if (EntryExistsAsFile(files_, JoinPath(folder, datafile::kReadme, style)))
        ShellOpenFile(shell_, datafile::kReadme, "", folder, kSwShow);
}

} // namespace vis
