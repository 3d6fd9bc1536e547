#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cad {

class Host;

// The editor's own commands, beside those the modules register.
struct HostCommand {
    const char* name;
    const char* help;
    bool changesDrawing; // its changes are one step of undo
};

const std::vector<HostCommand>& HostCommands();
// Null when `typed` names none of them (case does not count).
[[nodiscard]] const HostCommand* FindHostCommand(std::string_view typed);
void RunHostCommand(Host& host, const HostCommand& command);
// A system variable's name typed as a command: its value is asked for, the current one shown.
void AskVariableValue(Host& host, const std::string& name);

} // namespace cad
