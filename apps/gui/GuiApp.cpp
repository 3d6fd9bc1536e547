#include "GuiApp.h"

#include "render/Plot.h"
#include "GuiText.h"

#include "platform/cad/Host.h"
#include "platform/cad/HostCommands.h"
#include "platform/text/CodePage.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace gui {

namespace {
// A drawing that cannot be read, said once: the reader's words name the file already, but for a fault at a line.
std::string DescribeFailure(const std::string& path, const cad::DxfResult& result) {
    std::string detail = result.line > 0 ? path + ", " + result.Place() + ": " + result.detail
                                         : result.detail;
    if (result.line == 0 && detail.find(path) == std::string::npos)
        detail = path + ": " + detail;
    if (!detail.empty() && detail[0] >= 'a' && detail[0] <= 'z')
        detail[0] = static_cast<char>(detail[0] - 'a' + 'A');
    return detail;
}

// The live editor's own commands; the editor's and the modules' are listed after them.
struct OwnCommand {
    const char* name;
    const char* help;
};
constexpr OwnCommand kOwnCommands[] = {
    {"OPEN", "open a drawing"},
    {"SAVE", "save the drawing"},
    {"SAVEAS", "save the drawing under a new name"},
    {"PLOT", "plot the drawing (the layout shown) to a PNG, PDF or SVG file"},
    {"LAYOUT", "show model space or a paper-space layout, by its tab's name"},
    {"LAYER", "list the layers; turn them on or off, freeze or thaw them (U undoes it)"},
    {"ZOOM", "Extents (the whole drawing), Window (two corners), Previous, or a scale such as 2 or 0.5; the wheel "
             "zooms about the pointer"},
    {"PAN", "move the view from a base point to a second point; a held middle or right button pans too"},
    {"BOMFIND", "highlight and zoom to the references the report counts under a name, as the counting switches "
                "stand; Escape clears"},
    {"HELP", "this list (F1)"},
    {"QUIT", "leave the editor"},
};
} // namespace

GuiApp::GuiApp() : main(*this), input(*this) {}

GuiApp::~GuiApp() {
    cad::Host& host = cad::Host::Instance();
    host.GetEditor().SetInput(nullptr);
    host.GetEditor().SetAlertShower(nullptr);
    host.SetMainWindow(nullptr);
    ui::WindowSystem::Instance().SetBackend(nullptr);
}

void GuiApp::Trace(const std::string& line) {
    if (!m_trace)
        return;
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void GuiApp::PrintLine(const std::string& text) {
    main.commandLine.ScrollToEnd();
    cad::Editor& editor = cad::Host::Instance().GetEditor();
    // A prompt the module left open on its line is ended first.
    bool open = !editor.CommandLine().empty() && editor.CommandLine().back() != '\n';
    editor.Print((open ? "\n" : "") + text + "\n");
    main.commandLine.Invalidate();
}

void GuiApp::TraceModal() {
    if (!m_trace)
        return;
    ui::Window* modal = ui::WindowSystem::Instance().Modal();
    std::vector<std::string> lines;
    if (!modal) {
        lines.push_back("modal none");
    } else {
        ui::Rect r = modal->ScreenRect();
        lines.push_back("modal \"" + modal->Text() + "\" at " + std::to_string(r.left) + "," + std::to_string(r.top) +
                        " size " + std::to_string(r.Width()) + "," + std::to_string(r.Height()));
        for (const ui::Window* child : modal->Children()) {
            ui::Rect c = child->ScreenRect();
            lines.push_back("  control " + std::to_string(child->Id()) + " \"" + child->Text() + "\" at " +
                            std::to_string(c.left) + "," + std::to_string(c.top) + " size " + std::to_string(c.Width()) +
                            "," + std::to_string(c.Height()));
            TraceParts(*child, lines);
        }
    }
    // Told again whenever it changes: a grid that appears, a label that shows another file.
    if (lines == m_tracedModal)
        return;
    m_tracedModal = lines;
    for (const std::string& line : lines)
        Trace(line);
}

// A grid's column headings and its first cells, found the way a scripted click finds them.
void GuiApp::TraceParts(const ui::Window& window, std::vector<std::string>& lines) {
    auto place = [&](const ui::Rect& rect) {
        ui::Point at = window.ClientToScreen(ui::Point{rect.left, rect.top});
        return std::to_string(at.x) + "," + std::to_string(at.y) + " size " + std::to_string(rect.Width()) + "," +
               std::to_string(rect.Height());
    };
    ui::Rect rect;
    for (int col = 0; col < 16; ++col)
        if (window.FindItem("#" + std::to_string(col), rect))
            lines.push_back("  heading " + std::to_string(col) + " at " + place(rect));
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col)
            if (window.FindItem("cell:" + std::to_string(col) + ":" + std::to_string(row), rect))
                lines.push_back("  cell " + std::to_string(col) + " " + std::to_string(row) + " at " + place(rect));
    for (const ui::Window* child : window.Children())
        TraceParts(*child, lines);
}

