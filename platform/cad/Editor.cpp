#include "platform/cad/Editor.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace cad {

namespace {
std::string Upper(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool SameVector(const ScreenVector& a, const ScreenVector& b) {
    return (a.from == b.from && a.to == b.to) || (a.from == b.to && a.to == b.from);
}
} // namespace

Editor::Editor() {
    using S = std::int16_t;
    DefineVariable("ATTREQ", S{1}, false);
    DefineVariable("ATTDIA", S{0}, false);
    DefineVariable("CMDECHO", S{1}, false);
    DefineVariable("SNAPMODE", S{0}, false);
    DefineVariable("OSMODE", S{4133}, false);
    DefineVariable("ORTHOMODE", S{0}, false);
    DefineVariable("FILEDIA", S{1}, false);
    DefineVariable("EXPERT", S{0}, false);
    DefineVariable("PICKFIRST", S{1}, false);
    DefineVariable("LUNITS", S{2}, false);
    DefineVariable("LUPREC", S{4}, false);
    DefineVariable("AUNITS", S{0}, false);
    DefineVariable("AUPREC", S{0}, false);
    DefineVariable("INSUNITS", S{0}, false);
    DefineVariable("DWGCODEPAGE", std::string("ANSI_1252"), true);
    DefineVariable("TEXTSIZE", 0.2, false);
    DefineVariable("TEXTSTYLE", std::string("Standard"), false);
    DefineVariable("CLAYER", std::string("0"), false);
    DefineVariable("ACADVER", std::string("16.2s (LMS Tech)"), true);
    DefineVariable("DWGNAME", std::string("Drawing1.dwg"), true);
    DefineVariable("DWGPREFIX", std::string(""), true);
    DefineVariable("INSBASE", Point3d{}, false);
    DefineVariable("MAXSORT", std::int32_t{1000}, false);
    // Lineweights in the view: each drawing says at first, as it was saved.
    DefineVariable("LWDISPLAY", S{0}, false);
    // What the bill of materials counts beyond each selected reference under its stored name; 0 and "" keep
    // the plain count.
    for (const char* name : {"BOMNAMES", "BOMNESTED", "BOMMINSERT", "BOMSKIPTABLES", "ATTREQ", "ATTDIA", "CMDECHO",
                             "SNAPMODE", "ORTHOMODE", "FILEDIA", "PICKFIRST", "LWDISPLAY"})
        DefineSwitch(name);
    DefineVariable("BOMKEYATTR", std::string(), false);
    // "TAG,TAG": rows split by these attributes' values; "" counts by name alone.
    DefineVariable("BOMATTRS", std::string(), false);
    // How Insert places the report's table: 0 and 1.0 place it as always.
    DefineSwitch("BOMREPLACE");
    // Save to file writes CSV, XLSX or JSON for a name ending so: 0 keeps the fixed-width text file for every name.
    DefineSwitch("BOMFILEFORMATS");
    DefineSwitch("BOMTABLETEXT");
    DefineVariable("BOMTEXTHEIGHT", 1.0, false);
    m_variables["BOMTEXTHEIGHT"].positive = true;
}

void Editor::Print(std::string_view text) {
    m_commandLine.append(text);
    if (m_terminalEcho && !text.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        m_echoLineOpen = text.back() != '\n';
    }
}

void Editor::Alert(std::string_view message) {
    m_alerts.emplace_back(message);
    if (m_alertShower)
        m_alertShower(m_alerts.back());
    if (m_terminalEcho) {
        // The alert box as a line of its own, even after a prompt that waits on the same line.
        std::fprintf(stdout, "%svantorel: alert: %.*s\n", m_echoLineOpen ? "\n" : "", static_cast<int>(message.size()),
                     message.data());
        m_echoLineOpen = false;
        std::fflush(stdout);
    }
}

const VariableValue* Editor::FindVariable(std::string_view name) const {
    auto it = m_variables.find(Upper(name));
    return it == m_variables.end() ? nullptr : &it->second.value;
}

int Editor::SetVariable(std::string_view name, const VariableValue& value) {
    auto it = m_variables.find(Upper(name));
    if (it == m_variables.end())
        return RtError;
    if (it->second.readOnly || it->second.value.index() != value.index())
        return RtReject;
    it->second.value = value;
    return RtNorm;
}

void Editor::DefineSwitch(std::string_view name) {
    auto it = m_variables.find(Upper(name));
    if (it == m_variables.end()) {
        DefineVariable(name, std::int16_t{0}, false);
        it = m_variables.find(Upper(name));
    }
    it->second.low = 0;
    it->second.high = 1;
}

int Editor::SetVariableFromText(std::string_view name, std::string_view text, std::string& error) {
    auto it = m_variables.find(Upper(name));
    if (it == m_variables.end()) {
        error = "Unknown variable name.";
        return RtError;
    }
    if (it->second.readOnly) {
        error = Upper(name) + " is read-only.";
        return RtError;
    }
    std::string typed(text);
    VariableValue value = it->second.value;
    auto whole = [&typed](long long low, long long high, long long& out) {
        char* end = nullptr;
        errno = 0;
        out = std::strtoll(typed.c_str(), &end, 10);
        return !typed.empty() && end && *end == '\0' && errno == 0 && out >= low && out <= high;
    };
    auto real = [](const std::string& part, double& out) {
        char* end = nullptr;
        out = std::strtod(part.c_str(), &end);
        return !part.empty() && end && *end == '\0' && std::isfinite(out);
    };
    long long integer = 0;
    if (std::holds_alternative<std::int16_t>(value)) {
        if (!whole(it->second.low, it->second.high, integer)) {
            error = "Requires an integer between " + std::to_string(it->second.low) + " and " +
                    std::to_string(it->second.high) + ".";
            return RtError;
        }
        value = static_cast<std::int16_t>(integer);
    } else if (std::holds_alternative<std::int32_t>(value)) {
        if (!whole(INT32_MIN, INT32_MAX, integer)) {
            error = "Requires an integer value.";
            return RtError;
        }
        value = static_cast<std::int32_t>(integer);
    } else if (std::holds_alternative<double>(value)) {
        double number = 0.0;
        if (!real(typed, number) || (it->second.positive && !(number > 0.0))) {
            error = it->second.positive ? "Requires a number above 0." : "Requires a number.";
            return RtError;
        }
        value = number;
    } else if (std::holds_alternative<Point3d>(value)) {
        double xyz[3] = {0.0, 0.0, 0.0};
        std::size_t count = 0;
        std::size_t at = 0;
        bool ok = true;
        while (ok && at <= typed.size() && count < 4) {
            std::size_t comma = typed.find(',', at);
            std::string part = typed.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
            ok = count < 3 && real(part, xyz[count]);
            ++count;
            if (comma == std::string::npos)
                break;
            at = comma + 1;
        }
        if (!ok || count < 2) {
            error = "Requires a point: X,Y or X,Y,Z.";
            return RtError;
        }
        value = Point3d{xyz[0], xyz[1], xyz[2]};
    } else {
        value = typed;
    }
    it->second.value = std::move(value);
    return RtNorm;
}

std::vector<std::string> Editor::VariableNames() const {
    std::vector<std::string> names;
    for (const auto& entry : m_variables)
        names.push_back(entry.first);
    return names;
}

std::string Editor::VariableText(std::string_view name) const {
    const VariableValue* value = FindVariable(name);
    if (!value)
        return {};
    char buffer[96];
    if (const auto* s = std::get_if<std::int16_t>(value))
        return std::to_string(*s);
    if (const auto* l = std::get_if<std::int32_t>(value))
        return std::to_string(*l);
    if (const auto* r = std::get_if<double>(value)) {
        std::snprintf(buffer, sizeof buffer, "%.4f", *r);
        return buffer;
    }
    if (const auto* p = std::get_if<Point3d>(value)) {
        std::snprintf(buffer, sizeof buffer, "%.4f,%.4f,%.4f", p->x, p->y, p->z);
        return buffer;
    }
    return std::get<std::string>(*value);
}

void Editor::DefineVariable(std::string_view name, VariableValue value, bool readOnly) {
    m_variables[Upper(name)] = Variable{std::move(value), readOnly};
}

int Editor::Ask(Request request, const std::string& prompt, Answer& answer) {
    std::string error;
    if (!m_input->Next(request, prompt, answer, error)) {
        m_inputErrors.push_back(error);
        Print("\n" + error + "\n");
        return RtError;
    }
    // Escape at a prompt says so on the command line, once, whoever asked; a file dialog closed says nothing.
    if (request != Request::File && std::holds_alternative<CancelAnswer>(answer))
        Print("*Cancel*\n");
    return RtNorm;
}

void Editor::DrawVector(const ScreenVector& vector) {
    if (vector.colour == -1) {
        for (auto it = m_screen.begin(); it != m_screen.end(); ++it) {
            if (it->colour == -1 && SameVector(*it, vector)) {
                m_screen.erase(it);
                return;
            }
        }
    }
    m_screen.push_back(vector);
}

void Editor::SetInitGet(int bits, std::string keywords) {
    m_initGetBits = bits;
    m_initGetKeywords = std::move(keywords);
}

void Editor::ResetInitGet() {
    m_initGetBits = 0;
    m_initGetKeywords.clear();
}

std::int64_t Editor::AddSelectionSet(std::vector<ObjectId> ids) {
    std::int64_t handle = m_nextSelectionSet++;
    m_selectionSets.emplace(handle, std::move(ids));
    return handle;
}

const std::vector<ObjectId>* Editor::FindSelectionSet(std::int64_t handle) const {
    auto it = m_selectionSets.find(handle);
    return it == m_selectionSets.end() ? nullptr : &it->second;
}

bool Editor::FreeSelectionSet(std::int64_t handle) {
    return m_selectionSets.erase(handle) > 0;
}

} // namespace cad
