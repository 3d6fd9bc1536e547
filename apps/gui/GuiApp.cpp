#include "GuiApp.h"

#include "platform/cad/Host.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace gui {

namespace {
constexpr int kDragThreshold = 3;
constexpr int kPickPixels = 5;
constexpr double kWheelStep = 1.25;
const ui::Color kInk{255, 255, 255};

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A prompt as the command line shows it: on one line, without the line breaks the module puts around it.
std::string OneLine(const std::string& prompt) {
    std::string line;
    for (char c : prompt)
        if (c != '\n' && c != '\r')
            line += c;
    return line;
}

const char* RequestWord(cad::Request request) {
    switch (request) {
    case cad::Request::File: return "file";
    case cad::Request::Point: return "point";
    case cad::Request::Selection: return "selection";
    case cad::Request::Text: return "text";
    case cad::Request::Event: return "event";
    }
    return "?";
}

bool ParseXY(const std::string& text, double& x, double& y) {
    std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return false;
    char* end = nullptr;
    std::string first = text.substr(0, comma);
    std::string second = text.substr(comma + 1);
    x = std::strtod(first.c_str(), &end);
    if (first.empty() || !end || *end != '\0')
        return false;
    y = std::strtod(second.c_str(), &end);
    return !second.empty() && end && *end == '\0';
}
} // namespace

// ---- The view ------------------------------------------------------------------------------------------

void DrawingView::FitAll() {
    m_view.width = std::max(1, ClientRect().Width());
    m_view.height = std::max(1, ClientRect().Height());
    m_view.Fit(m_app.scene.Extents());
    m_fitted = true;
    SceneChanged();
}

void DrawingView::OnSize(ui::Size size) {
    m_view.width = std::max(1, size.width);
    m_view.height = std::max(1, size.height);
    if (!m_fitted && size.width > 0 && size.height > 0)
        FitAll();
    SceneChanged();
}

void DrawingView::OnPaint(ui::Canvas& canvas) {
    ui::Rect client = ClientRect();
    if (!m_scene || m_scene->Width() != client.Width() || m_scene->Height() != client.Height() || m_sceneDirty) {
        m_scene = std::make_unique<ui::Image>(client.Width(), client.Height());
        std::vector<cad::ObjectId> selected = m_app.input.Selected();
        std::sort(selected.begin(), selected.end());
        m_app.scene.Render(*m_scene, m_view, selected);
        m_sceneDirty = false;
    }
    canvas.DrawImage(*m_scene, 0, 0);
    // What the module draws for the moment, such as the rubber band of a table being placed.
    canvas.SetPen(ui::Pen{ui::Color{255, 220, 60}, 1, ui::PenStyle::Solid});
    for (const cad::ScreenVector& v : cad::Host::Instance().GetEditor().Screen())
        canvas.Line(static_cast<int>(m_view.ScreenX(v.from.x)), static_cast<int>(m_view.ScreenY(v.from.y)),
                    static_cast<int>(m_view.ScreenX(v.to.x)), static_cast<int>(m_view.ScreenY(v.to.y)));
    const LiveInput& input = m_app.input;
    if (input.Asking() && input.Request() == cad::Request::Selection && m_pressed &&
        (std::abs(m_cursor.x - m_pressAt.x) > kDragThreshold || std::abs(m_cursor.y - m_pressAt.y) > kDragThreshold)) {
        bool crossing = m_cursor.x < m_pressAt.x;
        canvas.SetPen(crossing ? ui::Pen{ui::Color{80, 220, 80}, 1, ui::PenStyle::Dot}
                               : ui::Pen{ui::Color{90, 140, 255}, 1, ui::PenStyle::Solid});
        canvas.SetHollowBrush();
        canvas.Rectangle(ui::Rect{std::min(m_pressAt.x, m_cursor.x), std::min(m_pressAt.y, m_cursor.y),
                                  std::max(m_pressAt.x, m_cursor.x) + 1, std::max(m_pressAt.y, m_cursor.y) + 1});
    }
    if (input.Asking() && client.Contains(m_cursor)) {
        canvas.SetPen(ui::Pen{kInk, 1, ui::PenStyle::Solid});
        canvas.Line(m_cursor.x - 10, m_cursor.y, m_cursor.x + 11, m_cursor.y);
        canvas.Line(m_cursor.x, m_cursor.y - 10, m_cursor.x, m_cursor.y + 11);
        if (input.Request() == cad::Request::Selection) {
            canvas.SetHollowBrush();
            canvas.Rectangle(ui::Rect{m_cursor.x - kPickPixels, m_cursor.y - kPickPixels, m_cursor.x + kPickPixels + 1,
                                      m_cursor.y + kPickPixels + 1});
        }
    }
}

