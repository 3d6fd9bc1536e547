// The host executable: loads the module into an embedded drawing editor and runs its commands.
#include "BlockCounts.h"
#include "HostSession.h"
#include "Session.h"
#include "gui/GuiApp.h"

#include "platform/cad/Host.h"
#include "platform/ui/TextCodec.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
enum ExitCode : int {
    kExitOk = 0,
    kExitCommandFailed = 1,
    kExitModuleRefused = 2,
    kExitDrawingRefused = 3,
    kExitUsage = 64,
};

// Opens the drawing, telling what the reader noticed; false after printing why it cannot be read.
bool OpenDrawing(const std::string& path) {
    cad::DxfResult result = cad::Host::Instance().OpenDrawing(path);
    if (!result.Ok()) {
        if (result.line > 0)
            std::fprintf(stderr, "vantorel: %s, %s: %s\n", path.c_str(), result.Place().c_str(), result.detail.c_str());
        else
            std::fprintf(stderr, "vantorel: %s\n", result.detail.c_str());
        return false;
    }
    for (const std::string& warning : result.warnings)
        std::fprintf(stderr, "vantorel: %s: %s\n", path.c_str(), warning.c_str());
    return true;
}

// Equal but for the case of A to Z.
bool SameWords(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// "X,Y" or "X1,Y1,X2,Y2" as numbers; false when the text is not that many numbers.
bool ParseNumbers(const std::string& text, std::size_t count, std::vector<double>& numbers) {
    numbers.clear();
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        char* end = nullptr;
        double value = std::strtod(item.c_str(), &end);
        if (item.empty() || !end || *end != '\0')
            return false;
        numbers.push_back(value);
    }
    return numbers.size() == count;
}

struct ReportOptions {
    std::string drawing;
    std::string catalog;
    std::string select = "all";
    std::string sort;
    bool hidePrices = false;
    std::string text;
    std::string table;
    double scale = 0.0;
    bool scaleGiven = false;
    std::string output;
    std::string snapshot;
};

hostapp::Step MakeStep(hostapp::Step::Kind kind, std::string text = {}, double number = 0.0) {
    hostapp::Step step;
    step.kind = kind;
    step.text = std::move(text);
    step.number = number;
    return step;
}

