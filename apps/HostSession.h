#pragma once

#include <string>

// What the host executable does around a module: find it, load it, run its commands, unload it.
namespace hostapp {

// libvantorel.so beside the running executable.
std::string DefaultModulePath();

// Prints the registered commands, one per line: group, local name, global name, flags.
void ListCommands();

} // namespace hostapp
