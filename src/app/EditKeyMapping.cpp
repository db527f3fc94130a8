#include "EditKeyMapping.h"

#include <QKeyEvent>

namespace EditKeyMapping {

namespace {

// The digit row by position: X keycodes 10 ("1") to 19 ("0"), as the xcb
// and Wayland platforms report them (synthetic events carry 0). On French
// keyboards these keys give "&", "é" ... without Shift and still type digits.
std::optional<int> digitOfScanCode(quint32 scanCode)
{
    if (scanCode < 10 || scanCode > 19)
        return std::nullopt;
    return static_cast<int>((scanCode - 9) % 10);
}

bool isWindowShortcutLetter(int key)
{
    switch (key) {
    case Qt::Key_C:
    case Qt::Key_N:
    case Qt::Key_O:
    case Qt::Key_P:
    case Qt::Key_S:
    case Qt::Key_V:
    case Qt::Key_X:
    case Qt::Key_Z:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<edit::KeyPress> map(int key, Qt::KeyboardModifiers modifiers, quint32 scanCode)
{
    using edit::Key;
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    const bool keypad = modifiers & Qt::KeypadModifier;
    const bool shiftOrCtrl = modifiers & (Qt::ShiftModifier | Qt::ControlModifier);

    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return edit::KeyPress{Key::Digit, key - Qt::Key_0};
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        // The window's own shortcuts (save, copy ...) are never letters for
        // the score, even when the window did not take them first.
        if ((modifiers & Qt::ControlModifier) && isWindowShortcutLetter(key))
            return std::nullopt;
        return edit::KeyPress{Key::Letter, 'A' + (key - Qt::Key_A)};
    }
    if (keypad) {
        switch (key) {
        case Qt::Key_Asterisk: return edit::KeyPress{Key::KeypadMultiply};
        case Qt::Key_Slash: return edit::KeyPress{Key::KeypadDivide};
        case Qt::Key_Period:
        case Qt::Key_Comma: return edit::KeyPress{Key::KeypadDecimal};
        case Qt::Key_Plus: return edit::KeyPress{Key::KeypadAdd};
        case Qt::Key_Minus: return edit::KeyPress{Key::KeypadSubtract};
        default: break;
        }
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return edit::KeyPress{Key::Enter};
    case Qt::Key_Space: return edit::KeyPress{Key::Space};
    case Qt::Key_PageUp: return edit::KeyPress{Key::PageUp};
    case Qt::Key_PageDown: return edit::KeyPress{Key::PageDown};
    case Qt::Key_Left: return edit::KeyPress{Key::Left};
    case Qt::Key_Right: return edit::KeyPress{Key::Right};
    case Qt::Key_Up: return edit::KeyPress{Key::Up};
    case Qt::Key_Down: return edit::KeyPress{Key::Down};
    // Shift+Insert, Ctrl+Insert and Shift+Delete are paste, copy and cut.
    case Qt::Key_Insert:
        if (shiftOrCtrl)
            return std::nullopt;
        return edit::KeyPress{Key::Insert};
    case Qt::Key_Delete:
        if (modifiers & Qt::ShiftModifier)
            return std::nullopt;
        return edit::KeyPress{Key::Delete};
    // Plain Home is "Retour au début"; with Shift or Ctrl it arpeggiates.
    case Qt::Key_Home:
        if (shiftOrCtrl)
            return edit::KeyPress{Key::Home};
        return std::nullopt;
    default: break;
    }
    if (!keypad)
        if (const auto digit = digitOfScanCode(scanCode))
            return edit::KeyPress{Key::Digit, *digit};
    return std::nullopt;
}

std::optional<edit::KeyPress> map(const QKeyEvent& event)
{
    return map(event.key(), event.modifiers(), event.nativeScanCode());
}

} // namespace EditKeyMapping
