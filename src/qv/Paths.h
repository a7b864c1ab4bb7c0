#pragma once
// Path rules as string functions, so the Windows rules can be checked anywhere.
#include <string>
#include <string_view>

namespace vis {

enum class PathStyle { Windows, Posix };

// The style of the platform this program was built for.
PathStyle NativePathStyle();

// True for a character that separates path components in the style ("\" and ":" on Windows, "/" on POSIX).
bool IsSeparator(char c, PathStyle style);

// The folder that holds the path's last component: up to the last separator, without it unless it is the
// first character or follows ":" or another separator (so "C:\" and "/" keep theirs).
std::string ContainingFolder(std::string_view path, PathStyle style);

// The text after the last separator.
std::string FileNamePart(std::string_view path, PathStyle style);

// The text from the last "." after the last separator to the end; empty when there is none.
std::string ExtensionPart(std::string_view path, PathStyle style);

// The saver's data folder: folder + "\velloran\" + file name, the last four characters removed.
std::string DataFolderPath(std::string_view programPath, PathStyle style);

// folder + separator + name, as the program's literals do it ("\qor_inf"): no separator is folded.
std::string JoinPath(std::string_view folder, std::string_view name, PathStyle style);

// Upper-cases ASCII letters; the only letters that matter for the ".EXE" test.
std::string UpperCase(std::string_view s);

} // namespace vis
