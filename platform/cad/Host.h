#pragma once

#include "platform/cad/CommandStack.h"
#include "platform/cad/DocumentManager.h"
#include "platform/cad/Editor.h"
#include "platform/cad/ModuleLoader.h"
#include "platform/cad/Text.h"
#include "platform/cad/dxf/FileText.h"
#include "platform/cad/dxf/DxfReader.h"
#include "platform/cad/dxf/DxfTags.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cad {

using CommandArgument = std::variant<std::string, double, Point3d, std::int16_t, std::int32_t>;

// The running editor: documents, registered commands, loaded modules and the user's side. There is one
// per process and it is never destroyed, so modules unloaded at process exit still find it.
class Host {
public:
    static Host& Instance();

    DocumentManager& Documents() { return m_documents; }
    Database& WorkingDatabase() { return m_documents.Current().GetDatabase(); }
    CommandStack& Commands() { return m_commands; }
    ModuleLoader& Modules() { return m_modules; }
    Editor& GetEditor() { return m_editor; }

    // The host's main window as the window framework knows it; null while the host shows none.
    void* MainWindow() const { return m_mainWindow; }
    void SetMainWindow(void* window) { m_mainWindow = window; }

    // The code page of the module's text, the windows' and the command line's; drawings are converted to it
    // when read.
    const CodePage& ActiveCodePage() const { return textkit::Active(); }
    void SetActiveCodePage(const CodePage& codePage) { textkit::SetActive(codePage); }
    // Reads a drawing file into a new current document. On failure nothing changes. A damaged drawing is read for
    // what it still holds (the result says what was left out), unless reading is strict.
    [[nodiscard]] DxfResult OpenDrawing(const std::string& path);
    void SetStrictReading(bool strict) { m_strict = strict; }
    bool StrictReading() const { return m_strict; }
    // The two halves of OpenDrawing. Reading touches nothing of the host but the code page it is given, so
    // several drawings may be read at once on threads of their own; only the host's own thread adopts them.
    [[nodiscard]] static DxfResult ReadDrawing(const std::string& path, const CodePage& active,
                                               std::unique_ptr<Database>& out, bool& fromDwg,
                                               const DxfReadOptions& options = {});
    void AdoptDrawing(const std::string& path, std::unique_ptr<Database> database, bool fromDwg);
    // Saves the current document's drawing to `path`, or to where it was read from when `path` is empty.
    [[nodiscard]] DxfResult SaveDrawing(const std::string& path);

    // The variable as the editor holds it; DWGNAME and DWGPREFIX follow the current document.
    const VariableValue* Variable(std::string_view name);

    // Runs a registered command by the name the user types. RtNorm, or RtError for an unknown name (with
    // the host's message on the command line). An exception escaping a command ends that command only.
    int RunCommand(std::string_view typed);
    // Runs a built-in command with its arguments, as a module's acedCommand does.
    int RunBuiltIn(const std::vector<CommandArgument>& arguments);

private:
    Host() = default;
    DocumentManager m_documents;
    CommandStack m_commands;
    ModuleLoader m_modules;
    Editor m_editor;
    void* m_mainWindow = nullptr;
    bool m_strict = false;
};

// The block named `blockName` as a new reference in model space of `database`. With `promptAttributes`
// false each attribute takes its definition's default text; otherwise `editor` asks for each value.
[[nodiscard]] int InsertBlock(Database& database, Editor& editor, std::string_view blockName,
                              const Point3d& position, double xScale, double yScale, double rotationDegrees,
                              bool promptAttributes, ObjectId* inserted);

} // namespace cad
