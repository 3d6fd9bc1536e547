#include "GuiApp.h"
#include "GuiText.h"

#include "platform/cad/Host.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace gui {

void CommandLine::OnPaint(ui::Canvas& canvas) {
    ui::Rect client = ClientRect();
    canvas.FillRect(client, ui::Color{245, 245, 240});
    canvas.SetFont(ui::Font{"Courier", 9, false});
    canvas.SetTextColor(ui::Color{0, 0, 0});
    int height = canvas.TextExtent("Ay").height;
    std::vector<std::string> lines = ShownHistory();
    const LiveInput& input = m_app.input;
    std::string prompt = input.Asking() ? input.Prompt() : m_app.busy ? std::string() : std::string("Command: ");
    int last = static_cast<int>(lines.size()) - std::min(m_scroll, static_cast<int>(lines.size()));
    int shown = std::min<int>(kLines - 1, last);
    int y = client.bottom - 3 - height * (shown + 1);
    for (int i = last - shown; i < last; ++i) {
        canvas.TextOut(4, y, lines[static_cast<std::size_t>(i)]);
        y += height;
    }
    if (m_scroll > 0) {
        // Scrolled back: the line being typed says how to come back to it.
        canvas.SetTextColor(ui::Color{110, 110, 110});
        canvas.TextOut(4, y, "(" + std::to_string(m_scroll) + " more lines below: PageDown)");
    } else {
        canvas.TextOut(4, y, prompt + m_typed + (HasFocus() ? "_" : ""));
    }
    canvas.SetPen(ui::Pen{ui::Color{160, 160, 160}, 1, ui::PenStyle::Solid});
    canvas.Line(0, 0, client.right, 0);
}

std::vector<std::string> CommandLine::ShownHistory() const {
    const std::string& text = cad::Host::Instance().GetEditor().CommandLine();
    std::vector<std::string> lines;
    std::istringstream history(text);
    for (std::string line; std::getline(history, line);)
        if (!Trim(line).empty())
            lines.push_back(line);
    // A prompt the module printed and left open is the one on the line being typed.
    bool open = !text.empty() && text.back() != '\n';
    const LiveInput& input = m_app.input;
    if (open && input.Asking() && !lines.empty() && Trim(OneLine(lines.back())) == Trim(input.Prompt()))
        lines.pop_back();
    return lines;
}

