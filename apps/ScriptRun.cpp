#include "ScriptRun.h"

#include "CliCommon.h"

#include "platform/cad/Host.h"

#include <cstdio>
#include <fstream>
#include <iostream>

namespace hostapp {

bool ReadScript(const std::string& path, std::vector<ScriptLine>& script) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "vantorel: cannot read the script %s\n", path.c_str());
        return false;
    }
    bool inCommand = false;
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        std::size_t first = text.find_first_not_of(" \t");
        if (first == std::string::npos || text[first] == '#')
            continue;
        text = text.substr(first);
        std::string word = text.substr(0, text.find(' '));
        std::string rest = word.size() < text.size() ? text.substr(word.size() + 1) : std::string();
        ScriptLine line;
        line.line = number;
        line.text = rest;
        if (word == "setvar") {
            line.kind = ScriptLine::SetVar;
            if (rest.empty()) {
                std::fprintf(stderr, "vantorel: %s, line %d: \"setvar\" takes a variable's name and its value\n",
                             path.c_str(), number);
                return false;
            }
            inCommand = false;
            script.push_back(line);
            continue;
        }
        if (word == "open" || word == "command" || word == "save") {
            line.kind = word == "open" ? ScriptLine::Open : word == "command" ? ScriptLine::Command : ScriptLine::Save;
            if (rest.empty()) {
                std::fprintf(stderr, "vantorel: %s, line %d: \"%s\" takes %s\n", path.c_str(), number, word.c_str(),
                             word == "command" ? "a command name" : "a path");
                return false;
            }
            inCommand = line.kind == ScriptLine::Command;
            script.push_back(line);
            continue;
        }
        std::string error;
        if (!hostapp::ParseStep(text, line.step, error)) {
            std::fprintf(stderr, "vantorel: %s, line %d: %s\n", path.c_str(), number, error.c_str());
            return false;
        }
        if (!inCommand) {
            std::fprintf(stderr, "vantorel: %s, line %d: \"%s\" comes before any command\n", path.c_str(), number,
                         word.c_str());
            return false;
        }
        line.step.line = number;
        script.push_back(line);
    }
    return true;
}

int RunScript(const std::vector<ScriptLine>& script) {
    cad::Host& host = cad::Host::Instance();
    for (std::size_t i = 0; i < script.size(); ++i) {
        const ScriptLine& line = script[i];
        if (line.kind == ScriptLine::Open) {
            if (!OpenDrawing(line.text))
                return kExitDrawingRefused;
            continue;
        }
        if (line.kind == ScriptLine::SetVar) {
            std::string name = line.text.substr(0, line.text.find(' '));
            std::string value = name.size() < line.text.size() ? line.text.substr(name.size() + 1) : std::string();
            std::string error;
            if (host.GetEditor().SetVariableFromText(name, value, error) != cad::RtNorm) {
                std::fprintf(stderr, "vantorel: line %d: setvar %s: %s\n", line.line, name.c_str(), error.c_str());
                return kExitCommandFailed;
            }
            continue;
        }
        if (line.kind == ScriptLine::Save) {
            if (!SaveDrawingTo(line.text))
                return kExitCommandFailed;
            continue;
        }
        hostapp::Session session;
        session.SetLog(&std::cout);
        std::size_t next = i + 1;
        for (; next < script.size() && script[next].kind == ScriptLine::UserStep; ++next)
            session.Add(script[next].step);
        session.Attach();
        int status = host.RunCommand(line.text);
        session.Detach();
        std::cout.flush();
        ReportOpenObjects();
        if (!session.Error().empty() || status != cad::RtNorm) {
            std::fprintf(stderr, "vantorel: line %d: %s did not run through: %s\n", line.line, line.text.c_str(),
                         session.Error().empty() ? "the command failed" : session.Error().c_str());
            return kExitCommandFailed;
        }
        if (!session.Empty()) {
            std::fprintf(stderr, "vantorel: line %d: %s ended before all of its steps were taken\n", line.line,
                         line.text.c_str());
            return kExitCommandFailed;
        }
        i = next - 1;
    }
    return kExitOk;
}

} // namespace hostapp
