#include "platform/posix/ProgramPath.h"

#include <climits>
#include <cstdlib>
#include <string_view>
#include <unistd.h>

namespace vis {

static std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf)) return path;
    std::string cwd(buf);
    std::string_view rest(path);
    while (rest.substr(0, 2) == "./")
        rest.remove_prefix(2);
    return cwd == "/" ? "/" + std::string(rest) : cwd + "/" + std::string(rest);
}

std::string ProgramPathFromArgv0(const std::string& argv0) {
    if (argv0.find('/') != std::string::npos) return Absolute(argv0);
    if (const char* pathEnv = std::getenv("PATH")) {
        std::string_view dirs(pathEnv);
        while (!dirs.empty()) {
            auto colon = dirs.find(':');
            std::string dir(dirs.substr(0, colon));
            dirs = colon == std::string_view::npos ? std::string_view{} : dirs.substr(colon + 1);
            std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + argv0;
            if (::access(candidate.c_str(), X_OK) == 0) return Absolute(candidate);
        }
    }
    return Absolute(argv0);
}

} // namespace vis