void DrawingView::OnMouseDown(const ui::MouseEvent& event) {
    m_cursor = ui::Point{event.x, event.y};
    if (event.button != ui::MouseButton::Left) {
        m_panning = true;
        m_panFrom = m_cursor;
        SetCapture();
        return;
    }
    m_pressed = true;
    m_pressAt = m_cursor;
    SetCapture();
}

void DrawingView::OnMouseMove(const ui::MouseEvent& event) {
    m_cursor = ui::Point{event.x, event.y};
    if (m_panning) {
        m_view.centreX -= (m_cursor.x - m_panFrom.x) / m_view.scale;
        m_view.centreY += (m_cursor.y - m_panFrom.y) / m_view.scale;
        m_panFrom = m_cursor;
        SceneChanged();
        return;
    }
    if (m_app.input.Asking() && m_app.input.Request() == cad::Request::Event)
        m_app.input.Motion(m_view.WorldX(m_cursor.x), m_view.WorldY(m_cursor.y));
    Invalidate();
}

void DrawingView::OnMouseUp(const ui::MouseEvent& event) {
    m_cursor = ui::Point{event.x, event.y};
    if (m_panning && event.button != ui::MouseButton::Left) {
        m_panning = false;
        ReleaseCapture();
        return;
    }
    if (!m_pressed)
        return;
    m_pressed = false;
    ReleaseCapture();
    LiveInput& input = m_app.input;
    if (!input.Asking())
        return;
    double x = m_view.WorldX(m_cursor.x);
    double y = m_view.WorldY(m_cursor.y);
    bool dragged = std::abs(m_cursor.x - m_pressAt.x) > kDragThreshold || std::abs(m_cursor.y - m_pressAt.y) > kDragThreshold;
    switch (input.Request()) {
    case cad::Request::Selection:
        if (dragged) {
            Box box;
            box.Add(m_view.WorldX(m_pressAt.x), m_view.WorldY(m_pressAt.y));
            box.Add(x, y);
            input.Rectangle(box, m_cursor.x < m_pressAt.x);
        } else {
            input.Pick(x, y, kPickPixels / m_view.scale, (event.modifiers & ui::ModShift) != 0);
        }
        SceneChanged();
        break;
    case cad::Request::Point: input.Answer(cad::PointAnswer{cad::Point3d{x, y, 0.0}}); break;
    case cad::Request::Event: input.Answer(cad::InputEvent{cad::EventType::Pick, cad::Point3d{x, y, 0.0}, 0}); break;
    default: break;
    }
    Invalidate();
}

void DrawingView::OnMouseWheel(const ui::MouseEvent& event) {
    if (event.wheelDelta == 0)
        return;
    double x = m_view.WorldX(event.x);
    double y = m_view.WorldY(event.y);
    double factor = std::pow(kWheelStep, event.wheelDelta / 120.0);
    m_view.scale = std::clamp(m_view.scale * factor, 1e-9, 1e9);
    // The point under the cursor stays where it is.
    m_view.centreX = x - (event.x - m_view.width / 2.0) / m_view.scale;
    m_view.centreY = y - (m_view.height / 2.0 - event.y) / m_view.scale;
    SceneChanged();
}