// What was read worth telling, on the command line: the reader's warnings, and what of a damaged drawing was left out.
void GuiApp::TellWhatWasRead(const std::string& path, const cad::DxfResult& result) {
    for (const std::string& warning : result.warnings)
        PrintLine(path + ": " + warning);
    for (const std::string& note : result.DamageNotes(path))
        PrintLine(note);
}

bool GuiApp::ChooseFile(const cad::FilePrompt& prompt, std::string& path) {
    Trace("file dialog \"" + cad::FormatFilePrompt(prompt) + "\"");
    std::error_code ignored;
    FileChooser chooser(prompt, std::filesystem::current_path(ignored).string());
    if (chooser.DoModal(&main) != ui::kIdOk)
        return false;
    path = chooser.Chosen();
    Trace("file \"" + path + "\"");
    return true;
}

void GuiApp::Reload() {
    const cad::Database& database = cad::Host::Instance().WorkingDatabase();
    if (&database != m_spaceOf) {
        m_spaceOf = &database;
        m_space = cad::kNullId;
    }
    std::vector<std::string> names;
    std::string current = "Model";
    for (const render::LayoutEntry& layout : render::Layouts(database)) {
        names.push_back(layout.name);
        if (layout.block == (m_space == cad::kNullId ? database.ModelSpaceId() : m_space))
            current = layout.name;
    }
    main.status.SetLayouts(std::move(names), current);
    bool opened = &database != m_notedDrawing;
    scene.Refresh(database, false, m_space);
    // The drawing's own switch at first; SETVAR changes it for the view.
    if (opened) {
        [[maybe_unused]] int set = cad::Host::Instance().GetEditor().SetVariable(
            "LWDISPLAY", cad::VariableValue{static_cast<std::int16_t>(scene.Look().lineweightDisplay ? 1 : 0)});
    }
    UpdateTitle();
    // What the view cannot draw is said once for each drawing opened, not after every command.
    if (&database != m_notedDrawing) {
        m_notedDrawing = &database;
        for (const std::string& note : scene.Notes())
            cad::Host::Instance().GetEditor().Print("\n" + note + "\n");
    }
    main.view.SceneChanged();
}

void GuiApp::UpdateTitle() {
    const cad::Document& document = cad::Host::Instance().Documents().Current();
    std::string name = document.HasFile() ? std::filesystem::path(document.Path()).filename().string() : "Drawing1";
    bool changed = cad::Host::Instance().WorkingDatabase().UndoState() != m_savedState;
    backend.SetTitle(textkit::Active().ToUtf8(name) + (changed ? "*" : "") + " - Vantorel");
}

void GuiApp::RememberSaved() {
    m_savedState = cad::Host::Instance().WorkingDatabase().UndoState();
    UpdateTitle();
}

bool GuiApp::AskToSaveDrawing() {
    cad::Host& host = cad::Host::Instance();
    if (host.WorkingDatabase().UndoState() == m_savedState)
        return true;
    const cad::Document& document = host.Documents().Current();
    std::string name = document.HasFile() ? document.Path() : std::string("the new drawing");
    int answer = ui::WindowSystem::Instance().MessageBox(&main, "Save changes to " + name + "?", "Vantorel",
                                                         ui::MessageBoxYesNoCancel);
    if (answer == ui::ResultYes)
        return SaveDrawing(false);
    return answer == ui::ResultNo;
}

void GuiApp::OpenDrawing() {
    if (!AskToSaveDrawing())
        return;
    std::string path;
    if (!ChooseFile(cad::FilePrompt{"Open drawing", "", "dxf;dwg", 2}, path))
        return;
    cad::DxfResult result = cad::Host::Instance().OpenDrawing(path);
    if (!result.Ok()) {
        PrintLine(DescribeFailure(path, result));
        return;
    }
    TellWhatWasRead(path, result);
    Reload();
    RememberSaved();
    main.view.FitAll();
}

