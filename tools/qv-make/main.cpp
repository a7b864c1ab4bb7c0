// qv-make: makes a slideshow saver's data folder from pictures, or the bundled demo saver.
#include "CommandLine.h"
#include "Demo.h"
#include "MakeError.h"
#include "SaverBuilder.h"
#include "qv/Files.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>

namespace {

using namespace vis::make;

std::string SelfPath(const char* argv0) {
    std::error_code ec;
#ifdef __linux__
    // argv[0] may be a bare name found through PATH; the kernel knows the real file.
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return vis::Utf8Path(self);
#endif
    return vis::Utf8Path(std::filesystem::absolute(vis::FsPath(argv0), ec));
}

void PrintReport(const SaverReport& r, const SaverSpec& spec) {
    std::cout << "made " << r.dataFolder << "\n";
    for (std::size_t i = 0; i < r.pictures.size(); ++i) {
        const PreparedPicture& p = r.pictures[i];
        std::cout << "  qor_" << i << "  " << p.size.width << " x " << p.size.height;
        if (!spec.pictures[i].path.empty()) std::cout << "  from " << spec.pictures[i].path;
        if (p.copied)
            std::cout << " (copied unchanged)";
        else if (p.orientation != 1)
            std::cout << " (turned upright)";
        std::cout << "\n";
    }
    if (!r.launcher.empty())
        std::cout << "start it with: " << r.launcher << " /s   (settings: " << r.launcher << " /c)\n";
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        Command cmd = ParseCommandLine(args);
        if (cmd.kind == Command::Kind::Help) {
            std::cout << UsageText();
            return args.empty() ? 2 : 0;
        }
        SaverSpec spec = cmd.spec;
        if (cmd.kind == Command::Kind::Demo) {
            std::string program = spec.program;
            if (program.empty()) program = FindQvProgram(SelfPath(argv[0]));
            if (program.empty())
                throw MakeError(
                    "cannot find the qv program beside this qv-make; build it first or give --program PATH");
            // Refuse before drawing the pictures, which takes a moment.
            spec.name = kDemoName;
            spec.program = program;
            CheckDestination(spec);
            spec = DemoSpec(cmd.spec.dest, program, cmd.spec.force);
        }
        const SaverReport report = MakeSaver(spec);
        if (!cmd.quiet) PrintReport(report, spec);
        return 0;
    } catch (const MakeError& e) {
        std::cerr << "qv-make: " << e.what() << "\n";
    } catch (const std::bad_alloc&) {
        std::cerr << "qv-make: out of memory\n";
    } catch (const std::exception& e) {
        std::cerr << "qv-make: " << e.what() << "\n";
    }
    return 1;
}
