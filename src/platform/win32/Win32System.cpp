#include "platform/win32/Win32System.h"

#include "platform/win32/Win32Text.h"

#include <mmsystem.h>
#include <shellapi.h>

namespace vis {

std::uint32_t Win32Clock::NowMs() {
    return timeGetTime();
}

bool MutexGuard::TryAcquire() {
    if (mutex_) return true;
    HANDLE h = CreateMutexW(nullptr, FALSE, L"QOR");
    // Read at once: nothing may run between the creation and its error code.
    const DWORD error = GetLastError();
    if (!h) return false; // e.g. access denied: the name is held by a process we may not open
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return false;
    }
    mutex_ = h;
    return true;
}

void Win32SystemSettings::SetScreenSaverActive(bool active) {
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, nullptr, SPIF_UPDATEINIFILE);
}

bool Win32SystemSettings::RecordActiveSaver(const std::string& path) {
    return WritePrivateProfileStringW(L"boot", L"SCRNSAVE.EXE", Widen(path).c_str(), L"System.ini") != 0;
}

std::intptr_t Win32Shell::Open(const std::string& file, const std::string& parameters, const std::string& folder,
                               int showCommand) {
    const std::wstring f = Widen(file), p = Widen(parameters), d = Widen(folder);
    HINSTANCE result = ShellExecuteW(owner_, nullptr, f.c_str(), p.empty() ? nullptr : p.c_str(),
                                     d.empty() ? nullptr : d.c_str(), showCommand);
    return reinterpret_cast<std::intptr_t>(result);
}

} // namespace vis
