#include "GuiApp.h"
#include "GuiText.h"

#include "platform/cad/Host.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
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

} // namespace gui
