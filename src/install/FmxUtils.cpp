#include "install/FmxUtils.h"

#include "qv/Errors.h"
#include "qv/Paths.h"

#include <vector>

namespace vis {

void DuplicateFile(InstallerFiles& files, const std::string& source, const std::string& destination) {
    const PathStyle style = files.Style();
    std::string target = files.FullPath(destination);
    if (HasAttributes(files, target, kFaDirectory)) target = JoinPath(target, FileNamePart(source, style), style);

    std::vector<char> buffer(kCopyBufferSize);
    std::unique_ptr<OpenFile> in = files.OpenForReading(source);
    if (!in) throw EFOpenError(FormatMessage("ﾌｧｲﾙ %s は開けません", source));
    std::unique_ptr<OpenFile> out = files.CreateCopyTarget(target, *in);
    if (!out) {
        in->Close();
        throw EFCreateError(FormatMessage("ﾌｧｲﾙ %s を作成できません", target));
    }

    // A short read marks the end of the file; a file of an exact multiple of the buffer ends with one empty read.
    bool complete = true;
    for (;;) {
        const std::int64_t got = in->Read(buffer.data(), buffer.size());
        if (got < 0) {
            complete = false;
            break;
        }
        if (got > 0 && !out->Write(buffer.data(), static_cast<std::size_t>(got))) {
            complete = false;
            break;
        }
        if (static_cast<std::size_t>(got) < buffer.size()) break;
    }
    if (!out->Close()) complete = false;
    in->Close();
    if (!complete) {
        // The caller installs whatever this produced as the active screen saver: never leave half a program.
        files.Delete(target);
        throw EFCreateError(FormatMessage("ﾌｧｲﾙ %s を作成できません", target));
    }
}

bool HasAttributes(InstallerFiles& files, const std::string& path, std::uint32_t bits) {
    const std::uint32_t attributes = files.Attributes(path);
    // The "nothing there" value has every bit set; it must not pass for a folder.
    if (attributes == kFaInvalid) return false;
    return (attributes & bits) == bits;
}

std::intptr_t ShellOpenFile(Shell& shell, const std::string& file, const std::string& parameters,
                            const std::string& folder, int showCommand) {
    return shell.Open(file, parameters, folder, showCommand);
}

std::string WithTrailingBackslash(const std::string& path, PathStyle style) {
    const char separator = style == PathStyle::Windows ? '\\' : '/';
    if (!path.empty() && path.back() == separator) return path;
    return path + separator;
}

} // namespace vis