// ---- The command line ----------------------------------------------------------------------------------

void CommandLine::OnPaint(ui::Canvas& canvas) {
    ui::Rect client = ClientRect();
    canvas.FillRect(client, ui::Color{245, 245, 240});
    canvas.SetFont(ui::Font{"Courier", 9, false});
    canvas.SetTextColor(ui::Color{0, 0, 0});
    int height = canvas.TextExtent("Ay").height;
    std::vector<std::string> lines;
    std::istringstream history(cad::Host::Instance().GetEditor().CommandLine());
    for (std::string line; std::getline(history, line);)
        if (!Trim(line).empty())
            lines.push_back(line);
    const LiveInput& input = m_app.input;
    std::string prompt = input.Asking() ? input.Prompt() : m_app.busy ? std::string() : std::string("Command: ");
    int shown = std::min<int>(kLines - 1, static_cast<int>(lines.size()));
    int y = client.bottom - 3 - height * (shown + 1);
    for (int i = static_cast<int>(lines.size()) - shown; i < static_cast<int>(lines.size()); ++i) {
        canvas.TextOut(4, y, lines[static_cast<std::size_t>(i)]);
        y += height;
    }
    canvas.TextOut(4, y, prompt + m_typed + (HasFocus() ? "_" : ""));
    canvas.SetPen(ui::Pen{ui::Color{160, 160, 160}, 1, ui::PenStyle::Solid});
    canvas.Line(0, 0, client.right, 0);
}

bool CommandLine::OnKeyDown(const ui::KeyEvent& event) {
    switch (event.key) {
    case ui::KeyEnter: {
        std::string typed = m_typed;
        ClearTyped();
        m_app.Submit(typed);
        return true;
    }
    case ui::KeyEscape:
        ClearTyped();
        m_app.Escape();
        return true;
    case ui::KeyBack:
        if (!m_typed.empty())
            m_typed.pop_back();
        Invalidate();
        return true;
    default: return false;
    }
}

void CommandLine::OnChar(unsigned character, unsigned) {
    if (character < 32 || character == 127)
        return;
    if (m_app.input.Asking() && m_app.input.Request() == cad::Request::Event) {
        m_app.input.Key(static_cast<int>(character));
        return;
    }
    m_typed += static_cast<char>(character);
    Invalidate();
}

void MainWindow::OnSize(ui::Size size) {
    int line = ui::MeasureText(ui::Font{"Courier", 9, false}, "Ay").height;
    int lineHeight = CommandLine::kLines * line + 6;
    view.Move(ui::Rect{0, 0, size.width, std::max(0, size.height - lineHeight)});
    commandLine.Move(ui::Rect{0, std::max(0, size.height - lineHeight), size.width, size.height});
}

void MainWindow::OnPaint(ui::Canvas& canvas) {
    canvas.FillRect(ClientRect(), ui::Color{40, 44, 52});
}

// ---- The file chooser ----------------------------------------------------------------------------------

namespace {
ui::DialogTemplate ChooserTemplate(const cad::FilePrompt& prompt) {
    using ui::ControlKind;
    using ui::Rect;
    constexpr unsigned kTab = ui::StyleVisible | ui::StyleTabStop;
    ui::DialogTemplate t;
    t.id = 9000;
    t.title = prompt.title.empty() ? "Choose a file" : prompt.title;
    t.units = Rect::FromSize(0, 0, 260, 172);
    t.controls = {
        {ControlKind::Static, -1, "Look in:", Rect::FromSize(7, 7, 40, 8), ui::StyleVisible},
        {ControlKind::Static, FileChooser::IdFolder, "", Rect::FromSize(50, 7, 203, 8), ui::StyleVisible},
        {ControlKind::ListBox, FileChooser::IdList, "", Rect::FromSize(7, 20, 246, 100), kTab | ui::StyleVScroll},
        {ControlKind::Static, -1, "File name:", Rect::FromSize(7, 128, 40, 8), ui::StyleVisible},
        {ControlKind::Edit, FileChooser::IdName, "", Rect::FromSize(50, 126, 203, 12), kTab},
        {ControlKind::Static, FileChooser::IdFilter, "Files of type: *." + prompt.extension, Rect::FromSize(7, 145, 140, 8), ui::StyleVisible},
        {ControlKind::Button, ui::kIdOk, "OK", Rect::FromSize(149, 152, 50, 14), kTab | ui::ButtonDefault},
        {ControlKind::Button, ui::kIdCancel, "Cancel", Rect::FromSize(203, 152, 50, 14), kTab},
    };
    return t;
}

bool HasExtension(const std::string& name, const std::string& extension) {
    std::string ext = std::filesystem::path(name).extension().string();
    return !ext.empty() && Upper(ext) == Upper("." + extension);
}
} // namespace