bool CommandLine::OnKeyDown(const ui::KeyEvent& event) {
    bool control = (event.modifiers & ui::ModControl) != 0;
    if (control && (event.key == 'Z' || event.key == 'Y')) {
        if (!m_app.input.Asking() && !m_app.busy) {
            ClearTyped();
            m_app.Submit(event.key == 'Z' ? "U" : "REDO");
        }
        return true;
    }
    if (event.key == ui::KeyPageUp || event.key == ui::KeyPageDown) {
        Scroll(event.key == ui::KeyPageUp ? kLines - 1 : -(kLines - 1));
        return true;
    }
    if (event.key == ui::KeyF2) {
        HistoryWindow window(ShownHistory());
        window.DoModal(Parent());
        return true;
    }
    if (event.key == ui::KeyF1) {
        if (!m_app.input.Asking() && !m_app.busy)
            m_app.Submit("HELP");
        return true;
    }
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

void CommandLine::Scroll(int lines) {
    int most = std::max(0, static_cast<int>(ShownHistory().size()) - (kLines - 1));
    m_scroll = std::clamp(m_scroll + lines, 0, most);
    Invalidate();
}

void CommandLine::OnMouseWheel(const ui::MouseEvent& event) {
    if (event.wheelDelta != 0)
        Scroll(event.wheelDelta > 0 ? 3 : -3);
}

void StatusBar::SetCursor(double x, double y) {
    char text[96];
    std::snprintf(text, sizeof text, "X %.4f  Y %.4f", x, y);
    m_coordinates = text;
    Invalidate();
}

void StatusBar::SetLayouts(std::vector<std::string> names, const std::string& current) {
    m_names = std::move(names);
    m_layout = current;
    Invalidate();
}

ui::Rect StatusBar::TabOf(const std::string& name) const {
    for (std::size_t i = 0; i < m_names.size() && i < m_tabs.size(); ++i)
        if (m_names[i] == name)
            return m_tabs[i];
    return ui::Rect{};
}

void StatusBar::OnPaint(ui::Canvas& canvas) {
    ui::Rect client = ClientRect();
    canvas.FillRect(client, ui::Color{225, 226, 222});
    canvas.SetFont(ui::Font{"Courier", 9, false});
    canvas.SetTextColor(ui::Color{30, 30, 30});
    canvas.TextOut(4, 2, m_coordinates);
    // The tabs from the right edge leftwards, in the drawing's order: Model first.
    m_tabs.assign(m_names.size(), ui::Rect{});
    int right = client.right - 4;
    for (std::size_t k = m_names.size(); k-- > 0;) {
        int width = canvas.TextExtent(m_names[k]).width + 12;
        ui::Rect tab{right - width, client.top + 1, right, client.bottom};
        if (tab.left < client.left + 200)
            break; // no room: the coordinates keep theirs
        bool shown = m_names[k] == m_layout;
        canvas.FillRect(tab, shown ? ui::Color{255, 255, 255} : ui::Color{205, 207, 202});
        canvas.FrameRect(tab, ui::Color{140, 142, 138});
        canvas.TextOut(tab.left + 6, 2, m_names[k]);
        m_tabs[k] = tab;
        right = tab.left - 2;
    }
}

void StatusBar::OnMouseDown(const ui::MouseEvent& event) {
    // While a command runs, the layout on view stays: its points are in that layout's space.
    if (m_app.input.Asking() || m_app.busy)
        return;
    for (std::size_t k = 0; k < m_tabs.size(); ++k)
        if (m_tabs[k].Contains(ui::Point{event.x, event.y}) && m_names[k] != m_layout)
            m_app.ShowLayout(m_names[k]);
}

namespace {
ui::DialogTemplate HistoryTemplate() {
    using ui::Rect;
    ui::DialogTemplate t;
    t.id = 9100;
    t.title = "Command history";
    t.units = Rect::FromSize(0, 0, 320, 220);
    t.controls = {
        {ui::ControlKind::ListBox, HistoryWindow::IdLines, "", Rect::FromSize(7, 7, 306, 184),
         ui::StyleVisible | ui::StyleTabStop | ui::StyleVScroll},
        {ui::ControlKind::Button, ui::kIdOk, "Close", Rect::FromSize(263, 199, 50, 14),
         ui::StyleVisible | ui::StyleTabStop | ui::ButtonDefault},
    };
    return t;
}
} // namespace

HistoryWindow::HistoryWindow(std::vector<std::string> lines) : ui::Dialog(HistoryTemplate()), m_lines(std::move(lines)) {}

bool HistoryWindow::OnInitDialog() {
    if (auto* list = dynamic_cast<ui::ListBox*>(Control(IdLines))) {
        for (const std::string& line : m_lines)
            list->AddItem(line);
        // Opened at its end, where the last command is.
        if (!m_lines.empty())
            list->SetSelection(static_cast<int>(m_lines.size()) - 1);
    }
    return true;
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
    int statusHeight = line + 4;
    int bottom = std::max(0, size.height - lineHeight);
    view.Move(ui::Rect{0, 0, size.width, std::max(0, bottom - statusHeight)});
    status.Move(ui::Rect{0, std::max(0, bottom - statusHeight), size.width, bottom});
    commandLine.Move(ui::Rect{0, bottom, size.width, size.height});
}

void MainWindow::OnPaint(ui::Canvas& canvas) {
    canvas.FillRect(ClientRect(), ui::Color{40, 44, 52});
}

} // namespace gui
