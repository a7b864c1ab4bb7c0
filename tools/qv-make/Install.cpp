#include "Install.h"

#include "MakeError.h"
#include "install/FmxUtils.h"
#include "install/UnInst.h"
#include "platform/Shell.h"
#include "platform/posix/PosixInstallerFiles.h"
#include "platform/posix/XscreensaverConfig.h"
#include "qv/Errors.h"

namespace vis::make {

namespace {

// There is no window to close and no readme to open: qv-make writes none into the folder.
class NoShell : public Shell {
  public:
    std::intptr_t Open(const std::string&, const std::string&, const std::string&, int) override { return 0; }
};

} // namespace

InstallReport InstallSaver(const std::string& dataFolder, const std::string& program, const std::string& configPath) {
    PosixInstallerFiles files;
    // The saver is recorded by the path the installer derives from its own, which must be a full one.
    const std::string installer = files.FullPath(dataFolder) + "/install.exe";
    InstallReport report;
    report.configPath = configPath.empty() ? XscreensaverConfigPath() : configPath;
    // The X server's own saver is the shell's to switch; a command-line tool leaves it as it is.
    XscreensaverSettings settings(report.configPath, kXscreensaverDefaultsFile, nullptr);
    NoShell shell;
    try {
        DuplicateFile(files, program, installer);
        TFmInst form(installer, files, settings, shell, nullptr, report.configPath);
        form.FormCreate();
        report.saverPath = form.SaverPath();
    } catch (const Exception& e) {
        files.Delete(installer);
        throw MakeError(std::string("cannot install the saver: ") + e.what());
    }
    files.Delete(installer);
    return report;
}

} // namespace vis::make
