#pragma once

#include "CommandTarget.h"

#include <utility>
#include <vector>

// Routes a command to the first target of the chain that handles it, in the
// order the targets were added (view, document, frame, application).
class CommandRouter {
public:
    void setChain(std::vector<CommandTarget*> chain) { chain_ = std::move(chain); }
    const std::vector<CommandTarget*>& chain() const { return chain_; }

    // True when some target ran the command.
    bool dispatch(int id) const;
    // The state decided by the first target with an update handler for the
    // command; unticked when none has one.
    CommandState update(int id) const;

private:
    std::vector<CommandTarget*> chain_;
};
