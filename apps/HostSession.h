#pragma once

#include <string>

// What the host executable does around a module: find it, load it, run its commands, unload it.
namespace hostapp {

// libvantorel.so beside the running executable.
std::string DefaultModulePath();

// Prints the registered commands, a line each: the name a user types and what it does, with `verbose` a second
// line of group, entry point and flags; then the editor's own commands.
void ListCommands(bool verbose);

} // namespace hostapp