// The user's side of one report, from the options: false after printing why they make no session.
bool BuildReportSession(const ReportOptions& o, const std::string& textPath, hostapp::Session& session) {
    using hostapp::Step;
    session.Add(o.catalog.empty() ? MakeStep(Step::Cancel) : MakeStep(Step::File, o.catalog));
    std::vector<double> n;
    if (o.select == "all") {
        session.Add(MakeStep(Step::SelectAll));
    } else if (o.select.rfind("layer:", 0) == 0) {
        session.Add(MakeStep(Step::SelectLayer, o.select.substr(6)));
    } else if (o.select.rfind("window:", 0) == 0 && ParseNumbers(o.select.substr(7), 4, n)) {
        Step step = MakeStep(Step::SelectWindow);
        step.a = cad::Point3d{n[0], n[1], 0.0};
        step.b = cad::Point3d{n[2], n[3], 0.0};
        session.Add(step);
    } else {
        std::fprintf(stderr, "vantorel: --select takes all, layer:NAME or window:X1,Y1,X2,Y2, not %s\n", o.select.c_str());
        return false;
    }
    if (!o.sort.empty()) {
        std::string column = o.sort;
        bool descending = false;
        if (auto colon = column.rfind(':'); colon != std::string::npos) {
            std::string direction = column.substr(colon + 1);
            if (direction != "desc" && direction != "asc") {
                std::fprintf(stderr, "vantorel: --sort takes COLUMN, COLUMN:asc or COLUMN:desc\n");
                return false;
            }
            descending = direction == "desc";
            column = column.substr(0, colon);
        }
        static const char* const kHeadings[] = {"Block name", "Item Price", "Quantity", "Description", "Total"};
        std::string heading;
        for (const char* known : kHeadings)
            if (SameWords(column, known))
                heading = known;
        if (heading.empty()) {
            std::fprintf(stderr, "vantorel: --sort takes a column heading of the report: \"Block name\", "
                                 "\"Item Price\", \"Quantity\", \"Description\" or \"Total\" (not \"%s\")\n",
                         column.c_str());
            return false;
        }
        column = heading;
        // The grid starts marked as sorted by block name, ascending: the first click on that heading turns
        // it round, the first click on any other sorts it ascending.
        int clicks = column == "Block name" ? (descending ? 1 : 2) : (descending ? 2 : 1);
        for (int i = 0; i < clicks; ++i)
            session.Add(MakeStep(Step::ClickHeader, column));
    }
    if (o.hidePrices)
        session.Add(MakeStep(Step::ClickControl, "Show Price"));
    if (!o.snapshot.empty())
        session.Add(MakeStep(Step::Snapshot, o.snapshot));
    session.Add(MakeStep(Step::ClickControl, "Save to file"));
    session.Add(MakeStep(Step::File, textPath));
    if (o.scaleGiven && !(o.scale > 0.0)) {
        std::fprintf(stderr, "vantorel: --scale takes a number above 0, the size of the table against its own\n");
        return false;
    }
    if (o.scaleGiven && o.table.empty()) {
        std::fprintf(stderr, "vantorel: --scale sizes the table: give --table X,Y too\n");
        return false;
    }
    if (o.output.size() >= 4 && SameWords(o.output.substr(o.output.size() - 4), ".dwg")) {
        std::fprintf(stderr, "vantorel: -o takes a name ending in .dxf: drawings are saved as DXF, and DWG cannot be "
                             "written here\n");
        return false;
    }
    if (!o.table.empty() && o.output.empty()) {
        std::fprintf(stderr, "vantorel: --table puts a table into the drawing: give -o OUT.dxf to save the drawing\n");
        return false;
    }
    if (o.table.empty()) {
        session.Add(MakeStep(Step::ClickControl, "Close"));
        return true;
    }
    if (!ParseNumbers(o.table, 2, n)) {
        std::fprintf(stderr, "vantorel: --table takes X,Y\n");
        return false;
    }
    session.Add(MakeStep(Step::ClickControl, "Insert"));
    Step corner = MakeStep(Step::Point);
    corner.a = cad::Point3d{n[0], n[1], 0.0};
    session.Add(corner);
    session.Add(o.scaleGiven ? MakeStep(Step::Scale, {}, o.scale) : MakeStep(Step::Return));
    return true;
}

// Objects a command left open are a fault of the module; the user is told, the drawing is still saved.
void ReportOpenObjects() {
    std::size_t open = cad::Host::Instance().WorkingDatabase().OpenObjectCount();
    if (open > 0)
        std::fprintf(stderr, "vantorel: %zu object(s) of the drawing were left open\n", open);
}

bool SaveDrawingTo(const std::string& path) {
    cad::DxfResult saved = cad::Host::Instance().SaveDrawing(path);
    if (!saved.Ok()) {
        std::fprintf(stderr, "vantorel: %s: %s\n", path.c_str(), saved.detail.c_str());
        return false;
    }
    return true;
}
// One line of a script: the host's own doings, or a step of the user's side of the command before it.
struct ScriptLine {
    enum Kind { Open, Command, Save, UserStep };
    Kind kind = UserStep;
    std::string text;
    hostapp::Step step;
    int line = 0;
};

// False after printing where the script is wrong; nothing has been run then.
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

