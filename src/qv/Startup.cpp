#include "qv/Startup.h"

#include "platform/InstanceGuard.h"
#include "qv/DataFiles.h"

namespace vis {

Role RoleFor(const std::string& programPath, const std::string& firstArg, PathStyle style, bool& preview) {
    preview = false;
    if (UpperCase(ExtensionPart(programPath, style)) == ".EXE") return Role::Installer;
    const std::string head = firstArg.substr(0, 2);
    if (firstArg.empty() || head == "/c" || head == "-c") return Role::Settings;
    if (firstArg == "/p" || firstArg == "-p") preview = true;
    return Role::Saver;
}

StartDecision DecideStart(const std::string& programPath, const std::string& firstArg, PathStyle style,
                          InstanceGuard& guard, const std::function<bool(const std::string&)>& fileExists) {
    StartDecision d;
    if (firstArg == "/a") {
        d.outcome = StartOutcome::EndAtOnce;
        return d;
    }
    if (!guard.TryAcquire()) {
        d.outcome = StartOutcome::AnotherInstance;
        return d;
    }
    bool preview = false;
    d.role = RoleFor(programPath, firstArg, style, preview);
    if (preview) {
        d.outcome = StartOutcome::Preview;
        return d;
    }
    if (d.role == Role::Installer) {
        d.title = "Installer for QV";
        d.outcome = StartOutcome::RunWindow;
        return d;
    }
    d.dataFolder = DataFolderPath(programPath, style);
    auto missing = [&](const std::string& name) {
        if (fileExists(JoinPath(d.dataFolder, name, style))) return false;
        d.outcome = StartOutcome::MissingDataFile;
        d.missingFile = name;
        return true;
    };
    if (d.role == Role::Settings) {
        for (const std::string& name : {std::string(datafile::kSettings), datafile::Picture(0), datafile::Picture(1)})
            if (missing(name)) return d;
        // A preview left as qor_effect1.bmp by a run that died while loading it still counts: the dialog
        // moves it back.
        if (!fileExists(JoinPath(d.dataFolder, datafile::kPreview, style)) &&
            !fileExists(JoinPath(d.dataFolder, datafile::kPreviewAsBmp, style))) {
            d.outcome = StartOutcome::MissingDataFile;
            d.missingFile = datafile::kPreview;
            return d;
        }
    } else {
        for (const std::string& name : {std::string(datafile::kSettings), datafile::Picture(0), datafile::Picture(1)})
            if (missing(name)) return d;
        if (fileExists(JoinPath(d.dataFolder, datafile::kTitle, style)) && missing(datafile::Picture(2))) return d;
    }
    d.title = "Vistrelle";
    d.outcome = StartOutcome::RunWindow;
    return d;
}

int ExitStatusFor(StartOutcome outcome) {
    switch (outcome) {
    case StartOutcome::RunWindow:
    case StartOutcome::EndAtOnce:
    case StartOutcome::Preview:
        return 0;
    case StartOutcome::AnotherInstance:
        return 3;
    case StartOutcome::MissingDataFile:
        return 4;
    }
    return 0;
}

} // namespace vis
