#pragma once
// The application object on Windows: a hidden owner window that carries the application title (the task
// caption), the error box, the active state that WM_ACTIVATEAPP reports, and the message loop with its
// idle processing.
#include "platform/Application.h"
#include "platform/win32/Win32.h"

#include <functional>
#include <string>

namespace vis {

class Win32Application : public Application {
  public:
    explicit Win32Application(HINSTANCE instance);
    ~Win32Application() override;
    Win32Application(const Win32Application&) = delete;
    Win32Application& operator=(const Win32Application&) = delete;

    void SetTitle(const std::string& title) override;
    std::string Title() const override { return title_; }
    void ShowError(const std::string& message) override;
    bool IsActive() const override { return active_; }

    void SetActive(bool active) { active_ = active; }
    HINSTANCE Instance() const { return instance_; }
    // The hidden window that owns the main window.
    HWND OwnerWindow() const { return owner_; }
    // The role's main window: owner of the error boxes.
    void SetMainWindow(HWND window) { main_ = window; }
    HWND MainWindow() const { return main_; }
    // A dialog-like window whose controls take Tab and arrow keys (the settings dialog); the saver window
    // must see every key itself, so it is never one.
    void SetDialogWindow(HWND window) { dialog_ = window; }
    // Sets the tool-window bit on the owner window, so the program shows no task-bar button.
    void HideFromTaskBar();

    // Idle processing: called whenever the queue is empty; returns how many milliseconds the loop may sleep
    // before calling it again (INFINITE: until the next message).
    using IdleHandler = std::function<DWORD()>;
    // Runs until WM_QUIT; returns its exit code.
    int Run(const IdleHandler& idle);

  private:
    HINSTANCE instance_;
    HWND owner_ = nullptr;
    HWND main_ = nullptr;
    HWND dialog_ = nullptr;
    std::string title_;
    bool active_ = true; // the application counts as active from its start
};

} // namespace vis
