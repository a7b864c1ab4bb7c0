#pragma once
#include "gfx/Geometry.h"

#include <cstdint>

namespace vis {

// The saver's full-screen window as the core sees it. Its content is the core's screen bitmap; the shell
// shows the area each tick reports as drawn (SaverSession::Tick) and repaints from the same bitmap.
class SaverWindow {
  public:
    virtual ~SaverWindow() = default;
    virtual std::int32_t ScreenWidth() const = 0;
    virtual std::int32_t ScreenHeight() const = 0;
    virtual void SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) = 0;
    virtual void ShowCursor(bool show) = 0;
    virtual void StayOnTop() = 0;
    // Switches the input method off where the system has one for double-byte text.
    virtual void DisableIme() = 0;
    // The window has closed (its close handler ran): end the message loop.
    virtual void EndLoop() = 0;
    // Memory for the screen bitmap's width × height 32-bit pixels that the window system can show without a
    // copy (shared with the display server), valid while the window lives, all zero (black: the top byte is
    // not shown); null: the bitmap keeps its own.
    virtual std::uint32_t* ScreenStorage(std::int32_t width, std::int32_t height) { return nullptr; }
};

} // namespace vis
