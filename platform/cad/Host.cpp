#include "platform/cad/Host.h"

#include "platform/cad/HostCommands.h"
#include "platform/cad/dwg/DwgConverter.h"

#include "platform/cad/Text.h"
#include "platform/cad/dxf/DxfReader.h"
#include "platform/cad/dxf/DxfWriter.h"

#include <cstdlib>
#include <exception>
#include <filesystem>

namespace cad {

namespace {
std::string UnknownCommandMessage(std::string_view typed) {
    return "Unknown command \"" + std::string(typed) + "\".  Press F1 for help.\n";
}
} // namespace

Host& Host::Instance() {
    static Host* s_host = new Host();
    return *s_host;
}

const VariableValue* Host::Variable(std::string_view name) {
    Document& current = m_documents.Current();
    m_editor.DefineVariable("DWGNAME", current.FileName(), true);
    m_editor.DefineVariable("DWGPREFIX", current.Folder(), true);
    return m_editor.FindVariable(name);
}

DxfResult Host::OpenDrawing(const std::string& path) {
    std::unique_ptr<Database> database;
    bool dwg = false;
    DxfReadOptions options;
    options.strict = m_strict;
    DxfResult result = ReadDrawing(path, textkit::Active(), database, dwg, options);
    if (result.Ok())
        AdoptDrawing(path, std::move(database), dwg);
    return result;
}

void Host::AdoptDrawing(const std::string& path, std::unique_ptr<Database> database, bool fromDwg) {
    Document& document = m_documents.NewDocument("");
    document.SetPath(path);
    document.SetFromDwg(fromDwg);
    document.ReplaceDatabase(std::move(database));
}

DxfResult Host::ReadDrawing(const std::string& path, const CodePage& active, std::unique_ptr<Database>& database,
                            bool& fromDwg, const DxfReadOptions& options) {
    // A DWG drawing is told by its first bytes, not its name, and read as the DXF that LibreDWG makes of it.
    bool dwg = IsDwgFile(path);
    fromDwg = dwg;
    ConvertedDrawing converted;
    DxfResult result = dwg ? ConvertDwgToDxf(path, converted) : DxfResult{};
    std::string dxf = dwg ? converted.file.Path() : path;
    if (result.Ok())
        result = ReadDxfFile(dxf, active, database, options);
    // A DXF from LibreDWG that cannot be read at all may come out readable from libdxfrw.
    if (dwg && !result.Ok() && converted.converter == DwgConverter::LibreDwg &&
        result.status != DxfStatus::CannotOpen) {
        std::string why = "LibreDWG's DXF of it could not be read (" + result.Place() + ": " + result.detail + ")";
        ConvertedDrawing again;
        DxfResult retried = ConvertDwgToDxf(path, again, DwgConverter::Libdxfrw);
        if (retried.Ok())
            retried = ReadDxfFile(again.file.Path(), active, database, options);
        if (retried.Ok()) {
            retried.warnings.insert(retried.warnings.begin(), ReadByLibdxfrw(why));
            converted.converter = DwgConverter::Libdxfrw;
            result = std::move(retried);
        }
    }
    if (dwg && result.Ok()) {
        result.warnings.insert(result.warnings.begin(), converted.notes.begin(), converted.notes.end());
        // libdxfrw writes some table entries twice (the layouts' block records, layer 0, the Standard style):
        // a trait of that converter the user can do nothing about.
        if (converted.converter == DwgConverter::Libdxfrw)
            std::erase_if(result.warnings, [](const std::string& warning) {
                return warning.find(" twice in one table; the second is kept as it is.") != std::string::npos;
            });
    }
    // What the reader says of the converted file is said of the drawing the user opened.
    if (dwg && !result.Ok() && result.detail.find(dxf) != std::string::npos)
        result.detail.replace(result.detail.find(dxf), dxf.size(), path + " (as converted from DWG)");
    return result;
}

namespace {
bool EndsWithDwg(const std::string& path) {
    return path.size() >= 4 && NamesEqual(std::string_view(path).substr(path.size() - 4), ".dwg");
}

DxfResult NotWritten(std::string detail) {
    DxfResult result;
    result.status = DxfStatus::CannotWrite;
    result.detail = std::move(detail);
    return result;
}
} // namespace

DxfResult Host::SaveDrawing(const std::string& path) {
    Document& document = m_documents.Current();
    std::string target = !path.empty() ? path : document.HasFile() ? document.Path() : std::string();
    if (target.empty())
        return NotWritten("the drawing has no file yet; give the name to save it as");
    // DWG is read here but never written: the user's DWG file stays as it is, and the drawing goes to DXF.
    if (document.FromDwg() && target == document.Path())
        return NotWritten("the drawing was read from the DWG file " + target +
                          ", and DWG cannot be written here: save it under a name ending in .dxf");
    if (EndsWithDwg(target))
        return NotWritten(target + ": DWG cannot be written here; drawings are saved as DXF: give a name ending "
                                   "in .dxf");
    DxfResult result = WriteDxfFile(document.GetDatabase(), textkit::Active(), target);
    if (result.Ok()) {
        document.SetPath(target);
        document.SetFromDwg(false);
    }
    return result;
}

int Host::RunCommand(std::string_view typed) {
    const Command* command = m_commands.Lookup(typed);
    const HostCommand* own = command ? nullptr : FindHostCommand(typed);
    if (!command && !own && m_editor.FindVariable(typed)) {
        AskVariableValue(*this, std::string(typed));
        m_editor.Redraw();
        return RtNorm;
    }
    if (!command && !own) {
        m_editor.Print(UnknownCommandMessage(typed));
        return RtError;
    }
    // What a command adds to the drawing and erases from it is one step for U to take back.
    Database& database = WorkingDatabase();
    bool recording = (command || own->changesDrawing) && !database.RecordingUndoStep();
    std::string name = command ? command->localName : std::string(own->name);
    if (recording)
        database.BeginUndoStep(name);
    int status = RtNorm;
    if (own) {
        RunHostCommand(*this, *own);
    } else {
        CommandFunction function = command->function;
        try {
            function();
        } catch (const std::exception& e) {
            m_editor.Print("\n" + name + " ended by an error: " + e.what() + "\n");
            status = RtError;
        } catch (...) {
            m_editor.Print("\n" + name + " ended by an error.\n");
            status = RtError;
        }
    }
    if (recording)
        database.EndUndoStep();
    // As a drawing editor does, the view is drawn again when a command ends: its temporary marks go.
    m_editor.Redraw();
    return status;
}

namespace {
// One argument of a built-in command, or the answer of the user when the list has run out.
class ArgumentReader {
public:
    ArgumentReader(const std::vector<CommandArgument>& arguments, Editor& editor)
        : m_arguments(arguments), m_editor(editor) {}

