#pragma once

#include <optional>
#include <string>

// What an update handler decides about a command: whether its menu item is
// ticked and its toolbar button pressed, and for a few commands the menu
// text (undo and redo name their step). Commands are never disabled.
struct CommandState {
    bool checked = false;
    std::optional<std::string> text;
};

// One link of the command route (view, document, frame, application).
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // Runs the command; false when this target does not handle it.
    virtual bool onCommand(int id) = 0;
    // Fills the state of a command; false when this target has no update
    // handler for it.
    virtual bool onUpdateCommand(int /*id*/, CommandState& /*state*/) { return false; }
};
