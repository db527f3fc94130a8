#pragma once

#include "EditKey.h"

#include <Qt>

#include <optional>

class QKeyEvent;

// Which editing key a key press in the score view is. Window shortcuts have
// taken their combinations before the view sees a key; of the rest, Shift and
// Ctrl do not change a key's meaning, keys with Alt belong to the menus.
namespace EditKeyMapping {

// key: Qt::Key; modifiers: the event's; scanCode: the native scan code (0
// when unknown), which finds the digit row on layouts whose digits need Shift.
std::optional<edit::KeyPress> map(int key, Qt::KeyboardModifiers modifiers, quint32 scanCode = 0);
std::optional<edit::KeyPress> map(const QKeyEvent& event);

} // namespace EditKeyMapping
