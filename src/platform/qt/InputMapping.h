#pragma once
// Qt's keys, buttons and modifiers as the window handlers receive them: virtual-key codes, button numbers
// (left 0, right 1, middle 2) and the shift-state bits (shift 1, alt 2, ctrl 4, left 8, right 16, middle 32).
#include <Qt>

namespace vis {

int VirtualKeyFor(int qtKey);
int MouseButtonFor(Qt::MouseButton button);
int ShiftStateFor(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

} // namespace vis
