#pragma once

#include "render/Scene.h"

#include "platform/cad/Input.h"
#include "platform/cad/dxf/DxfTags.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/SdlBackend.h"
#include "platform/ui/Window.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

// The live editor: a desktop window with a view of model space and a command line, in which the user runs
// the module's commands with the real mouse and keyboard.
namespace gui {

using render::Box;
using render::Scene;
using render::ViewTransform;


class GuiApp;

// Model space in view: zoom with the wheel, pan with the middle or right button held; picks, selection
// rectangles and the module's temporary vectors drawn over it.
class DrawingView : public ui::Window {
public:
    explicit DrawingView(GuiApp& app) : m_app(app) {}
    void SceneChanged() { m_sceneDirty = true; Invalidate(); }
    void FitAll();
    const ViewTransform& View() const { return m_view; }
    // The view changed by a command, the one before it kept for ZOOM Previous.
    void ZoomWindow(const Box& box);
    void ZoomScale(double factor);
    void Pan(double dx, double dy);
    // False when there is no view before this one.
    bool ZoomPrevious();

    void OnPaint(ui::Canvas& canvas) override;
    void OnSize(ui::Size size) override;
    void OnMouseDown(const ui::MouseEvent& event) override;
    void OnMouseUp(const ui::MouseEvent& event) override;
    void OnMouseMove(const ui::MouseEvent& event) override;
    void OnMouseWheel(const ui::MouseEvent& event) override;
    void OnDoubleClick(const ui::MouseEvent& event) override { OnMouseDown(event); }
    bool TakesFocus() const override { return false; }

private:
    GuiApp& m_app;
    ViewTransform m_view;
    bool m_fitted = false;
    bool m_sceneDirty = true;
    std::unique_ptr<ui::Image> m_scene;
    // A press of the left button, until it is let go: a pick, or the first corner of a rectangle.
    bool m_pressed = false;
    ui::Point m_pressAt;
    ui::Point m_cursor;
    bool m_panning = false;
    ui::Point m_panFrom;
    std::vector<ViewTransform> m_previous;
    void Remember();
};

// The history of the command line above the line being typed, with the prompt of whatever is asked.
class CommandLine : public ui::Window {
public:
    static constexpr int kLines = 6;
    explicit CommandLine(GuiApp& app) : m_app(app) {}
    const std::string& Typed() const { return m_typed; }
    void ClearTyped() { m_typed.clear(); Invalidate(); }

    void OnPaint(ui::Canvas& canvas) override;
    bool OnKeyDown(const ui::KeyEvent& event) override;
    void OnChar(unsigned character, unsigned modifiers) override;
    void OnMouseDown(const ui::MouseEvent&) override { SetFocus(); }
    unsigned WantedKeys(const ui::KeyEvent&) const override { return ui::WantAllKeys; }
    // The history as shown: a prompt that the module printed and that is asked now shows once, where it is
    // being answered.
    std::vector<std::string> ShownHistory() const;
    bool TakesFocus() const override { return true; }
    // The wheel, PageUp and PageDown scroll the history; anything new shows its end again.
    void OnMouseWheel(const ui::MouseEvent& event) override;
    int Scrolled() const { return m_scroll; }
    void ScrollToEnd() { m_scroll = 0; Invalidate(); }

private:
    void Scroll(int lines);
    GuiApp& m_app;
    std::string m_typed;
    int m_scroll = 0; // lines of history hidden below the shown ones
};

// The cursor's drawing coordinates, and a tab for each of the drawing's layouts, the one on view marked: a click on
// another shows it, as LAYOUT does.
class StatusBar : public ui::Window {
public:
    explicit StatusBar(GuiApp& app) : m_app(app) {}
    void SetCursor(double x, double y);
    void SetLayouts(std::vector<std::string> names, const std::string& current);
    const std::string& Layout() const { return m_layout; }
    // "X 12.5000  Y 3.2500", or empty while the pointer is outside the view.
    const std::string& Coordinates() const { return m_coordinates; }
    // Where the tab of the layout is, as last painted; empty when it has none.
    ui::Rect TabOf(const std::string& name) const;
    void OnPaint(ui::Canvas& canvas) override;
    void OnMouseDown(const ui::MouseEvent& event) override;
    bool TakesFocus() const override { return false; }

private:
    GuiApp& m_app;
    std::string m_coordinates;
    std::string m_layout = "Model";
    std::vector<std::string> m_names{"Model"};
    std::vector<ui::Rect> m_tabs;
};

// F2: the whole history of the command line in a window of its own, to scroll through and read.
class HistoryWindow : public ui::Dialog {
public:
    enum ControlId : int { IdLines = 10 };
    explicit HistoryWindow(std::vector<std::string> lines);
    bool OnInitDialog() override;

private:
    std::vector<std::string> m_lines;
};

// The desktop window's whole area: the view above the command line.
class MainWindow : public ui::Window {
public:
    explicit MainWindow(GuiApp& app) : view(app), status(app), commandLine(app) {}
    void OnSize(ui::Size size) override;
    void OnPaint(ui::Canvas& canvas) override;
    // Whatever gives the window the focus (a dialog closing, say), typing goes to the command line.
    void OnFocusGained(ui::Window*) override { commandLine.SetFocus(); }
    DrawingView view;
    StatusBar status;
    CommandLine commandLine;
};

// A file chosen in a folder listing: folders to go into, the files of one extension, a name to type.
class FileChooser : public ui::Dialog {
public:
    enum ControlId : int { IdFolder = 10, IdList = 11, IdName = 12, IdFilter = 13 };
    FileChooser(const cad::FilePrompt& prompt, const std::string& folder);
    const std::string& Chosen() const { return m_chosen; }

