#pragma once
// FmxUtils: copying one file in chunks, testing attributes, opening a document with the shell.
#include "platform/InstallerFiles.h"
#include "platform/Shell.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vis {

constexpr std::size_t kCopyBufferSize = 8192;

// Copies source to destination; a destination that is a folder receives the copy under the source's file
// name. Raises EFOpenError ("ﾌｧｲﾙ %s は開けません", the source as passed) when the source cannot be opened,
// and EFCreateError ("ﾌｧｲﾙ %s を作成できません", the destination) when the destination cannot be created,
// or when a read or write fails on the way; the partial copy is removed then, so a truncated program is never
// left behind.
void DuplicateFile(InstallerFiles& files, const std::string& source, const std::string& destination);

// True when every bit asked for is set in the path's attributes; false for a path that names nothing.
bool HasAttributes(InstallerFiles& files, const std::string& path, std::uint32_t bits);

// Opens file with the desktop's default program; texts of any length are passed whole. Returns the shell's
// result value.
std::intptr_t ShellOpenFile(Shell& shell, const std::string& file, const std::string& parameters,
                            const std::string& folder, int showCommand);

// The path itself when it already ends in the style's separator ("\" or "/"), else the path + separator.
std::string WithTrailingBackslash(const std::string& path, PathStyle style);

} // namespace vis