// Runs the script's lines in order; the exit code of the first that fails, after saying why.
int RunScript(const std::vector<ScriptLine>& script) {
    cad::Host& host = cad::Host::Instance();
    for (std::size_t i = 0; i < script.size(); ++i) {
        const ScriptLine& line = script[i];
        if (line.kind == ScriptLine::Open) {
            if (!OpenDrawing(line.text))
                return kExitDrawingRefused;
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
} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Vantorel: priced bills of materials of the block references in a drawing"};
    app.require_subcommand(1);
    std::string modulePath = hostapp::DefaultModulePath();
    int codePage = 1252;
    app.add_option("--module", modulePath, "The module to load (default: libvantorel.so beside this program)");
    app.add_option("--codepage", codePage, "The active code page of the module's text (default 1252)");

    CLI::App* commands = app.add_subcommand("commands", "List the commands the module registers");
    CLI::App* run = app.add_subcommand("run", "Run a command by the name a user types");
    std::string commandName;
    std::string runDrawing;
    run->add_option("name", commandName, "The command, such as KXBOMT")->required();
    run->add_option("--drawing", runDrawing, "The drawing (DXF or DWG) to run it on");
    CLI::App* blocks = app.add_subcommand("blocks", "List a drawing's block definitions and their references");
    std::string blocksDrawing;
    blocks->add_option("drawing", blocksDrawing, "The drawing (DXF or DWG)")->required();

    CLI::App* report = app.add_subcommand("report", "Count a drawing's block references and show the priced report");
    ReportOptions ro;
    report->add_option("drawing", ro.drawing, "The drawing (DXF or DWG)")->required();
    report->add_option("--catalog", ro.catalog, "The price catalogue (.prc); none: the file prompt is closed");
    report->add_option("--select", ro.select, "all, layer:NAME or window:X1,Y1,X2,Y2 (default all)");
    report->add_option("--sort", ro.sort, "Sort by a column heading, COLUMN or COLUMN:desc");
    report->add_flag("--hide-prices", ro.hidePrices, "Uncheck Show Price");
    report->add_option("--text", ro.text, "Save the report as this text file");
    report->add_option("--table", ro.table, "Insert the report as a table with its upper left corner at X,Y");
    CLI::Option* scaleOption =
        report->add_option("--scale", ro.scale, "Drag the table to this scale (default: RETURN, scale 1)");
    report->add_option("-o,--output", ro.output, "Save the drawing here, as DXF");
    report->add_option("--snapshot", ro.snapshot, "Write a PNG of the BOM Report dialog");

    CLI::App* scriptCommand = app.add_subcommand("script", "Replay a user's session written as a script");
    std::string scriptPath;
    scriptCommand->add_option("file", scriptPath, "The script: one step a line (see the README)")->required();

    CLI::App* gui = app.add_subcommand("gui", "Open the live editor: a drawing view and a command line");
    std::string guiDrawing;
    bool guiTrace = false;
    int guiWidth = 1280;
    int guiHeight = 800;
    gui->add_option("drawing", guiDrawing, "The drawing (DXF or DWG) to open");
    gui->add_flag("--trace", guiTrace, "Print what is asked and where each dialog lies, for tests that drive the window");
    gui->add_option("--width", guiWidth, "Width of the window in pixels (default 1280)");
    gui->add_option("--height", guiHeight, "Height of the window in pixels (default 800)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitOk : kExitUsage;
    }
    ro.scaleGiven = scaleOption->count() > 0;

    cad::Host& host = cad::Host::Instance();
    const cad::CodePage* active = cad::CodePage::Find(codePage);
    if (!active) {
        std::fprintf(stderr, "vantorel: code page %d is not known here\n", codePage);
        return kExitUsage;
    }
    host.SetActiveCodePage(*active);
    // The windows draw and take text in the same code page as the module's.
    if (!ui::TextCodec::Instance().SetCodePage(codePage)) {
        std::fprintf(stderr, "vantorel: code page %d cannot be shown here (the C library has no converter for it)\n",
                     codePage);
        return kExitUsage;
    }

    if (blocks->parsed()) {
        if (!OpenDrawing(blocksDrawing))
            return kExitDrawingRefused;
        hostapp::PrintBlockCounts(hostapp::CountBlocks(host.WorkingDatabase()));
        return kExitOk;
    }

    if (report->parsed()) {
        if (!OpenDrawing(ro.drawing))
            return kExitDrawingRefused;
        std::string error;
        if (!host.Modules().Load(modulePath, error)) {
            std::fprintf(stderr, "vantorel: %s\n", error.c_str());
            return kExitModuleRefused;
        }
        std::string textPath = ro.text;
        if (textPath.empty()) {
            char name[] = "/tmp/vantorel-report-XXXXXX";
            int fd = mkstemp(name);
            if (fd >= 0)
                close(fd);
            textPath = name;
        }
        hostapp::Session session;
        int exitCode = kExitOk;
        if (!BuildReportSession(ro, textPath, session)) {
            exitCode = kExitUsage;
        } else {
            session.Attach();
            host.GetEditor().ForgetSelection();
            int status = host.RunCommand("KXBOMC");
            session.Detach();
            for (const std::string& alert : host.GetEditor().Alerts())
                std::fprintf(stderr, "vantorel: alert: %s\n", alert.c_str());
            ReportOpenObjects();
            const std::vector<std::string>& alerts = host.GetEditor().Alerts();
            bool textFailed = std::find(alerts.begin(), alerts.end(),
                                        "File " + textPath + " could  not be opened") != alerts.end();
            if (status == cad::RtNorm && session.Error().empty() && !session.Empty() &&
                host.GetEditor().LastSelectionKept() == 0) {
                std::fprintf(stderr, "vantorel: no block references were selected; try --select all or another "
                                     "layer or window\n");
                exitCode = kExitCommandFailed;
            } else if (!ro.catalog.empty() && std::find(alerts.begin(), alerts.end(), "File " + ro.catalog +
                                                            " could  not be opened") != alerts.end()) {
                std::fprintf(stderr, "vantorel: the catalogue %s could not be read\n", ro.catalog.c_str());
                exitCode = kExitCommandFailed;
            } else if (textFailed) {
                std::fprintf(stderr, "vantorel: the report could not be written to %s\n", textPath.c_str());
                exitCode = kExitCommandFailed;
            } else if (status == cad::RtNorm && session.Error().empty() && !session.Empty()) {
                // The command ended before the user's side was done: a selection without block references,
                // a catalogue that could not be read, or a dialog that closed early.
                std::fprintf(stderr, "vantorel: the report ended before all of its steps were taken\n");
                exitCode = kExitCommandFailed;
            } else if (status != cad::RtNorm || !session.Error().empty()) {
                std::fprintf(stderr, "vantorel: the report did not run through: %s\n",
                             session.Error().empty() ? "the command failed" : session.Error().c_str());
                exitCode = kExitCommandFailed;
            } else {
                // Printed from the file it went to; a device (/dev/stdout, say) has had it already.
                std::error_code ignored;
                if (std::filesystem::is_regular_file(textPath, ignored)) {
                    std::ifstream text(textPath);
                    std::cout << text.rdbuf();
                    std::cout.flush();
                }
                if (!ro.output.empty() && !SaveDrawingTo(ro.output))
                    exitCode = kExitCommandFailed;
            }
        }
        if (ro.text.empty())
            std::remove(textPath.c_str());
        host.Modules().UnloadAll();
        return exitCode;
    }

    if (gui->parsed()) {
        std::string error;
        if (!host.Modules().Load(modulePath, error)) {
            std::fprintf(stderr, "vantorel: %s\n", error.c_str());
            return kExitModuleRefused;
        }
        int exitCode = kExitOk;
        {
            gui::GuiApp window;
            if (window.Run(guiDrawing, guiTrace, guiWidth, guiHeight) != 0)
                exitCode = kExitCommandFailed;
        }
        host.Modules().UnloadAll();
        return exitCode;
    }

    if (scriptCommand->parsed()) {
        std::vector<ScriptLine> script;
        if (!ReadScript(scriptPath, script))
            return kExitUsage;
        std::string error;
        if (!host.Modules().Load(modulePath, error)) {
            std::fprintf(stderr, "vantorel: %s\n", error.c_str());
            return kExitModuleRefused;
        }
        host.GetEditor().SetTerminalEcho(true);
        int exitCode = RunScript(script);
        std::fflush(stdout);
        host.Modules().UnloadAll();
        return exitCode;
    }

    host.GetEditor().SetTerminalEcho(run->parsed());
    if (run->parsed() && !runDrawing.empty() && !OpenDrawing(runDrawing))
        return kExitDrawingRefused;
    std::string error;
    if (!host.Modules().Load(modulePath, error)) {
        std::fprintf(stderr, "vantorel: %s\n", error.c_str());
        return kExitModuleRefused;
    }

    int exitCode = kExitOk;
    if (commands->parsed()) {
        hostapp::ListCommands();
    } else if (run->parsed()) {
        std::size_t unanswered = host.GetEditor().InputErrors().size();
        if (host.RunCommand(commandName) != cad::RtNorm)
            exitCode = kExitCommandFailed;
        std::fputs("\n", stdout);
        if (host.GetEditor().InputErrors().size() > unanswered) {
            std::fprintf(stderr, "vantorel: %s asked for what no one answered here; vantorel script or vantorel "
                                 "report give the answers, vantorel gui lets you give them\n",
                         commandName.c_str());
            exitCode = kExitCommandFailed;
        }
    }
    host.Modules().UnloadAll();
    return exitCode;
}
