// The program entry on Linux.
#include "platform/posix/FlockGuard.h"
#include "platform/posix/ProgramPath.h"
#include "qv/Files.h"
#include "qv/Startup.h"

#include <cstdio>

int main(int argc, char** argv) {
    using namespace vis;
    const std::string programPath = ProgramPathFromArgv0(argc > 0 ? argv[0] : "qv");
    const std::string firstArg = argc > 1 ? argv[1] : "";
    static FlockGuard guard;
    const StartDecision d = DecideStart(programPath, firstArg, PathStyle::Posix, guard, FileExists);
    if (d.outcome != StartOutcome::RunWindow) return ExitStatusFor(d.outcome);
    const char* role = d.role == Role::Saver ? "saver" : d.role == Role::Settings ? "settings" : "installer";
    std::printf("%s: %s role, data folder %s\n", d.title.c_str(), role, d.dataFolder.c_str());
    return 0;
}
