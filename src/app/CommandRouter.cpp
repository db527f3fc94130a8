#include "CommandRouter.h"

bool CommandRouter::dispatch(int id) const
{
    // A handler may replace the chain (a new view): walk a copy.
    const std::vector<CommandTarget*> chain = chain_;
    for (CommandTarget* target : chain)
        if (target && target->onCommand(id))
            return true;
    return false;
}

CommandState CommandRouter::update(int id) const
{
    CommandState state;
    for (CommandTarget* target : chain_)
        if (target && target->onUpdateCommand(id, state))
            break;
    return state;
}
