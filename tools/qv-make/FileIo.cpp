#include "FileIo.h"

#include "MakeError.h"
#include "qv/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace vis::make {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File Open(const std::string& path, const char* mode) {
#ifdef _WIN32
    const std::wstring wmode(mode, mode + std::strlen(mode));
    return File(_wfopen(FsPath(path).c_str(), wmode.c_str()));
#else
    return File(std::fopen(path.c_str(), mode));
#endif
}

} // namespace

std::string ReadInputFile(const std::string& path, std::uintmax_t maxBytes) {
    std::error_code ec;
    const auto status = std::filesystem::status(FsPath(path), ec);
    if (ec || !std::filesystem::exists(status)) throw MakeError("cannot read " + path + ": no such file");
    if (std::filesystem::is_directory(status)) throw MakeError("cannot read " + path + ": it is a folder");
    if (!std::filesystem::is_regular_file(status)) throw MakeError("cannot read " + path + ": not a regular file");
    const std::uintmax_t size = std::filesystem::file_size(FsPath(path), ec);
    if (!ec && size > maxBytes)
        throw MakeError("cannot read " + path + ": larger than " + std::to_string(maxBytes >> 20) + " MiB");
    // The one reader of the project: a regular file in one read of its size, within the bound.
    errno = 0;
    auto bytes = ReadFileBounded(path, maxBytes);
    if (!bytes) throw MakeError("cannot read " + path + ": " + (errno ? std::strerror(errno) : "read error"));
    return std::move(*bytes);
}

void WriteOutputFile(const std::string& path, const std::string& bytes) {
    errno = 0;
    File f = Open(path, "wb");
    if (!f) throw MakeError("cannot write " + path + ": " + std::strerror(errno));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
    const int err = errno;
    if (!written || std::fclose(f.release()) != 0)
        throw MakeError("cannot write " + path + ": " + std::strerror(errno ? errno : err));
}

} // namespace vis::make