bool GuiApp::SaveDrawing(bool askName) {
    cad::Host& host = cad::Host::Instance();
    const cad::Document& document = host.Documents().Current();
    std::string path;
    std::string proposed = document.Path();
    // A drawing read from DWG goes to DXF under a name of its own: SAVE asks for it, proposing the same name.
    if (document.FromDwg()) {
        PrintLine("The drawing was read from DWG, which cannot be written here: it is saved as DXF.");
        proposed = std::filesystem::path(proposed).replace_extension(".dxf").string();
        askName = true;
    }
    if (askName || !document.HasFile()) {
        if (!ChooseFile(cad::FilePrompt{"Save drawing as", proposed, "dxf", 1}, path))
            return false;
    }
    cad::DxfResult saved = host.SaveDrawing(path);
    if (!saved.Ok()) {
        PrintLine("Cannot save the drawing: " + saved.detail);
        return false;
    }
    RememberSaved();
    PrintLine("Saved " + host.Documents().Current().Path());
    Trace("saved \"" + host.Documents().Current().Path() + "\"");
    return true;
}

void GuiApp::PlotDrawing() {
    const cad::Document& document = cad::Host::Instance().Documents().Current();
    std::string proposed = document.HasFile()
                               ? std::filesystem::path(document.Path()).replace_extension(".png").string()
                               : std::string("plot.png");
    render::PlotOptions options;
    // The layout on view is the one plotted.
    for (const render::LayoutEntry& layout : render::Layouts(cad::Host::Instance().WorkingDatabase()))
        if (m_space != cad::kNullId && layout.block == m_space)
            options.layout = layout.name;
    if (!ChooseFile(cad::FilePrompt{"Plot to file", proposed, "png;pdf;svg", 1}, options.output))
        return;
    std::string why;
    std::vector<std::string> notes; // said when the drawing was opened
    if (!render::PlotDrawing(cad::Host::Instance().WorkingDatabase(), options, why, notes)) {
        PrintLine("Cannot plot: " + why);
        return;
    }
    PrintLine("Plotted " + options.output);
    Trace("plotted \"" + options.output + "\"");
}

void GuiApp::RunTyped(const std::string& command) {
    busy = true;
    main.commandLine.Invalidate();
    cad::Host& host = cad::Host::Instance();
    if (command == "QUIT" || command == "EXIT") {
        quitting = AskToSaveDrawing();
    } else if (command == "OPEN") {
        OpenDrawing();
    } else if (command == "SAVE" || command == "QSAVE") {
        SaveDrawing(false);
    } else if (command == "SAVEAS") {
        SaveDrawing(true);
    } else if (command == "PLOT") {
        PlotDrawing();
    } else if (command == "LAYER" || command == "LA") {
        Layers();
    } else if (command == "LAYOUT") {
        ChooseLayout();
    } else if (command == "ZOOM" || command == "Z") {
        Zoom();
    } else if (command == "PAN" || command == "P") {
        PanByPoints();
    } else if (command == "BOMFIND") {
        FindReferences();
    } else if (command == "HELP" || command == "?") {
        PrintHelp();
    } else {
        // What the command did it has said on the command line; its status adds nothing for the user.
        [[maybe_unused]] int status = host.RunCommand(command);
        std::size_t open = host.WorkingDatabase().OpenObjectCount();
        if (open > 0)
            PrintLine(std::to_string(open) + " object(s) of the drawing were left open");
        Reload();
    }
    busy = false;
    main.commandLine.Invalidate();
    if (!quitting)
        Trace("ready");
}

void GuiApp::Submit(const std::string& typed) {
    if (input.Asking()) {
        input.Typed(typed);
        return;
    }
    if (busy)
        return;
    std::string command = Upper(Trim(typed));
    // Enter on an empty line runs the last command again.
    if (command.empty())
        command = m_lastCommand;
    if (command.empty())
        return;
    m_lastCommand = command;
    PrintLine("Command: " + command);
    Trace("command " + command);
    ui::WindowSystem::Instance().Post([this, command] { RunTyped(command); });
}

void GuiApp::Escape() {
    if (input.Asking()) {
        input.Escape();
        return;
    }
    input.ClearPreselection();
    PrintLine("Command: *Cancel*");
}

void GuiApp::OpenPrompt() {
    cad::Editor& editor = cad::Host::Instance().GetEditor();
    const std::string& history = editor.CommandLine();
    std::size_t newline = history.rfind('\n');
    std::string last = history.substr(newline == std::string::npos ? 0 : newline + 1);
    // Where the module printed the prompt itself, that line is the one to go on.
    if (!last.empty() && Trim(OneLine(last)) == Trim(input.Prompt()))
        return;
    editor.Print((last.empty() ? "" : "\n") + input.Prompt());
}

