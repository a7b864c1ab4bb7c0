#pragma once
// Helpers shared by the unit tests: temporary folders and small files.
#include "gfx/Bitmap.h"

#include <filesystem>
#include <string>

namespace vis::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

// djpeg (libjpeg-turbo-progs) is installed.
bool HaveDjpeg();
// The JPEG file as djpeg decodes it, as a 24-bit bitmap; empty (0 x 0) when djpeg refuses the file.
Bitmap DjpegDecode(const std::string& jpegFile);

} // namespace vis::test
