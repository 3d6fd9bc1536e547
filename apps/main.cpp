// The host executable: loads the module into an embedded drawing editor and runs its commands.
#include "BlockCounts.h"
#include "CliCommon.h"
#include "HostSession.h"
#include "PlotRun.h"
#include "ReportRun.h"
#include "ScriptRun.h"
#include "gui/GuiApp.h"

#include "platform/cad/Host.h"
#include "platform/ui/WindowSystem.h"
#include "Terminal.h"
#include "catalog/CatalogCheck.h"
#include "catalog/CatalogConversion.h"
#include "catalog/ConvertCatalog.h"
#include "help/Help.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

using namespace hostapp;

int main(int argc, char** argv) {
    CLI::App app{"priced bills of materials of the block references in a drawing"};
    app.name("vantorel");
    app.require_subcommand(1);
    app.set_version_flag("--version", VersionText(), "Print the version and exit");
    app.footer("Examples:\n  vantorel report plan.dxf --catalog prices.prc\n  vantorel gui plan.dxf\n"
               "  vantorel help report\nExit codes and the rest: man vantorel, or the README.");
    std::string modulePath = hostapp::DefaultModulePath();
    std::string codePage;
    app.add_option("--module", modulePath, "The module to load (default: libvantorel.so beside this program)")
        ->type_name("FILE");
    app.add_option("--codepage", codePage,
                   "The active code page of the module's text: utf-8 (65001), 874, 1250-1258, 932, 936, 949 or 950 "
                   "(default: utf-8 when the locale's is, else 1252)")
        ->type_name("PAGE");
    bool strict = false;
    app.add_flag("--strict", strict,
                 "Refuse a damaged drawing (exit 3) rather than read what it still holds and say what was left out");
    // The host's options may come after the subcommand too: "vantorel report plan.dxf --strict".
    app.fallthrough();

    // Hidden: what the build installs as the manual page and the bash completion.
    bool printManual = false;
    bool printCompletion = false;
    app.add_flag("--manual-page", printManual, "")->group("");
    app.add_flag("--bash-completion", printCompletion, "")->group("");

    CLI::App* help = app.add_subcommand("help", "Say what each subcommand does, or one of them");
    std::string helpTopic;
    help->add_option("subcommand", helpTopic, "The subcommand to tell of");
    help->footer("Example:\n  vantorel help report");

    CLI::App* commands = app.add_subcommand("commands", "List the commands the module adds to the editor");
    bool verboseCommands = false;
    commands->add_flag("--verbose", verboseCommands, "Add each command's group, entry point and flags");
    commands->footer("Example:\n  vantorel commands --verbose");
    CLI::App* run = app.add_subcommand("run", "Run a command by the name a user types");
    std::string commandName;
    std::string runDrawing;
    run->add_option("name", commandName, "The command, such as KXBOMT")->required();
    run->add_option("--drawing", runDrawing, "The drawing (DXF or DWG) to run it on")->type_name("FILE");
    run->footer("Example:\n  vantorel run U --drawing plan.dxf\n(a command that asks for objects or opens a dialog "
                "needs a user: vantorel gui, or vantorel script)");
    CLI::App* blocks = app.add_subcommand("blocks", "List a drawing's block definitions and their references");
    std::string blocksDrawing;
    blocks->add_option("drawing", blocksDrawing, "The drawing (DXF or DWG)")->required();
    blocks->footer("Example:\n  vantorel blocks examples/office.dxf");

    CLI::App* plot = app.add_subcommand("plot", "Plot a drawing's model space or a layout to PNG, PDF or SVG");
    PlotArguments plotArguments;
    plot->add_option("drawing", plotArguments.drawing, "The drawing (DXF or DWG)")->required();
    plot->add_option("-o,--output", plotArguments.output, "The plot: a name ending in .png, .pdf or .svg")
        ->required()
        ->type_name("FILE");
    plot->add_option("--window", plotArguments.window,
                     "Plot this window of the drawing, X1,Y1,X2,Y2 (default: the extents with a margin)")
        ->type_name("X1,Y1,X2,Y2");
    plot->add_option("--size", plotArguments.size, "The image's size in pixels (default 1600x1000)")->type_name("WxH");
    plot->add_option("--background", plotArguments.background, "white (default) or black")->type_name("COLOUR");
    plot->add_option("--layout", plotArguments.layout, "A paper-space layout by its tab's name (default: model space)")
        ->type_name("NAME");
    plot->footer("Examples:\n  vantorel plot plan.dxf -o plan.png\n"
                 "  vantorel plot plan.dxf -o detail.pdf --window 0,0,40,25 --size 1600x1000\n"
                 "  vantorel plot plan.dxf -o sheet.pdf --layout \"Layout1\"");

    CLI::App* checkCatalog = app.add_subcommand("check-catalog", "Tell what in price catalogues the report would read "
                                                                  "otherwise than meant");
    std::vector<std::string> catalogs;
    checkCatalog->add_option("catalogs", catalogs, "The catalogues (.prc)")->required();
    checkCatalog->footer("Example:\n  vantorel check-catalog prices.prc\nExit 0: clean; 1: something was found; "
                         "3: a catalogue cannot be read");

    CLI::App* convertCatalog = app.add_subcommand("convert-catalog", "Convert a price catalogue between .prc, .csv and "
                                                                       ".xlsx");
    std::string convertIn;
    std::string convertOut;
    convertCatalog->add_option("in", convertIn, "The catalogue to read (.prc, .csv, .xlsx)")->required();
    convertCatalog->add_option("out", convertOut, "The catalogue to write (.prc, .csv, .xlsx)")->required();
    convertCatalog->footer("Examples:\n  vantorel convert-catalog prices.xlsx prices.prc\n"
                           "  vantorel convert-catalog prices.prc prices.csv\nExit 0: written; 1: written after saying "
                           "what it left out or reads otherwise, or not written; 3: IN cannot be read; 64: a name "
                           "that is no catalogue's");

    CLI::App* report = app.add_subcommand("report", "Count a drawing's block references and show the priced report");
    ReportOptions ro;
    report->add_option("drawings", ro.drawings, "The drawing (DXF or DWG), or several to report as one")->required();
    CLI::Option* jobsOption =
        report->add_option("--jobs", ro.jobs, "Drawings read at once when there are several (default: one per core)")->type_name("N");
    report->add_option("--catalog", ro.catalog,
                       "The price catalogue (.prc), or a spreadsheet of prices (.csv, .xlsx); none: the file prompt is "
                       "closed")
        ->type_name("FILE");
    report->add_option("--select", ro.select,
                       "all (model space), all-layouts (and every paper-space layout), layer:NAME or window:X1,Y1,X2,Y2 "
                       "(default all)")->type_name("WHAT");
    report->add_option("--sort", ro.sort, "Sort by a column heading, COLUMN or COLUMN:desc")->type_name("COLUMN");
    report->add_flag("--hide-prices", ro.hidePrices, "Uncheck Show Price");
    report->add_option("--text", ro.text, "Save the report as this text file")->type_name("FILE");
    report->add_option("--table", ro.table, "Insert the report as a table with its upper left corner at X,Y")->type_name("X,Y");
    CLI::Option* scaleOption =
        report->add_option("--scale", ro.scale, "Drag the table to this scale (default: RETURN, scale 1)")->type_name("S");
    report->add_option("-o,--output", ro.output, "Save the drawing here, as DXF")->type_name("FILE");
    report->add_option("--snapshot", ro.snapshot, "Write a PNG of the BOM Report dialog")->type_name("FILE");
    report->add_flag("--replace-table", ro.replaceTable,
                     "Insert refreshes the table placed before, in its place, rather than placing another");
    report->add_flag("--table-text", ro.tableText, "Write the table's cells as plain text, which every viewer shows");
    report->add_option("--text-height", ro.textHeight, "The height of the table's text (default 1.0)")->type_name("H");
    report->add_option("--csv", ro.csv, "Save the report as CSV (UTF-8, RFC 4180) too")->type_name("FILE");
    report->add_option("--xlsx", ro.xlsx, "Save the report as an XLSX workbook too")->type_name("FILE");
    report->add_option("--json", ro.json, "Save the report as JSON too")->type_name("FILE");
    report->add_option("--names", ro.names, "stored (default), or effective: a dynamic block's states under its own name")
        ->check(CLI::IsMember({"stored", "effective"}));
    report->add_flag("--nested", ro.nested, "Count the references inside counted blocks too, through every level");
    report->add_flag("--minsert", ro.minsert, "Count a MINSERT as its columns times its rows");
    report->add_flag("--skip-tables", ro.skipTables, "Leave this program's own table blocks (QVTnnnn) out");
    report->add_option("--key-attribute", ro.keyAttribute,
                       "Count a reference with this attribute under the attribute's value (a part number)")->type_name("TAG");
    report->add_option("--attributes", ro.attributes,
                       "Split the rows by the values of these attributes, shown after the name and as columns of "
                       "their own in CSV, XLSX and JSON")->type_name("TAG[,TAG...]");
    report->add_option("--references", ro.references,
                       "List every counted reference (layout, handle, layer, place, nesting, attributes) as CSV or JSON")
        ->type_name("FILE");
    report->add_option("--columns-by", ro.columnsBy,
                       "Split the quantity of CSV, XLSX and JSON into columns by drawing, layer or layout, or none "
                       "(default: drawing for several drawings, none for one)")
        ->type_name("WHAT");

    report->footer("Examples:\n  vantorel report plan.dxf --catalog prices.prc\n"
                   "  vantorel report plan.dxf --catalog prices.prc --sort Total:desc --text bom.txt\n"
                   "  vantorel report plan.dxf --catalog prices.prc --table 10,20 -o plan-priced.dxf\n"
                   "  vantorel report f1/plan.dxf f2/plan.dxf --catalog prices.prc --csv both.csv");

    CLI::App* scriptCommand = app.add_subcommand("script", "Replay a user's session written as a script");
    std::string scriptPath;
    scriptCommand->add_option("file", scriptPath, "The script: one step a line (see the README)")->required();
    scriptCommand->footer("Example:\n  vantorel script session.txt\nwith session.txt holding, say:\n"
                          "  open examples/office.dxf\n  command KXBOMT\n  click Open\n  file examples/office.prc\n"
                          "  click Close");

    CLI::App* gui = app.add_subcommand("gui", "Open the live editor: a drawing view and a command line");
    std::string guiDrawing;
    bool guiTrace = false;
    int guiWidth = 1280;
    int guiHeight = 800;
    gui->add_option("drawing", guiDrawing, "The drawing (DXF or DWG) to open");
    gui->add_flag("--trace", guiTrace, "Print what is asked and where each dialog lies, for tests that drive the window");
    gui->add_option("--width", guiWidth, "Width of the window in pixels (default 1280)");
    gui->add_option("--height", guiHeight, "Height of the window in pixels (default 800)");
    gui->footer("Example:\n  vantorel gui examples/office.dxf\nthen type KXBOMC at the command line");

    // The manual page and the completion need no subcommand.
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--manual-page" || argument == "--bash-completion") {
            std::fputs((argument == "--manual-page" ? ManualPage(app) : BashCompletion(app)).c_str(), stdout);
            return kExitOk;
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitOk : kExitUsage;
    }
    ro.scaleGiven = scaleOption->count() > 0;
    if (jobsOption->count() > 0 && ro.jobs < 1) {
        std::fprintf(stderr, "vantorel: --jobs takes a whole number from 1 up, the drawings read at once\n");
        return kExitUsage;
    }
    if (help->parsed()) {
        // Told as --help tells it, not as help of the help subcommand.
        if (helpTopic.empty()) {
            std::fputs(app.get_formatter()->make_help(&app, "vantorel", CLI::AppFormatMode::Normal).c_str(), stdout);
            return kExitOk;
        }
        for (CLI::App* sub : app.get_subcommands({})) {
            if (sub->get_name() == helpTopic) {
                std::fputs(sub->get_formatter()->make_help(sub, "vantorel " + helpTopic, CLI::AppFormatMode::Normal).c_str(),
                           stdout);
                return kExitOk;
            }
        }
        std::fprintf(stderr, "vantorel: there is no subcommand %s; vantorel help lists them\n", helpTopic.c_str());
        return kExitUsage;
    }

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
    // The catalogue dialogs take spreadsheets of prices while BOMFILEFORMATS is on; the module gets a catalogue.
    host.GetEditor().SetCatalogueConverter([](const std::string& spreadsheet, std::string& catalogue) {
        std::vector<std::string> problems;
        std::string error;
        bool converted = catalog::CatalogueForModule(spreadsheet, catalogue, problems, error);
        cad::Editor& editor = cad::Host::Instance().GetEditor();
        for (const std::string& problem : problems)
            editor.Print(problem + "\n");
        if (!converted) {
            editor.Print(error + "\n");
            return false;
        }
        editor.Print(spreadsheet + " is read as the catalogue " + catalogue + ": Save writes there, and vantorel "
                     "convert-catalog makes a spreadsheet of it again.\n");
        return true;
    });

    if (checkCatalog->parsed())
        return RunCatalogCheck(catalogs);
    if (convertCatalog->parsed())
        return RunConvertCatalog(convertIn, convertOut);
    if (plot->parsed())
        return RunPlot(plotArguments);

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
        hostapp::ListCommands(verboseCommands);
    } else if (run->parsed()) {
        std::size_t unanswered = host.GetEditor().InputErrors().size();
        std::size_t dialogs = ui::WindowSystem::Instance().DialogsWithoutUser().size();
        if (host.RunCommand(commandName) != cad::RtNorm)
            exitCode = kExitCommandFailed;
        std::fputs("\n", stdout);
        std::fflush(stdout);
        const std::vector<std::string>& opened = ui::WindowSystem::Instance().DialogsWithoutUser();
        if (opened.size() > dialogs) {
            std::fprintf(stderr, "vantorel: %s opens a dialog (%s): run it in vantorel gui or answer it with a script "
                                 "(vantorel script)\n",
                         commandName.c_str(), opened[dialogs].c_str());
            exitCode = kExitCommandFailed;
        } else if (host.GetEditor().InputErrors().size() > unanswered) {
            std::fprintf(stderr, "vantorel: %s asked for what no one answered here; vantorel script or vantorel "
                                 "report give the answers, vantorel gui lets you give them\n",
                         commandName.c_str());
            exitCode = kExitCommandFailed;
        }
    }
    host.Modules().UnloadAll();
    return exitCode;
}
