#pragma once
// UnInst: the installer window TFmInst and the short-path routines it records the saver with.
//
// The installer lies in the data folder of the saver it installs, R\velloran\N\install.exe. It copies itself
// to R\N.SCR, whose data folder is again R\velloran\N, records that copy as the active screen saver, and when
// its window closes switches the screen saver on and opens the readme.txt beside it.
#include "platform/InstallerFiles.h"
#include "platform/Shell.h"
#include "platform/SystemSettings.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vis {

// Attribute masks of the short-name lookups: a folder's entry (folder + system + hidden), a file's (any).
constexpr std::uint32_t kFolderLookupMask = 22;
constexpr std::uint32_t kFileLookupMask = 63;

// The name to use for the path's last component: its generated short alias when it has one, else the name as
// written in the path; empty when the entry does not exist.
std::string ShortEntryName(InstallerFiles& files, const std::string& path, std::uint32_t attributeMask);
// The folder path with each component in short form. A drive root (three characters) stands as it is; so does
// whatever is left once going up a level no longer shortens the path (a network share's "\\", a relative
// path's first name, "/").
std::string ShortFolderPath(InstallerFiles& files, const std::string& folder);
// The file path with each component in short form.
std::string ShortFilePath(InstallerFiles& files, const std::string& path);

// The window as it is laid out, for the shells (pixels, client coordinates).
struct InstallerLayout {
    static constexpr const char* caption = "Install Screen Saver";
    static constexpr int clientWidth = 201, clientHeight = 58;
    static constexpr const char* formFont = "ＭＳ Ｐゴシック";
    static constexpr int formFontPixels = 12;
    static constexpr const char* label1Text = "Screen Saver Installed.";
    static constexpr int label1Left = 6, label1Top = 8, label1Width = 187, label1Height = 18;
    static constexpr const char* label1Font = "Century";
    static constexpr int label1FontPixels = 15; // bold italic
    static constexpr const char* button1Caption = "OK";
    static constexpr int button1Left = 72, button1Top = 34, button1Width = 59, button1Height = 20;
    static constexpr const char* button1Font = "Century";
    static constexpr int button1FontPixels = 12;
};

constexpr const char* kInstallerTitle = "Installer for QV";

class TFmInst {
  public:
    // programPath: the installer's own full path. closeWindow: asks the shell to close the window, which then
    // calls FormClose. activeSaverStore: the name the write failure reports ("System.ini" on Windows).
    TFmInst(std::string programPath, InstallerFiles& files, SystemSettings& settings, Shell& shell,
            std::function<void()> closeWindow, std::string activeSaverStore = "System.ini");

    // The installation; an error stops it at its step and reaches the shell's error box.
    void FormCreate();
    void Button1Click();
    // Runs however the window closes: screen saver on, readme opened.
    void FormClose();

    // Where the saver goes (R + separator + N.SCR), known after FormCreate's third step.
    const std::string& SaverPath() const { return saverPath_; }

  private:
    std::string programPath_;
    InstallerFiles& files_;
    SystemSettings& settings_;
    Shell& shell_;
    std::function<void()> closeWindow_;
    std::string activeSaverStore_;
    std::string saverPath_;
};

} // namespace vis
