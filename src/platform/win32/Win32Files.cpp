#include "platform/win32/Win32Files.h"

#include "platform/win32/Win32.h"
#include "platform/win32/Win32Text.h"

namespace vis {

namespace {

class Win32OpenFile : public OpenFile {
  public:
    explicit Win32OpenFile(HANDLE h) : handle_(h) {}
    ~Win32OpenFile() override { Close(); }
    Win32OpenFile(const Win32OpenFile&) = delete;
    Win32OpenFile& operator=(const Win32OpenFile&) = delete;

    std::int64_t Read(void* buffer, std::size_t size) override {
        DWORD got = 0;
        if (!ReadFile(handle_, buffer, static_cast<DWORD>(size), &got, nullptr)) return -1;
        return got;
    }
    bool Write(const void* data, std::size_t size) override {
        DWORD written = 0;
        return WriteFile(handle_, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    }
    bool Close() override {
        if (handle_ == INVALID_HANDLE_VALUE) return true;
        HANDLE h = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(h) != 0;
    }

  private:
    HANDLE handle_;
};

std::unique_ptr<OpenFile> Opened(HANDLE h) {
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32OpenFile>(h);
}

} // namespace

std::string Win32InstallerFiles::FullPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    std::wstring full(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return path;
        if (n < full.size()) {
            full.resize(n);
            return Narrow(full);
        }
        full.assign(n, L'\0');
    }
    return path;
}

std::uint32_t Win32InstallerFiles::Attributes(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str());
}

std::unique_ptr<OpenFile> Win32InstallerFiles::OpenForReading(const std::string& path) {
    return Opened(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::unique_ptr<OpenFile> Win32InstallerFiles::CreateCopyTarget(const std::string& path, const OpenFile&) {
    return Opened(CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Win32InstallerFiles::Delete(const std::string& path) {
    return DeleteFileW(Widen(path).c_str()) != 0;
}

bool Win32InstallerFiles::Move(const std::string& from, const std::string& to) {
    return MoveFileW(Widen(from).c_str(), Widen(to).c_str()) != 0;
}

std::vector<DirectoryEntry> Win32InstallerFiles::Find(const std::string& path) {
    std::vector<DirectoryEntry> entries;
    WIN32_FIND_DATAW data{};
    HANDLE h = FindFirstFileW(Widen(path).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return entries;
    do {
        entries.push_back({Narrow(data.cFileName), Narrow(data.cAlternateFileName), data.dwFileAttributes});
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return entries;
}

bool Win32InstallerFiles::SameNameIgnoringCase(const std::string& a, const std::string& b) {
    const std::wstring wa = Widen(a), wb = Widen(b);
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                          static_cast<int>(wb.size())) == CSTR_EQUAL;
}

} // namespace vis
