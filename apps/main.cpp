// The host executable: loads the module into an embedded drawing editor and runs its commands.
#include "BlockCounts.h"
#include "CliCommon.h"
#include "HostSession.h"
#include "ReportRun.h"
#include "ScriptRun.h"
#include "gui/GuiApp.h"

#include "platform/cad/Host.h"
#include "Terminal.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

using namespace hostapp;

int main(int argc, char** argv) {
    CLI::App app{"Vantorel: priced bills of materials of the block references in a drawing"};
    app.require_subcommand(1);
    std::string modulePath = hostapp::DefaultModulePath();
    std::string codePage;
    app.add_option("--module", modulePath, "The module to load (default: libvantorel.so beside this program)");
    app.add_option("--codepage", codePage,
                   "The active code page of the module's text: utf-8 (65001), 874, 1250-1258, 932, 936, 949 or 950 "
                   "(default: utf-8 when the locale's is, else 1252)");
    bool strict = false;
    app.add_flag("--strict", strict,
                 "Refuse a damaged drawing (exit 3) rather than read what it still holds and say what was left out");
    // The host's options may come after the subcommand too: "vantorel report plan.dxf --strict".
    app.fallthrough();

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
    report->add_option("drawings", ro.drawings, "The drawing (DXF or DWG), or several to report as one")->required();
    report->add_option("--jobs", ro.jobs, "Drawings read at once when there are several (default: one per core)")
        ->check(CLI::PositiveNumber);
    report->add_option("--catalog", ro.catalog, "The price catalogue (.prc); none: the file prompt is closed");
    report->add_option("--select", ro.select,
                       "all (model space), all-layouts (and every paper-space layout), layer:NAME or window:X1,Y1,X2,Y2 "
                       "(default all)");
    report->add_option("--sort", ro.sort, "Sort by a column heading, COLUMN or COLUMN:desc");
    report->add_flag("--hide-prices", ro.hidePrices, "Uncheck Show Price");
    report->add_option("--text", ro.text, "Save the report as this text file");
    report->add_option("--table", ro.table, "Insert the report as a table with its upper left corner at X,Y");
    CLI::Option* scaleOption =
        report->add_option("--scale", ro.scale, "Drag the table to this scale (default: RETURN, scale 1)");
    report->add_option("-o,--output", ro.output, "Save the drawing here, as DXF");
    report->add_option("--snapshot", ro.snapshot, "Write a PNG of the BOM Report dialog");
    report->add_flag("--replace-table", ro.replaceTable,
                     "Insert refreshes the table placed before, in its place, rather than placing another");
    report->add_flag("--table-text", ro.tableText, "Write the table's cells as plain text, which every viewer shows");
    report->add_option("--text-height", ro.textHeight, "The height of the table's text (default 1.0)");
    report->add_option("--csv", ro.csv, "Save the report as CSV (UTF-8, RFC 4180) too");
    report->add_option("--xlsx", ro.xlsx, "Save the report as an XLSX workbook too");
    report->add_option("--json", ro.json, "Save the report as JSON too");
    report->add_option("--names", ro.names, "stored (default), or effective: a dynamic block's states under its own name")
        ->check(CLI::IsMember({"stored", "effective"}));
    report->add_flag("--nested", ro.nested, "Count the references inside counted blocks too, through every level");
    report->add_flag("--minsert", ro.minsert, "Count a MINSERT as its columns times its rows");
    report->add_flag("--skip-tables", ro.skipTables, "Leave this program's own table blocks (QVTnnnn) out");
    report->add_option("--key-attribute", ro.keyAttribute,
                       "Count a reference with this attribute under the attribute's value (a part number)");

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
    host.SetStrictReading(strict);
    const textkit::CodePage* active = codePage.empty() ? &LocaleCodePage() : textkit::CodePage::FromName(codePage);
    if (!active) {
        std::fprintf(stderr, "vantorel: code page %s is not known here; --codepage takes utf-8 (or 65001), 874, "
                             "1250 to 1258, 932, 936, 949 or 950\n",
                     codePage.c_str());
        return kExitUsage;
    }
    // The module, the windows and the command line keep their text in this one page.
    host.SetActiveCodePage(*active);
    ConvertTerminalOutput(*active);

    if (blocks->parsed()) {
        if (!OpenDrawing(blocksDrawing))
            return kExitDrawingRefused;
        hostapp::PrintBlockCounts(hostapp::CountBlocks(host.WorkingDatabase()));
        return kExitOk;
    }

    if (report->parsed())
        return RunReport(ro, modulePath);

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
