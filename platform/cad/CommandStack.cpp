#include "platform/cad/CommandStack.h"

#include "platform/cad/Text.h"

#include <algorithm>

namespace cad {

ErrorStatus CommandStack::AddCommand(Command command) {
    if (command.group.empty() || command.localName.empty() || command.globalName.empty() || !command.function)
        return ErrorStatus::InvalidInput;
    for (const Command& existing : m_commands) {
        if (NamesEqual(existing.group, command.group) &&
            (NamesEqual(existing.globalName, command.globalName) ||
             NamesEqual(existing.localName, command.localName)))
            return ErrorStatus::DuplicateKey;
    }
    m_commands.push_back(std::move(command));
    return ErrorStatus::Ok;
}

ErrorStatus CommandStack::RemoveGroup(std::string_view group) {
    auto removed = std::erase_if(m_commands, [&](const Command& c) { return NamesEqual(c.group, group); });
    return removed > 0 ? ErrorStatus::Ok : ErrorStatus::KeyNotFound;
}

const Command* CommandStack::Lookup(std::string_view typed) const {
    if (!typed.empty() && typed.front() == '.')
        typed.remove_prefix(1);
    bool global = !typed.empty() && typed.front() == '_';
    if (global)
        typed.remove_prefix(1);
    for (auto it = m_commands.rbegin(); it != m_commands.rend(); ++it) {
        if (NamesEqual(global ? it->globalName : it->localName, typed))
            return &*it;
    }
    return nullptr;
}

} // namespace cad