FileChooser::FileChooser(const cad::FilePrompt& prompt, const std::string& folder)
    : ui::Dialog(ChooserTemplate(prompt)), m_prompt(prompt), m_folder(folder) {}

bool FileChooser::OnInitDialog() {
    std::filesystem::path proposed(m_prompt.defaultName);
    std::error_code ignored;
    if (proposed.has_parent_path() && std::filesystem::is_directory(proposed.parent_path(), ignored))
        m_folder = std::filesystem::absolute(proposed.parent_path(), ignored).string();
    if (auto* name = Control(IdName))
        name->SetText(proposed.filename().string());
    Fill();
    if (auto* name = dynamic_cast<ui::EditBox*>(Control(IdName))) {
        name->SetFocus();
        name->SetSelection(0, -1);
        return false;
    }
    return true;
}

void FileChooser::Fill() {
    m_entries.clear();
    std::vector<std::string> folders;
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
        std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        std::error_code kindError;
        if (entry.is_directory(kindError))
            folders.push_back(name + "/");
        else if (m_prompt.extension.empty() || HasExtension(name, m_prompt.extension))
            files.push_back(name);
    }
    std::sort(folders.begin(), folders.end());
    std::sort(files.begin(), files.end());
    if (std::filesystem::path(m_folder).has_parent_path() && m_folder != "/")
        m_entries.push_back("../");
    m_entries.insert(m_entries.end(), folders.begin(), folders.end());
    m_entries.insert(m_entries.end(), files.begin(), files.end());
    if (auto* list = dynamic_cast<ui::ListBox*>(Control(IdList))) {
        list->ClearItems();
        for (const std::string& entry : m_entries)
            list->AddItem(entry);
    }
    if (auto* folder = Control(IdFolder))
        folder->SetText(m_folder);
}

void FileChooser::Enter(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::path next = std::filesystem::weakly_canonical(std::filesystem::path(m_folder) / folder, ignored);
    if (!std::filesystem::is_directory(next, ignored))
        return;
    m_folder = next.string();
    Fill();
}

void FileChooser::Accept() {
    auto* list = dynamic_cast<ui::ListBox*>(Control(IdList));
    std::string name = Control(IdName) ? Trim(Control(IdName)->Text()) : std::string();
    if (name.empty()) {
        int selected = list ? list->Selection() : -1;
        if (selected >= 0 && m_entries[static_cast<std::size_t>(selected)].back() == '/')
            Enter(m_entries[static_cast<std::size_t>(selected)]);
        return;
    }
    std::filesystem::path path = name[0] == '/' ? std::filesystem::path(name) : std::filesystem::path(m_folder) / name;
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        Enter(path.string());
        if (auto* edit = Control(IdName))
            edit->SetText("");
        return;
    }
    if ((m_prompt.flags & 1) && !m_prompt.extension.empty() && !path.has_extension())
        path += "." + m_prompt.extension;
    if ((m_prompt.flags & 2) && !std::filesystem::exists(path, ignored)) {
        ui::WindowSystem::Instance().MessageBox(this, path.string() + "\nFile not found.", Text(), ui::MessageBoxOk);
        return;
    }
    m_chosen = path.string();
    EndDialog(ui::kIdOk);
}

