#pragma once

// The catalogue command's sessions: the example drawing opened, the BOM Template dialog driven by a script in a
// folder of the test's own, beside its own copy of the module.
#include "AppTestSupport.h"

#include <string>

namespace templatetest {

using apptest::ReadFile;
using apptest::Shell;
using apptest::ShellRun;
using apptest::WriteFile;

inline const char* const kOffice = "DESK|245.00|Desk\nCHAIR|89.50|Chair\nCABINET|120|Cabinet\n";

class TemplateCommand : public apptest::ScriptedSession {
protected:
    void SetUp() override {
        ScriptedSession::SetUp();
        catalog = Path("office.prc");
        WriteFile(catalog, kOffice);
    }
    // The script after an opening of the example drawing.
    ShellRun Session(const std::string& script) const {
        return ScriptedSession::Session("open " EXAMPLES_DIR "/office.dxf\n" + script);
    }
    std::string Widths() const { return Settings("vantorel1.set"); }
    std::string FileName() const { return Settings("filename.set"); }
    bool HasSettings() const { return HasFile("vantorel1.set"); }
    std::string catalog;
};

} // namespace templatetest
