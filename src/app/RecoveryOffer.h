#pragma once

#include "RecoveryStore.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class CTabDoc;
class Prompter;

// The start-up question about copies that editors which did not close left.
struct RecoveryChoice {
    enum class Action { Recover, Ignore, Discard };
    Action action = Action::Ignore;
    std::size_t index = 0; // into the entries shown
};
using RecoveryChooser = std::function<RecoveryChoice(const std::vector<recovery::Entry>&)>;

// Asks about the left-over copies until the user recovers one or keeps the
// rest for later. "Supprimer" deletes the chosen copy; a copy that cannot be
// read is said so and set aside, never deleted. True when a score was
// recovered into the document (it then belongs to store).
bool offerLeftOverCopies(recovery::Store& store, CTabDoc& doc, Prompter& prompter, const RecoveryChooser& choose);

// How an entry is named to the user: the original file's name, or the
// untitled score's name.
std::string recoveryEntryName(const recovery::Entry& entry);

constexpr const char* kRecoveryQuestion =
    "Fretlark a été fermé sans enregistrer vos dernières modifications. Voulez-vous les récupérer ?";
constexpr const char* kRecoveryDamaged =
    "La copie de récupération de « %1 » est endommagée et ne peut pas être ouverte.\nElle est conservée dans %2.";