    bool Text(const char* prompt, std::string& out) {
        if (m_next < m_arguments.size()) {
            const auto* text = std::get_if<std::string>(&m_arguments[m_next++]);
            if (!text)
                return Fail(prompt);
            out = *text;
            return true;
        }
        Answer answer;
        if (m_editor.Ask(Request::Text, prompt, answer) != RtNorm)
            return false;
        if (const auto* text = std::get_if<TextAnswer>(&answer)) {
            out = text->text;
            return true;
        }
        out.clear();
        return !std::holds_alternative<CancelAnswer>(answer);
    }

    bool Point(const char* prompt, Point3d& out) {
        if (m_next < m_arguments.size()) {
            const auto* point = std::get_if<Point3d>(&m_arguments[m_next++]);
            if (!point)
                return Fail(prompt);
            out = *point;
            return true;
        }
        Answer answer;
        if (m_editor.Ask(Request::Point, prompt, answer) != RtNorm)
            return false;
        const auto* point = std::get_if<PointAnswer>(&answer);
        if (!point)
            return false;
        out = point->point;
        return true;
    }

    // A number, also given as text ("0"); an empty answer keeps `fallback`.
    bool Number(const char* prompt, double fallback, double& out) {
        if (m_next < m_arguments.size()) {
            const CommandArgument& argument = m_arguments[m_next++];
            if (const auto* real = std::get_if<double>(&argument)) {
                out = *real;
                return true;
            }
            if (const auto* i16 = std::get_if<std::int16_t>(&argument)) {
                out = *i16;
                return true;
            }
            if (const auto* i32 = std::get_if<std::int32_t>(&argument)) {
                out = *i32;
                return true;
            }
            const auto* text = std::get_if<std::string>(&argument);
            return text ? Parse(*text, fallback, prompt, out) : Fail(prompt);
        }
        std::string text;
        if (!Text(prompt, text))
            return false;
        return Parse(text, fallback, prompt, out);
    }

private:
    bool Parse(const std::string& text, double fallback, const char* prompt, double& out) {
        if (text.empty()) {
            out = fallback;
            return true;
        }
        char* end = nullptr;
        out = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0')
            return Fail(prompt);
        return true;
    }
    bool Fail(const char* prompt) {
        m_editor.Print(std::string("\nInvalid value for") + prompt + "\n");
        return false;
    }
    const std::vector<CommandArgument>& m_arguments;
    Editor& m_editor;
    std::size_t m_next = 1;
};

bool IsInsert(std::string_view name) {
    while (!name.empty() && (name.front() == '.' || name.front() == '_'))
        name.remove_prefix(1);
    return NamesEqual(name, "INSERT") || NamesEqual(name, "-INSERT");
}
} // namespace

int Host::RunBuiltIn(const std::vector<CommandArgument>& arguments) {
    const auto* name = arguments.empty() ? nullptr : std::get_if<std::string>(&arguments.front());
    if (!name) {
        m_editor.Print("\nA command needs its name first.\n");
        return RtError;
    }
    if (!IsInsert(*name)) {
        m_editor.Print(UnknownCommandMessage(*name));
        return RtError;
    }
    const VariableValue* echo = m_editor.FindVariable("CMDECHO");
    if (echo && std::get<std::int16_t>(*echo) != 0)
        m_editor.Print("\nCommand: " + *name);
    ArgumentReader reader(arguments, m_editor);
    std::string blockName;
    Point3d position;
    double xScale = 1.0;
    double yScale = 1.0;
    double rotation = 0.0;
    if (!reader.Text(" Enter block name: ", blockName) || !reader.Point(" Specify insertion point: ", position) ||
        !reader.Number(" Enter X scale factor <1>: ", 1.0, xScale) ||
        !reader.Number(" Enter Y scale factor <use X scale factor>: ", xScale, yScale) ||
        !reader.Number(" Specify rotation angle <0>: ", 0.0, rotation))
        return RtCancel;
    const VariableValue* attreq = m_editor.FindVariable("ATTREQ");
    bool prompt = attreq && std::get<std::int16_t>(*attreq) != 0;
    ObjectId inserted = kNullId;
    return InsertBlock(WorkingDatabase(), m_editor, blockName, position, xScale, yScale, rotation, prompt,
                       &inserted);
}

} // namespace cad
