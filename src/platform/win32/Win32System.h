#pragma once
// The small system services on Windows: the multimedia clock, the instance guard "QOR", the screen-saver
// settings and the shell's open.
#include "platform/Clock.h"
#include "platform/InstanceGuard.h"
#include "platform/Shell.h"
#include "platform/SystemSettings.h"
#include "platform/win32/Win32.h"

namespace vis {

class Win32Clock : public Clock {
  public:
    std::uint32_t NowMs() override;
};

// The named mutex "QOR", created in one step: if it already existed, another instance holds it. The handle
// stays open until the process ends, whichever way it ends.
class MutexGuard : public InstanceGuard {
  public:
    bool TryAcquire() override;

  private:
    HANDLE mutex_ = nullptr;
};

class Win32SystemSettings : public SystemSettings {
  public:
    void SetScreenSaverActive(bool active) override;
    // System.ini [boot] SCRNSAVE.EXE, where the system looks for the active screen saver.
    bool RecordActiveSaver(const std::string& path) override;
};

class Win32Shell : public Shell {
  public:
    explicit Win32Shell(HWND owner = nullptr) : owner_(owner) {}
    void SetOwner(HWND owner) { owner_ = owner; }
    std::intptr_t Open(const std::string& file, const std::string& parameters, const std::string& folder,
                       int showCommand) override;

  private:
    HWND owner_ = nullptr;
};

} // namespace vis
