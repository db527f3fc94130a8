#include "RecoveryOffer.h"

#include "CTabDoc.h"
#include "Prompter.h"

namespace {

// The message with %1 and %2 filled in (either may contain a '%').
std::string damagedMessage(const std::string& name, const std::string& folder)
{
    const std::string text = kRecoveryDamaged;
    const auto one = text.find("%1");
    const auto two = text.find("%2");
    return text.substr(0, one) + name + text.substr(one + 2, two - one - 2) + folder + text.substr(two + 2);
}

} // namespace

std::string recoveryEntryName(const recovery::Entry& entry)
{
    if (!entry.info || entry.info->originalPath.empty())
        return CTabDoc::kUntitled;
    const std::string& path = entry.info->originalPath;
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool offerLeftOverCopies(recovery::Store& store, CTabDoc& doc, Prompter& prompter, const RecoveryChooser& choose)
{
    std::vector<recovery::Entry> entries = store.leftOver();
    while (!entries.empty()) {
        const RecoveryChoice choice = choose(entries);
        if (choice.action == RecoveryChoice::Action::Ignore || choice.index >= entries.size())
            return false;
        const recovery::Entry entry = entries[choice.index];
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(choice.index));
        if (choice.action == RecoveryChoice::Action::Discard) {
            recovery::Store::discard(entry);
            continue;
        }
        const std::string original = entry.info ? entry.info->originalPath : std::string();
        if (entry.hasCopy && doc.OnRecoverDocument(entry.copyPath, original)) {
            store.adopt(entry);
            return true;
        }
        const std::string aside = store.setAside(entry);
        prompter.showMessage(damagedMessage(recoveryEntryName(entry), aside.empty() ? store.folder() : aside));
    }
    return false;
}
