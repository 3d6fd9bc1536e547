#pragma once

// `vantorel script`: a user's session in plain text, read whole before anything runs.
#include "Session.h"

#include <string>
#include <vector>

namespace hostapp {

// One line of a script: the host's own doings, or a step of the user's side of the command before it.
struct ScriptLine {
    enum Kind { Open, Command, Save, SetVar, UserStep };
    Kind kind = UserStep;
    std::string text;
    hostapp::Step step;
    int line = 0;
};

// False after printing where the script is wrong; nothing has been run then.
bool ReadScript(const std::string& path, std::vector<ScriptLine>& script);
// Runs the script's lines in order; the exit code of the first that fails, after saying why.
int RunScript(const std::vector<ScriptLine>& script);

} // namespace hostapp