void FileChooser::OnCommand(int id, int code) {
    auto* list = dynamic_cast<ui::ListBox*>(Control(IdList));
    if (id == IdList && list && list->Selection() >= 0) {
        const std::string& entry = m_entries[static_cast<std::size_t>(list->Selection())];
        bool folder = entry.back() == '/';
        if (code == ui::NotifySelectionChange && !folder && Control(IdName))
            Control(IdName)->SetText(entry);
        if (code == ui::NotifyDoubleClicked) {
            if (folder)
                Enter(entry);
            else
                Accept();
        }
        return;
    }
    if (code == ui::NotifyClicked && id == ui::kIdOk) {
        Accept();
        return;
    }
    ui::Dialog::OnCommand(id, code);
}

// ---- The user's answers --------------------------------------------------------------------------------

bool LiveInput::Next(cad::Request request, const std::string& prompt, cad::Answer& answer, std::string&) {
    if (request == cad::Request::File) {
        cad::FilePrompt file;
        if (!cad::ParseFilePrompt(prompt, file))
            file.title = prompt;
        std::string path;
        if (m_app.ChooseFile(file, path))
            answer = cad::FileAnswer{path};
        else
            answer = cad::CancelAnswer{};
        return true;
    }
    if (request != cad::Request::Event)
        m_pending.clear();
    if (request == cad::Request::Event && !m_pending.empty()) {
        answer = std::move(m_pending.front());
        m_pending.pop_front();
        return true;
    }
    bool again = m_request == request && m_prompt == OneLine(prompt);
    m_request = request;
    m_prompt = OneLine(prompt);
    m_asking = true;
    m_answered = false;
    if (request == cad::Request::Selection)
        m_selected.clear();
    // The drag loop of a table asks for one event after another; one line says it began.
    if (!again || request != cad::Request::Event)
        m_app.Trace(std::string("request ") + RequestWord(request) + " \"" + m_prompt + "\"");
    // A selection starts with nothing highlighted; anything else only needs the cursor and vectors again.
    if (request == cad::Request::Selection)
        m_app.main.view.SceneChanged();
    else
        m_app.main.view.Invalidate();
    m_app.main.commandLine.Invalidate();
    ui::WindowSystem& system = ui::WindowSystem::Instance();
    bool ran = system.RunUntil([this] { return m_answered || m_app.quitting; });
    m_asking = false;
    m_app.main.commandLine.Invalidate();
    if (request == cad::Request::Selection) {
        m_selected.clear();
        m_app.main.view.SceneChanged();
    }
    answer = ran && m_answered ? m_answer : cad::Answer{cad::CancelAnswer{}};
    return true;
}

void LiveInput::Answer(cad::Answer answer) {
    if (!m_asking)
        return;
    if (m_answered) {
        // Input that comes in the same breath as the answer belongs to the module's next look at the mouse:
        // kept for it, except that a move is worth keeping only as the latest one.
        if (m_request == cad::Request::Event) {
            const auto* event = std::get_if<cad::InputEvent>(&answer);
            bool motion = event && event->type == cad::EventType::Motion;
            const auto* last = m_pending.empty() ? nullptr : std::get_if<cad::InputEvent>(&m_pending.back());
            if (motion && last && last->type == cad::EventType::Motion)
                m_pending.back() = std::move(answer);
            else
                m_pending.push_back(std::move(answer));
        }
        return;
    }
    m_answer = std::move(answer);
    m_answered = true;
}

void LiveInput::Pick(double x, double y, double tolerance, bool remove) {
    cad::ObjectId id = m_app.scene.Pick(x, y, tolerance);
    if (id == cad::kNullId)
        return;
    auto found = std::find(m_selected.begin(), m_selected.end(), id);
    if (remove && found != m_selected.end())
        m_selected.erase(found);
    else if (!remove && found == m_selected.end())
        m_selected.push_back(id);
    m_app.Trace("selected " + std::to_string(m_selected.size()));
}

