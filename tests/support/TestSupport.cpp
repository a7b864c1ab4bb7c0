#include "support/TestSupport.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace vis::test {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vistrelle-test-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable so they can go.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ec);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool HaveDjpeg() {
    return std::system("djpeg -version >/dev/null 2>&1") == 0;
}

Bitmap DjpegDecode(const std::string& jpegFile) {
    TempDir dir;
    const std::string out = dir.File("out.pnm");
    // djpeg's warnings about damaged data go to its stderr, as ours go nowhere.
    const std::string command = "djpeg -pnm -outfile '" + out + "' '" + jpegFile + "' 2>/dev/null";
    // It exits with 2 when it warned about damaged data, and still writes the picture.
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 2)) return {};
    const std::string pnm = ReadBytes(out);
    // "P6" (colour) or "P5" (grey), width, height, maxval 255, one white-space byte, then the samples.
    std::size_t pos = 2;
    auto number = [&]() {
        while (pos < pnm.size() && std::isspace(static_cast<unsigned char>(pnm[pos])))
            ++pos;
        long v = 0;
        while (pos < pnm.size() && std::isdigit(static_cast<unsigned char>(pnm[pos])))
            v = v * 10 + (pnm[pos++] - '0');
        return v;
    };
    if (pnm.size() < 2 || pnm[0] != 'P' || (pnm[1] != '5' && pnm[1] != '6')) return {};
    const int channels = pnm[1] == '6' ? 3 : 1;
    const long w = number(), h = number(), maxval = number();
    ++pos;
    if (maxval != 255 || pnm.size() < pos + static_cast<std::size_t>(w * h * channels)) return {};
    Bitmap b(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h));
    const auto* p = reinterpret_cast<const unsigned char*>(pnm.data() + pos);
    for (long y = 0; y < h; ++y) {
        std::uint8_t* row = b.Row(static_cast<std::int32_t>(y));
        for (long x = 0; x < w; ++x, p += channels) {
            row[3 * x + 0] = p[channels == 3 ? 2 : 0];
            row[3 * x + 1] = p[channels == 3 ? 1 : 0];
            row[3 * x + 2] = p[0];
        }
    }
    return b;
}

} // namespace vis::test