    bool OnInitDialog() override;
    void OnCommand(int id, int code) override;
    void OnOK() override { Accept(); }

private:
    void Fill();
    void Enter(const std::string& folder);
    void Accept();
    cad::FilePrompt m_prompt;
    std::string m_folder;
    std::vector<std::string> m_entries; // the names the list shows, as on disk: folders end with "/"
    std::string m_picked;               // the file last picked in the list, as on disk
    std::string m_chosen;
};

// The user's answers to the editor's requests, given through the live window.
class LiveInput : public cad::InputSource {
public:
    explicit LiveInput(GuiApp& app) : m_app(app) {}
    bool Next(cad::Request request, const std::string& prompt, cad::Answer& answer, std::string& error) override;
    // The chooser has asked already, and gone back to choosing on No.
    bool ConfirmReplace(const cad::FilePrompt&, const std::string&) override { return true; }

    bool Asking() const { return m_asking; }
    cad::Request Request() const { return m_request; }
    const std::string& Prompt() const { return m_prompt; }
    const std::vector<cad::ObjectId>& Selected() const { return m_selected; }
    // What the user does meanwhile.
    void Pick(double x, double y, double tolerance, bool remove);
    void Rectangle(const Box& box, bool crossing);
    // Every object of model space joins the selection, which goes on.
    void SelectAll();
    // Every object of model space on the layer (any case); said when there is no such layer.
    void SelectLayer(const std::string& name);
    // Objects picked while nothing was asked: the selection the next command that asks for one gets (when
    // PICKFIRST is on). Escape clears them.
    const std::vector<cad::ObjectId>& Preselected() const { return m_preselected; }
    void Preselect(const std::vector<cad::ObjectId>& ids);
    void ClearPreselection();
    void Motion(double x, double y);
    void Typed(const std::string& text);
    void Key(int key);
    void Escape();
    void Answer(cad::Answer answer);

private:
    GuiApp& m_app;
    bool m_asking = false;
    bool m_answered = false;
    cad::Request m_request = cad::Request::Text;
    std::string m_prompt;
    cad::Answer m_answer;
    std::deque<cad::Answer> m_pending;
    std::vector<cad::ObjectId> m_selected;
    std::vector<cad::ObjectId> m_preselected;
    // "3 found" the first time, "2 found, 5 total" after; duplicates and removals said as such.
    void SayFound(std::size_t found, std::size_t duplicates, std::size_t removed);
    void Add(const std::vector<cad::ObjectId>& ids);
    bool m_saidFound = false;
};

class GuiApp {
public:
    GuiApp();
    ~GuiApp();
    // Opens the window (and the drawing, when given) and runs until the user quits; the exit code.
    int Run(const std::string& drawing, bool trace, int width, int height);

    // The command line's Enter with what was typed (an empty line repeats the last command), and its Escape.
    void Submit(const std::string& typed);
    void Escape();
    // An answer typed at a prompt, into the history after its prompt.
    void EchoTyped(const std::string& typed);
    // The prompt being answered as the history's last, open line, for what the answer says there.
    void OpenPrompt();
    // The commands a user can type here, a line each, on the command line.
    void PrintHelp();
    void Trace(const std::string& line);
    // A file through the chooser; false when the user cancelled.
    bool ChooseFile(const cad::FilePrompt& prompt, std::string& path);
    void PrintLine(const std::string& text);
    void TellWhatWasRead(const std::string& path, const cad::DxfResult& result);

    Scene scene;
    const cad::Database* m_notedDrawing = nullptr; // whose undrawn entities were said
    // The layout the view shows: its block record in the drawing `m_spaceOf`; model space for any other.
    cad::ObjectId m_space = cad::kNullId;
    const cad::Database* m_spaceOf = nullptr;
    MainWindow main;
    LiveInput input;
    ui::SdlBackend backend;
    bool quitting = false;
    bool busy = false;

private:
    void RunTyped(const std::string& command);
    void OpenDrawing();
    bool SaveDrawing(bool askName);
    // PLOT: asks for a file and plots the drawing there, as `vantorel plot` does.
    void PlotDrawing();
    // False when the user would rather go on with the drawing as it is than lose its changes.
    bool AskToSaveDrawing();
    void RememberSaved();
    void Reload();
    // "plan.dxf - Vantorel", marked "plan.dxf* - Vantorel" while there are changes not saved.
    void UpdateTitle();
    // Lists the drawing's layouts and shows the one asked for.
    void ChooseLayout();
public:
    // Shows the layout of this name (any case): false when the drawing has none of it.
    bool ShowLayout(const std::string& name);
private:
    // LAYER: the layers with colour, state and objects; turns them on and off, freezes and thaws them, as one
    // step for U.
    void Layers();
    // BOMFIND: highlights the references of the layout on view that the report counts under a name (its block's,
    // or a row's with its attribute values), with the counting switches as they stand, and zooms to them.
    void FindReferences();
    // ZOOM with its options, and PAN by two points.
    void Zoom();
    void PanByPoints();
    // A point asked for on the command line (picked in the view or typed "x,y"); false when cancelled.
    bool AskPoint(const std::string& prompt, double& x, double& y);
    void TraceModal();
    void TraceParts(const ui::Window& window, std::vector<std::string>& lines);
    bool m_trace = false;
    std::vector<std::string> m_tracedModal;
    // The drawing's undo state when it was opened or saved: any other means the drawing has changed since.
    std::uint64_t m_savedState = 0;
    std::string m_lastCommand;
};

} // namespace gui
