#include "platform/posix/XscreensaverConfig.h"

#include "qv/Files.h"
#include "qv/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace vis {

namespace {

constexpr std::uintmax_t kMaxConfigBytes = 16u << 20;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& s) {
    std::size_t begin = 0, end = s.size();
    while (begin < end && (IsBlank(s[begin]) || s[begin] == '\r'))
        ++begin;
    while (end > begin && (IsBlank(s[end - 1]) || s[end - 1] == '\r'))
        --end;
    return s.substr(begin, end - begin);
}

bool ContinuesOnNextLine(const std::string& line) {
    std::size_t backslashes = 0;
    for (auto i = line.size(); i-- > 0 && line[i] == '\\';)
        ++backslashes;
    return backslashes % 2 == 1;
}

// One resource: the physical lines it spans and its key ("" for comments and blank lines).
struct Resource {
    std::vector<std::string> lines;
    std::string key;
};

std::vector<Resource> SplitResources(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto nl = text.find('\n', start);
        if (nl == std::string::npos) nl = text.size();
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    std::vector<Resource> resources;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Resource r;
        r.lines.push_back(lines[i]);
        while (ContinuesOnNextLine(r.lines.back()) && i + 1 < lines.size())
            r.lines.push_back(lines[++i]);
        const std::string first = Trim(r.lines.front());
        const auto colon = first.find(':');
        if (!first.empty() && first[0] != '#' && first[0] != '!' && colon != std::string::npos) {
            std::string key = Trim(first.substr(0, colon));
            while (!key.empty() && key[0] == '*')
                key.erase(0, 1);
            r.key = key;
        }
        resources.push_back(std::move(r));
    }
    return resources;
}

// The value of a resource: the text after the key's colon, continuation breaks removed.
std::string ValueOf(const Resource& r) {
    std::string joined;
    for (std::size_t i = 0; i < r.lines.size(); ++i) {
        std::string line = r.lines[i];
        if (i + 1 < r.lines.size()) line.pop_back(); // the continuation backslash
        joined += line;
    }
    return joined.substr(joined.find(':') + 1);
}

std::vector<std::string> SplitPrograms(const std::string& value) {
    std::vector<std::string> entries;
    std::string current;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            if (value[i + 1] == 'n') {
                entries.push_back(current);
                current.clear();
            } else {
                current += value.substr(i, 2); // any other escape stays as the user wrote it
            }
            ++i;
            continue;
        }
        current += value[i];
    }
    entries.push_back(current);
    std::vector<std::string> kept;
    for (auto& e : entries)
        if (auto t = Trim(e); !t.empty()) kept.push_back(std::move(t));
    return kept;
}

bool SafeForShell(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
}

// The path as one word for /bin/sh, without backslashes (the file's own escape character).
std::string ShellWord(const std::string& path) {
    bool safe = !path.empty();
    for (char c : path)
        safe = safe && SafeForShell(c);
    if (safe) return path;
    std::string word = "'";
    for (char c : path)
        word += c == '\'' ? std::string("'\"'\"'") : std::string(1, c);
    return word + "'";
}

bool Writable(const std::string& s) {
    for (unsigned char c : s)
        if (c == '\\' || c < 0x20 || c == 0x7F) return false;
    return true;
}

// The command of an entry: what follows the "-" of a disabled entry, a visual ("GL:") and a "pretty name".
std::string CommandOf(std::string entry) {
    entry = Trim(entry);
    if (!entry.empty() && entry[0] == '-') entry = Trim(entry.substr(1));
    for (int pass = 0; pass < 2; ++pass) {
        if (!entry.empty() && entry[0] == '"') {
            auto close = entry.find('"', 1);
            entry = close == std::string::npos ? std::string() : Trim(entry.substr(close + 1));
            continue;
        }
        std::size_t word = 0;
        while (word < entry.size() && !IsBlank(entry[word]))
            ++word;
        if (word > 1 && entry[word - 1] == ':' && entry.find('/') > word) entry = Trim(entry.substr(word));
    }
    return entry;
}

bool IsEntryFor(const std::string& entry, const std::string& word) {
    const std::string command = CommandOf(entry);
    return command.starts_with(word) && (command.size() == word.size() || IsBlank(command[word.size()]));
}

std::string SaverLabel(const std::string& saverPath) {
    std::string name = FileNamePart(saverPath, PathStyle::Posix);
    if (name.size() >= 4 && UpperCase(name.substr(name.size() - 4)) == ".SCR") name.resize(name.size() - 4);
    std::string label = "Vistrelle ";
    for (char c : name)
        if (c != '"') label += c;
    return label;
}

} // namespace