void GuiApp::EchoTyped(const std::string& typed) {
    OpenPrompt();
    cad::Host::Instance().GetEditor().Print(typed + "\n");
    main.commandLine.Invalidate();
}

void GuiApp::PrintHelp() {
    PrintLine("Commands:");
    for (const OwnCommand& command : kOwnCommands)
        PrintLine(std::string("  ") + command.name + " - " + command.help);
    for (const cad::HostCommand& command : cad::HostCommands())
        PrintLine(std::string("  ") + command.name + " - " + command.help);
    for (const cad::Command& command : cad::Host::Instance().Commands().Commands())
        PrintLine("  " + command.localName + " - command of " + command.group);
    PrintLine("Enter on an empty line repeats the last command; Ctrl+Z is U, Ctrl+Y is REDO.");
}

int GuiApp::Run(const std::string& drawing, bool trace, int width, int height) {
    m_trace = trace;
    cad::Host& host = cad::Host::Instance();
    std::string error;
    if (!backend.Open("Vantorel", width, height, error)) {
        std::fprintf(stderr, "vantorel: %s\n", error.c_str());
        return 1;
    }
    ui::WindowSystem& system = ui::WindowSystem::Instance();
    system.SetBackend(&backend);
    main.Create(nullptr, ui::Rect{0, 0, width, height}, 0, "Vantorel", ui::StyleVisible);
    main.view.Create(&main, ui::Rect{}, 1, "", ui::StyleVisible);
    main.status.Create(&main, ui::Rect{}, 3, "", ui::StyleVisible);
    main.commandLine.Create(&main, ui::Rect{}, 2, "", ui::StyleVisible | ui::StyleTabStop);
    main.OnSize(ui::Size{width, height});
    host.SetMainWindow(&main);
    host.GetEditor().SetInput(&input);
    host.GetEditor().SetAlertShower([this](const std::string& message) {
        Trace("alert \"" + message + "\"");
        ui::WindowSystem& windows = ui::WindowSystem::Instance();
        ui::Window* owner = windows.Modal() ? windows.Modal() : &main;
        [[maybe_unused]] int closed = windows.MessageBox(owner, message, "Vantorel", ui::MessageBoxOk);
    });
    if (!drawing.empty()) {
        cad::DxfResult result = host.OpenDrawing(drawing);
        if (!result.Ok())
            PrintLine(DescribeFailure(drawing, result));
        else
            TellWhatWasRead(drawing, result);
    }
    Reload();
    RememberSaved();
    main.view.FitAll();
    main.commandLine.SetFocus();
    backend.onResize = [this](int w, int h) {
        main.Move(ui::Rect{0, 0, w, h});
        main.OnSize(ui::Size{w, h});
    };
    // Closing the window is QUIT, asked between commands so that nothing of the drawing is lost unasked.
    backend.onQuit = [this] {
        if (busy) {
            PrintLine("Finish or cancel the command first.");
            return;
        }
        ui::WindowSystem::Instance().Post([this] { RunTyped("QUIT"); });
    };
    std::size_t printed = host.GetEditor().CommandLine().size();
    std::size_t traced = printed;
    std::size_t vectors = 0;
    backend.onFrame = [this, &host, &printed, &traced, &vectors] {
        const std::string& history = host.GetEditor().CommandLine();
        if (history.size() != printed) {
            // Each line as it is completed, for the tests that read what the user reads.
            if (traced > history.size())
                traced = 0;
            for (std::size_t end = history.find('\n', traced); end != std::string::npos;
                 end = history.find('\n', traced)) {
                Trace("line \"" + history.substr(traced, end - traced) + "\"");
                traced = end + 1;
            }
            printed = history.size();
            main.commandLine.Invalidate();
        }
        if (host.GetEditor().Screen().size() != vectors || !host.GetEditor().Screen().empty()) {
            vectors = host.GetEditor().Screen().size();
            main.view.Invalidate();
        }
        if (!ui::WindowSystem::Instance().Focus() && !ui::WindowSystem::Instance().Modal())
            main.commandLine.SetFocus();
        TraceModal();
    };
    ui::Rect view = main.view.ScreenRect();
    const ViewTransform& t = main.view.View();
    Trace("view at " + std::to_string(view.left) + "," + std::to_string(view.top) + " size " +
          std::to_string(view.Width()) + "," + std::to_string(view.Height()) + " centre " + std::to_string(t.centreX) +
          "," + std::to_string(t.centreY) + " scale " + std::to_string(t.scale));
    Trace("ready");
    system.RunUntil([this] { return quitting || backend.QuitRequested(); });
    main.Destroy();
    return 0;
}

} // namespace gui
