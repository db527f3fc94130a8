#pragma once

#include "CTabDoc.h"
#include "EditCursor.h"
#include "EditHooks.h"
#include "EditOutcome.h"
#include "ViewState.h"

#include <optional>

namespace edit {

// The rhythm and technique commands on the beat or the note under the
// cursor, and their update handlers.
class NoteCommands {
public:
    NoteCommands(CTabDoc& doc, view::ViewState& state, const EditHooks& hooks);

    // Runs a command of the rhythm or attributes set; nothing for other ids.
    EditOutcome run(int id);
    // Whether the command shows checked at the cursor; nothing for commands
    // without an update handler.
    std::optional<bool> checked(int id) const;

private:
    bool changeBeat(int id, CAccord& beat);
    bool changeNote(int id, CNote& note);
    // Amount for "Note tenue" and "Release": carried from a bend or held
    // bend on the same string of the previous beat, else asked.
    int carriedOrAskedAmount();

    CTabDoc& doc_;
    view::ViewState& state_;
    const EditHooks& hooks_;
};

} // namespace edit