void LiveInput::Rectangle(const Box& box, bool crossing) {
    for (cad::ObjectId id : m_app.scene.InBox(box, crossing))
        if (std::find(m_selected.begin(), m_selected.end(), id) == m_selected.end())
            m_selected.push_back(id);
    m_app.Trace("selected " + std::to_string(m_selected.size()));
}

void LiveInput::Motion(double x, double y) {
    Answer(cad::InputEvent{cad::EventType::Motion, cad::Point3d{x, y, 0.0}, 0});
}

void LiveInput::Key(int key) {
    if (m_asking && m_request == cad::Request::Event)
        Answer(cad::InputEvent{cad::EventType::Key, cad::Point3d{}, key});
}

void LiveInput::Escape() {
    Answer(cad::CancelAnswer{});
}

void LiveInput::Typed(const std::string& typed) {
    std::string text = Trim(typed);
    switch (m_request) {
    case cad::Request::Point: {
        double x = 0.0;
        double y = 0.0;
        if (text.empty())
            Answer(cad::EmptyAnswer{});
        else if (ParseXY(text, x, y))
            Answer(cad::PointAnswer{cad::Point3d{x, y, 0.0}});
        else
            m_app.PrintLine("Point or option keyword required.");
        break;
    }
    case cad::Request::Selection:
        if (Upper(text) == "ALL") {
            cad::SelectionAnswer all;
            all.everything = true;
            Answer(all);
        } else {
            Answer(cad::SelectionAnswer{false, m_selected});
        }
        break;
    case cad::Request::Text:
        if (text.empty())
            Answer(cad::EmptyAnswer{});
        else
            Answer(cad::TextAnswer{typed});
        break;
    case cad::Request::Event: Key(ui::KeyEnter); break;
    default: break;
    }
}

// ---- The application ------------------------------------------------------------------------------------

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
    scene.Build(cad::Host::Instance().WorkingDatabase());
    main.view.SceneChanged();
}

void GuiApp::RememberSaved() {
    m_savedObjects = cad::Host::Instance().WorkingDatabase().ObjectCount();
}

bool GuiApp::AskToSaveDrawing() {
    cad::Host& host = cad::Host::Instance();
    if (host.WorkingDatabase().ObjectCount() == m_savedObjects)
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
    if (!ChooseFile(cad::FilePrompt{"Open drawing", "", "dxf", 2}, path))
        return;
    cad::DxfResult result = cad::Host::Instance().OpenDrawing(path);
    if (!result.Ok()) {
        PrintLine("Cannot open " + path + ": " + result.detail);
        return;
    }
    for (const std::string& warning : result.warnings)
        PrintLine(path + ": " + warning);
    Reload();
    RememberSaved();
    main.view.FitAll();
}

bool GuiApp::SaveDrawing(bool askName) {
    cad::Host& host = cad::Host::Instance();
    std::string path;
    if (askName || !host.Documents().Current().HasFile()) {
        if (!ChooseFile(cad::FilePrompt{"Save drawing as", host.Documents().Current().Path(), "dxf", 1}, path))
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
    } else if (command == "ZOOM" || command == "Z") {
        main.view.FitAll();
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
    if (command.empty())
        return;
    PrintLine("Command: " + command);
    Trace("command " + command);
    ui::WindowSystem::Instance().Post([this, command] { RunTyped(command); });
}

void GuiApp::Escape() {
    if (input.Asking()) {
        input.Escape();
        return;
    }
    PrintLine("*Cancel*");
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
            PrintLine("Cannot open " + drawing + ": " + result.detail);
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
    std::size_t vectors = 0;
    backend.onFrame = [this, &host, &printed, &vectors] {
        if (host.GetEditor().CommandLine().size() != printed) {
            printed = host.GetEditor().CommandLine().size();
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
