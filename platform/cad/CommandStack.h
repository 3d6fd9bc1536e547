#pragma once

#include "platform/cad/Status.h"

#include <string>
#include <string_view>
#include <vector>

namespace cad {

using CommandFunction = void (*)();

enum CommandFlags : int { kCommandModal = 0, kCommandTransparent = 1 };

struct Command {
    std::string group;
    std::string globalName;
    std::string localName;
    int flags = kCommandModal;
    CommandFunction function = nullptr;
};

// Registered commands by group. The newest group is searched first, as on the host, so a later module can
// override an earlier one's command.
class CommandStack {
public:
    // DuplicateKey when the group already has a command of that global or local name.
    [[nodiscard]] ErrorStatus AddCommand(Command command);
    // KeyNotFound when no command of that group is registered.
    [[nodiscard]] ErrorStatus RemoveGroup(std::string_view group);
    // By the name the user types, without regard to case: the local name, or "_" and the global name.
    // A leading "." (the host's "built-in version" mark) is ignored.
    const Command* Lookup(std::string_view typed) const;
    // In registration order.
    const std::vector<Command>& Commands() const { return m_commands; }

private:
    std::vector<Command> m_commands;
};

} // namespace cad
