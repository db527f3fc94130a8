#pragma once

namespace edit {

// The keys the score view acts on, after the window has taken the
// combinations its accelerators own (plain Home and End, Ctrl+C ...).
enum class Key {
    Enter,
    Space,
    PageUp,
    PageDown,
    Home, // only arrives with Shift or Ctrl: the arpeggio command
    Left,
    Right,
    Up,
    Down,
    Insert,
    Delete,
    Letter, // value: 'A' .. 'Z'
    Digit,  // value: 0 .. 9, from either row of digits or the keypad
    KeypadMultiply,
    KeypadDivide,
    KeypadDecimal,
    KeypadAdd,
    KeypadSubtract,
    Other,
};

struct KeyPress {
    Key key = Key::Other;
    int value = 0;
};

} // namespace edit
