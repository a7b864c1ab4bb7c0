#include "qv/Paths.h"

#include "qv/DataFiles.h"

#include <cctype>

namespace vis {

PathStyle NativePathStyle() {
#ifdef _WIN32
    return PathStyle::Windows;
#else
    return PathStyle::Posix;
#endif
}

bool IsSeparator(char c, PathStyle style) {
    return style == PathStyle::Windows ? (c == '\\' || c == ':') : c == '/';
}

static std::string_view::size_type LastSeparator(std::string_view path, PathStyle style) {
    for (auto i = path.size(); i-- > 0;)
        if (IsSeparator(path[i], style)) return i;
    return std::string_view::npos;
}

std::string ContainingFolder(std::string_view path, PathStyle style) {
    auto at = LastSeparator(path, style);
    if (at == std::string_view::npos) return {};
    const char sep = style == PathStyle::Windows ? '\\' : '/';
    // On Windows IsSeparator covers both ":" and "\" before it.
    const bool dropIt = path[at] == sep && at > 0 && !IsSeparator(path[at - 1], style);
    return std::string(path.substr(0, dropIt ? at : at + 1));
}

std::string FileNamePart(std::string_view path, PathStyle style) {
    auto at = LastSeparator(path, style);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string ExtensionPart(std::string_view path, PathStyle style) {
    auto name = FileNamePart(path, style);
    auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string DataFolderPath(std::string_view programPath, PathStyle style) {
    std::string folder = ContainingFolder(programPath, style);
    const std::string_view sep = style == PathStyle::Windows ? "\\" : "/";
    std::string s = folder;
    s.append(sep).append(datafile::kDataRoot).append(sep);
    s += FileNamePart(programPath, style);
    // Four characters go whatever the extension is; a short name eats into the folder part, as it always did.
    s.resize(s.size() >= 4 ? s.size() - 4 : 0);
    return s;
}

std::string JoinPath(std::string_view folder, std::string_view name, PathStyle style) {
    std::string s(folder);
    s += style == PathStyle::Windows ? '\\' : '/';
    s += name;
    return s;
}

std::string UpperCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

} // namespace vis
