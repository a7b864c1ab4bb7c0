#pragma once
// The names of the files in a saver's data folder, and of the folder that holds the data folders. Every
// reader and writer (the saver, the settings dialog, start-up, the installer, qv-make) takes them from here.
#include <cstdint>
#include <string>

namespace vis::datafile {

inline constexpr char kDataRoot[] = "velloran"; // PROGRAMFOLDER/velloran/NAME is the data folder
inline constexpr char kSettings[] = "qor_inf";
inline constexpr char kTitle[] = "qor_title";
inline constexpr char kRandom[] = "qor_random";
inline constexpr char kRandomPosition[] = "qor_randompos";
inline constexpr char kGray[] = "qor_gray";
inline constexpr char kSepia[] = "qor_sepia";
inline constexpr char kMusicOn[] = "qor_bgm";
inline constexpr char kMusic[] = "qor_bgm.mid";
inline constexpr char kLock[] = "qor_lock";
inline constexpr char kPreview[] = "qor_effect1";
inline constexpr char kPreviewAsBmp[] = "qor_effect1.bmp";
inline constexpr char kInstaller[] = "install.exe";
inline constexpr char kReadme[] = "readme.txt";

// Picture n: "qor_" and the number in decimal, no sign, no leading zeros, no extension.
inline std::string Picture(std::int64_t number) {
    return "qor_" + std::to_string(number);
}

} // namespace vis::datafile