std::string XscreensaverEntry(const std::string& saverPath) {
    if (!Writable(saverPath)) return {};
    return "\"" + SaverLabel(saverPath) + "\" " + ShellWord(saverPath) + " -root";
}

std::vector<std::string> XscreensaverPrograms(const std::string& fileText) {
    for (const Resource& r : SplitResources(fileText))
        if (r.key == "programs") return SplitPrograms(ValueOf(r));
    return {};
}

std::optional<std::string> WithSaverSelected(const std::string& fileText, const std::string& defaultsText,
                                             const std::string& saverPath) {
    const std::string entry = XscreensaverEntry(saverPath);
    if (entry.empty()) return std::nullopt;
    const std::vector<Resource> resources = SplitResources(fileText);

    bool havePrograms = false, haveMode = false, haveSelected = false;
    std::vector<std::string> programs;
    for (const Resource& r : resources) {
        if (r.key == "programs" && !havePrograms) {
            havePrograms = true;
            programs = SplitPrograms(ValueOf(r));
        }
        haveMode = haveMode || r.key == "mode";
        haveSelected = haveSelected || r.key == "selected";
    }
    if (!havePrograms) programs = XscreensaverPrograms(defaultsText);

    // A reinstall replaces the saver's earlier entry, also a disabled one, at its place.
    const std::string word = ShellWord(saverPath);
    std::size_t index = programs.size();
    for (std::size_t i = 0; i < programs.size(); ++i)
        if (IsEntryFor(programs[i], word)) {
            index = i;
            break;
        }
    if (index == programs.size())
        programs.push_back(entry);
    else
        programs[index] = entry;

    const std::string modeLine = "mode:\t\tone";
    const std::string selectedLine = "selected:\t" + std::to_string(index);
    std::vector<std::string> programLines{"programs:\t\\"};
    for (const auto& e : programs)
        programLines.push_back("\t\t\t\t" + e + " \\n\\");
    programLines.push_back(""); // ends the last continuation

    std::vector<std::string> out;
    if (resources.empty()) {
        out.push_back("# XScreenSaver Preferences File");
        out.push_back("# Started by the Vistrelle installer; xscreensaver supplies every setting not listed here.");
    }
    auto insertMissing = [&] {
        if (!haveMode) out.push_back(modeLine);
        if (!haveSelected) out.push_back(selectedLine);
        haveMode = haveSelected = true;
    };
    bool programsWritten = false;
    for (const Resource& r : resources) {
        if (r.key == "mode") {
            out.push_back(modeLine);
        } else if (r.key == "selected") {
            out.push_back(selectedLine);
        } else if (r.key == "programs") {
            if (programsWritten) continue; // xscreensaver reads the first; a second one would only confuse
            insertMissing();
            out.insert(out.end(), programLines.begin(), programLines.end());
            programsWritten = true;
        } else {
            out.insert(out.end(), r.lines.begin(), r.lines.end());
        }
    }
    if (!programsWritten) {
        insertMissing();
        out.insert(out.end(), programLines.begin(), programLines.end());
    }

    std::string text;
    for (const auto& line : out)
        text += line + "\n";
    return text;
}

bool RecordXscreensaverSaver(const std::string& configPath, const std::string& defaultsPath,
                             const std::string& saverPath) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // Dotfiles are often links into a managed folder: replace the file the link points to, not the link.
    std::string target = configPath;
    if (fs::is_symlink(FsPath(configPath), ec)) {
        auto resolved = fs::weakly_canonical(FsPath(configPath), ec);
        if (ec) return false;
        target = Utf8Path(resolved);
    }

    std::string oldText;
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return false;
        auto bytes = ReadFileBounded(target, kMaxConfigBytes);
        if (!bytes) return false;
        oldText = std::move(*bytes);
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return false;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0644 & ~mask;
    }
    const std::string defaults =
        oldText.empty() ? ReadFileBounded(defaultsPath, kMaxConfigBytes).value_or(std::string()) : std::string();
    const auto newText = WithSaverSelected(oldText, defaults, saverPath);
    if (!newText) return false;

    std::string temp = target + ".vistrelle-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, mode) == 0;
    for (std::size_t done = 0; ok && done < newText->size();) {
        const ssize_t n = ::write(fd, newText->data() + done, newText->size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

std::string XscreensaverConfigPath() {
    std::string home;
    if (const char* env = std::getenv("HOME"); env && *env)
        home = env;
    else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        home = pw->pw_dir;
    return home + "/.xscreensaver";
}

} // namespace vis
