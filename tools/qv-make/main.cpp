// qv-make: makes a slideshow saver's data folder from pictures, or the bundled demo saver.
#include "CommandLine.h"
#include "Demo.h"
#include "MakeError.h"
#include "SaverBuilder.h"
#include "ScreenSize.h"
#include "qv/Files.h"

#ifdef VIS_QVMAKE_INSTALL
#include "Install.h"
#endif

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
        const std::string fitNote = ApplyDefaultFit(cmd, PrimaryScreenSize);
        if (!fitNote.empty() && !cmd.quiet) std::cout << fitNote << "\n";
        SaverSpec spec = cmd.spec;
        std::string program = spec.program;
        if ((cmd.kind == Command::Kind::Demo || cmd.install) && program.empty()) {
            program = FindQvProgram(SelfPath(argv[0]));
            if (program.empty())
                throw MakeError(
                    "cannot find the qv program beside this qv-make; build it first or give --program PATH");
        }
#ifndef VIS_QVMAKE_INSTALL
        if (cmd.install)
            throw MakeError("--install works on Linux; on Windows put the program into the data folder as "
                            "install.exe and run it");
#endif
        // Installing copies the program to NAME.SCR itself; the link of --program would only stand beside it.
        const std::string launcherProgram = cmd.install ? std::string() : program;
        if (cmd.kind == Command::Kind::Demo) {
            // Refuse before drawing the pictures, which takes a moment.
            spec.name = kDemoName;
            spec.program = launcherProgram;
            CheckDestination(spec);
            spec = DemoSpec(cmd.spec.dest, launcherProgram, cmd.spec.force);
        } else {
            spec.program = launcherProgram;
        }
        const SaverReport report = MakeSaver(spec);
        if (!cmd.quiet) PrintReport(report, spec);
#ifdef VIS_QVMAKE_INSTALL
        if (cmd.install) {
            const InstallReport installed = InstallSaver(report.dataFolder, program);
            if (!cmd.quiet)
                std::cout << "installed " << installed.saverPath << " and selected it in " << installed.configPath
                          << "\nstart it with: " << installed.saverPath << " /s   (settings: " << installed.saverPath
                          << " /c)\n";
        }
#endif
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
