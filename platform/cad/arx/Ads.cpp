#include "platform/cad/arx/adslib.h"
#include "platform/cad/arx/ArxInternal.h"

#include "platform/cad/Host.h"
#include "platform/cad/Text.h"

#include <cstdarg>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
cad::Editor& TheEditor() {
    return cad::Host::Instance().GetEditor();
}

// Selection-set names carry this mark in their second word, so an entity name is never taken for one.
constexpr std::int64_t kSelectionSetMark = 0x5353;

cad::Point3d ToPoint(const ads_real* p) {
    return cad::Point3d{p[0], p[1], p[2]};
}

void FromPoint(const cad::Point3d& p, ads_real* out) {
    out[0] = p.x;
    out[1] = p.y;
    out[2] = p.z;
}

// The kind of value a DXF group code carries, for filter lists.
enum class GroupKind { Text, Point, Real, Short, Long };
GroupKind KindOfGroup(int code) {
    // Extended data: points, reals, a short and a long; every other group of it is text.
    if (code >= 1010 && code <= 1013)
        return GroupKind::Point;
    if (code >= 1014 && code <= 1059)
        return GroupKind::Real;
    if (code >= 1060 && code <= 1070)
        return GroupKind::Short;
    if (code == 1071)
        return GroupKind::Long;
    if (code >= 10 && code <= 19)
        return GroupKind::Point;
    if (code >= 38 && code <= 59)
        return GroupKind::Real;
    if (code >= 60 && code <= 79)
        return GroupKind::Short;
    if (code >= 90 && code <= 99)
        return GroupKind::Long;
    return GroupKind::Text;
}

// The DXF type name of an entity, as a filter names it.
const char* DxfTypeOf(const cad::Object& object) {
    switch (object.Kind()) {
    case cad::ObjectKind::Line: return "LINE";
    case cad::ObjectKind::Circle: return "CIRCLE";
    case cad::ObjectKind::Arc: return "ARC";
    case cad::ObjectKind::Text: return "TEXT";
    case cad::ObjectKind::AttributeDefinition: return "ATTDEF";
    case cad::ObjectKind::Attribute: return "ATTRIB";
    case cad::ObjectKind::BlockReference: return "INSERT";
    case cad::ObjectKind::Polyline:
        return static_cast<const cad::Polyline&>(object).heavy ? "POLYLINE" : "LWPOLYLINE";
    case cad::ObjectKind::Opaque: return static_cast<const cad::OpaqueEntity&>(object).typeName.c_str();
    default: return "";
    }
}

// Entity-type filters: every group 0 entry of the list names an admitted type ("INSERT", or a
// comma-separated list); a list without one admits every type.
bool PassesFilter(const cad::Object& object, const resbuf* filter) {
    bool anyType = false;
    for (const resbuf* rb = filter; rb; rb = rb->rbnext) {
        if ((rb->restype != 0 && rb->restype != RTDXF0) || !rb->resval.rstring)
            continue;
        anyType = true;
        std::string types = rb->resval.rstring;
        std::size_t start = 0;
        while (start <= types.size()) {
            std::size_t comma = types.find(',', start);
            std::string type = types.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            if (type == "*" || cad::NamesEqual(type, DxfTypeOf(object)))
                return true;
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    }
    return !anyType;
}

const std::vector<cad::ObjectId>* FindSet(const ads_name ss) {
    if (!ss || ss[1] != kSelectionSetMark)
        return nullptr;
    return TheEditor().FindSelectionSet(ss[0]);
}
} // namespace

void acad_free(void* p) {
    std::free(p);
}

void* acad_malloc(std::size_t size) {
    return std::malloc(size);
}

resbuf* acutNewRb(int type) {
    auto* rb = static_cast<resbuf*>(std::calloc(1, sizeof(resbuf)));
    if (rb)
        rb->restype = static_cast<short>(type);
    return rb;
}

int acutRelRb(resbuf* rb) {
    while (rb) {
        resbuf* next = rb->rbnext;
        bool text = rb->restype == RTSTR || (rb->restype < 5000 && KindOfGroup(rb->restype) == GroupKind::Text) ||
                    rb->restype == RTDXF0;
        if (text)
            std::free(rb->resval.rstring);
        std::free(rb);
        rb = next;
    }
    return RTNORM;
}

resbuf* acutBuildList(int type, ...) {
    va_list args;
    va_start(args, type);
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (int t = type; t != 0 && t != RTNONE; t = va_arg(args, int)) {
        resbuf* rb = acutNewRb(t);
        if (!rb)
            break;
        GroupKind kind = GroupKind::Text;
        if (t == RTREAL || t == RTANG || t == RTORINT)
            kind = GroupKind::Real;
        else if (t == RTPOINT || t == RT3DPOINT)
            kind = GroupKind::Point;
        else if (t == RTSHORT)
            kind = GroupKind::Short;
        else if (t == RTLONG)
            kind = GroupKind::Long;
        else if (t < 5000)
            kind = KindOfGroup(t);
        switch (kind) {
        case GroupKind::Text: rb->resval.rstring = ArxCopyString(va_arg(args, const char*)); break;
        case GroupKind::Point: {
            const ads_real* p = va_arg(args, const ads_real*);
            FromPoint(ToPoint(p), rb->resval.rpoint);
            break;
        }
        case GroupKind::Real: rb->resval.rreal = va_arg(args, double); break;
        case GroupKind::Short: rb->resval.rint = static_cast<short>(va_arg(args, int)); break;
        case GroupKind::Long: rb->resval.rlong = va_arg(args, Adesk::Int32); break;
        }
        *tail = rb;
        tail = &rb->rbnext;
    }
    va_end(args);
    return head;
}

int acutPrintf(const ACHAR* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    TheEditor().Print(text);
    return length;
}

int acedAlert(const ACHAR* message) {
    TheEditor().Alert(message ? message : "");
    return RTNORM;
}

namespace {
// Whether the host's BOMFILEFORMATS switch is on.
bool FileFormatsOn() {
    const cad::VariableValue* value = cad::Host::Instance().Variable("BOMFILEFORMATS");
    const auto* on = value ? std::get_if<std::int16_t>(value) : nullptr;
    return on && *on != 0;
}
} // namespace

int acedGetFileD(const ACHAR* title, const ACHAR* defaultName, const ACHAR* extension, int flags, resbuf* result) {
    cad::FilePrompt asked{title ? title : "", defaultName ? defaultName : "", extension ? extension : "", flags};
    // A catalogue to open may be a spreadsheet of prices too, converted for the module, which reads catalogues alone.
    const cad::Editor::CatalogueConverter& converter = TheEditor().GetCatalogueConverter();
    bool spreadsheets = (flags & 2) && cad::NamesEqual(asked.extension, "prc") && converter && FileFormatsOn();
    if (spreadsheets)
        asked.extension = "prc;csv;xlsx";
    std::string prompt = cad::FormatFilePrompt(asked);
    cad::Answer answer;
    if (TheEditor().Ask(cad::Request::File, prompt, answer) != RTNORM)
        return RTERROR;
    const auto* file = std::get_if<cad::FileAnswer>(&answer);
    if (!file)
        return RTCAN;
    // As the host's own dialogs do, a file to be created that exists is replaced only when the user says so;
    // No ends the dialog as a cancel.
    std::error_code ignored;
    if ((flags & 1) && std::filesystem::exists(file->path, ignored) &&
        !TheEditor().ConfirmReplace(cad::FilePrompt{title ? title : "", defaultName ? defaultName : "",
                                                    extension ? extension : "", flags},
                                    file->path))
        return RTCAN;
    std::string path = file->path;
    std::string extensionOf = std::filesystem::path(path).extension().string();
    if (spreadsheets && (cad::NamesEqual(extensionOf, ".csv") || cad::NamesEqual(extensionOf, ".xlsx")) &&
        !converter(file->path, path))
        return RTCAN;
    if (result) {
        result->rbnext = nullptr;
        result->restype = RTSTR;
        result->resval.rstring = ArxCopyString(path.c_str());
    }
    return RTNORM;
}

int acedGetVar(const ACHAR* name, resbuf* result) {
    const cad::VariableValue* value = cad::Host::Instance().Variable(name ? name : "");
    if (!value || !result)
        return RTERROR;
    result->rbnext = nullptr;
    if (const auto* s = std::get_if<std::int16_t>(value)) {
        result->restype = RTSHORT;
        result->resval.rint = *s;
    } else if (const auto* l = std::get_if<std::int32_t>(value)) {
        result->restype = RTLONG;
        result->resval.rlong = *l;
    } else if (const auto* r = std::get_if<double>(value)) {
        result->restype = RTREAL;
        result->resval.rreal = *r;
    } else if (const auto* p = std::get_if<cad::Point3d>(value)) {
        result->restype = RT3DPOINT;
        FromPoint(*p, result->resval.rpoint);
    } else {
        result->restype = RTSTR;
        result->resval.rstring = ArxCopyString(std::get<std::string>(*value).c_str());
    }
    return RTNORM;
}

int acedSetVar(const ACHAR* name, const resbuf* value) {
    if (!name || !value)
        return RTERROR;
    cad::VariableValue converted;
    switch (value->restype) {
    case RTSHORT: converted = std::int16_t{value->resval.rint}; break;
    case RTLONG: converted = std::int32_t{value->resval.rlong}; break;
    case RTREAL: converted = value->resval.rreal; break;
    case RTPOINT:
    case RT3DPOINT: converted = ToPoint(value->resval.rpoint); break;
    case RTSTR: converted = std::string(value->resval.rstring ? value->resval.rstring : ""); break;
    default: return RTREJ;
    }
    const cad::VariableValue* current = cad::Host::Instance().Variable(name);
    // The host widens a short to a long variable and a 2D point to a 3D one.
    if (current && std::holds_alternative<std::int32_t>(*current) && std::holds_alternative<std::int16_t>(converted))
        converted = std::int32_t{std::get<std::int16_t>(converted)};
    return TheEditor().SetVariable(name, converted);
}

int acedSSGet(const ACHAR* mode, const void*, const void*, const resbuf* filter, ads_name ss) {
    if (!ss)
        return RTERROR;
    if (mode && *mode) {
        TheEditor().Print(std::string("\nSelection mode \"") + mode + "\" is not supported.\n");
        return RTERROR;
    }
    cad::Answer answer;
    if (TheEditor().Ask(cad::Request::Selection, "\nSelect objects: ", answer) != RTNORM)
        return RTERROR;
    const auto* selection = std::get_if<cad::SelectionAnswer>(&answer);
    if (!selection)
        return RTCAN;
    cad::Database& database = cad::Host::Instance().WorkingDatabase();
    std::vector<cad::ObjectId> candidates = selection->ids;
    if (selection->everything) {
        candidates.clear();
        std::vector<cad::ObjectId> spaces{database.ModelSpaceId()};
        if (selection->allLayouts)
            spaces = database.LayoutBlocks();
        for (cad::ObjectId space : spaces) {
            const auto* block = database.PeekAs<cad::BlockTableRecord>(space);
            if (block)
                candidates.insert(candidates.end(), block->entities.begin(), block->entities.end());
        }
    }
    std::vector<cad::ObjectId> chosen;
    for (cad::ObjectId id : candidates) {
        const cad::Object* object = database.Peek(id);
        if (object && cad::IsEntityKind(object->Kind()) && !object->IsErased() && PassesFilter(*object, filter))
            chosen.push_back(id);
    }
    TheEditor().Print(std::to_string(candidates.size()) + " found\n");
    TheEditor().NoteSelection(chosen);
    // As on the host, a selection that keeps nothing is an error, not an empty set.
    if (chosen.empty())
        return RTERROR;
    ss[0] = TheEditor().AddSelectionSet(std::move(chosen));
    ss[1] = kSelectionSetMark;
    return RTNORM;
}

int acedSSFree(const ads_name ss) {
    return ss && ss[1] == kSelectionSetMark && TheEditor().FreeSelectionSet(ss[0]) ? RTNORM : RTERROR;
}

int acedSSLength(const ads_name ss, Adesk::Int32* length) {
    const auto* set = FindSet(ss);
    if (!set || !length)
        return RTERROR;
    *length = static_cast<Adesk::Int32>(set->size());
    return RTNORM;
}

int acedSSName(const ads_name ss, Adesk::Int32 index, ads_name entity) {
    const auto* set = FindSet(ss);
    if (!set || !entity || index < 0 || static_cast<std::size_t>(index) >= set->size())
        return RTERROR;
    entity[0] = static_cast<std::int64_t>((*set)[static_cast<std::size_t>(index)]);
    entity[1] = 0;
    return RTNORM;
}

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name entity) {
    id.setNull();
    if (!entity || entity[1] != 0 || entity[0] == 0)
        return Acad::eInvalidInput;
    id = AcDbObjectId(static_cast<std::uint64_t>(entity[0]));
    return Acad::eOk;
}

Acad::ErrorStatus acdbGetAdsName(ads_name entity, AcDbObjectId id) {
    if (!entity || id.isNull())
        return Acad::eNullObjectId;
    entity[0] = static_cast<std::int64_t>(id.asOldId());
    entity[1] = 0;
    return Acad::eOk;
}

int acedInitGet(int bits, const ACHAR* keywords) {
    TheEditor().SetInitGet(bits, keywords ? keywords : "");
    return RTNORM;
}

int acedGetPoint(const ads_point, const ACHAR* prompt, ads_point result) {
    cad::Editor& editor = TheEditor();
    bool refuseEmpty = (editor.InitGetBits() & 1) != 0;
    editor.ResetInitGet();
    std::string text = prompt ? prompt : "";
    editor.Print(text);
    for (;;) {
        cad::Answer answer;
        if (editor.Ask(cad::Request::Point, text, answer) != RTNORM)
            return RTERROR;
        if (std::holds_alternative<cad::CancelAnswer>(answer))
            return RTCAN;
        if (const auto* point = std::get_if<cad::PointAnswer>(&answer)) {
            FromPoint(point->point, result);
            return RTNORM;
        }
        if (!refuseEmpty)
            return RTNONE;
        editor.Print("\nPoint or option keyword required." + text);
    }
}

int acedGrRead(int, int* type, resbuf* result) {
    cad::Answer answer;
    if (TheEditor().Ask(cad::Request::Event, "", answer) != RTNORM)
        return RTERROR;
    if (std::holds_alternative<cad::CancelAnswer>(answer))
        return RTCAN;
    const auto& event = std::get<cad::InputEvent>(answer);
    if (type)
        *type = static_cast<int>(event.type);
    if (result) {
        result->rbnext = nullptr;
        if (event.type == cad::EventType::Key) {
            result->restype = RTSHORT;
            result->resval.rint = static_cast<short>(event.key);
        } else {
            result->restype = RT3DPOINT;
            FromPoint(event.point, result->resval.rpoint);
        }
    }
    return RTNORM;
}

int acedGrDraw(const ads_point from, const ads_point to, int colour, int highlight) {
    if (!from || !to)
        return RTERROR;
    TheEditor().DrawVector(cad::ScreenVector{ToPoint(from), ToPoint(to), colour, highlight});
    return RTNORM;
}

int acedRedraw(const ads_name, int) {
    TheEditor().Redraw();
    return RTNORM;
}

int acedCommand(int type, ...) {
    va_list args;
    va_start(args, type);
    std::vector<cad::CommandArgument> arguments;
    int status = RTNORM;
    for (int t = type; t != 0 && t != RTNONE; t = va_arg(args, int)) {
        switch (t) {
        case RTSTR: {
            const char* text = va_arg(args, const char*);
            arguments.emplace_back(std::string(text ? text : ""));
            break;
        }
        case RTREAL:
        case RTANG: arguments.emplace_back(va_arg(args, double)); break;
        case RTSHORT: arguments.emplace_back(static_cast<std::int16_t>(va_arg(args, int))); break;
        case RTLONG: arguments.emplace_back(static_cast<std::int32_t>(va_arg(args, Adesk::Int32))); break;
        case RTPOINT:
        case RT3DPOINT: arguments.emplace_back(ToPoint(va_arg(args, const ads_real*))); break;
        default: status = RTREJ; break;
        }
        if (status != RTNORM)
            break;
    }
    va_end(args);
    if (status != RTNORM)
        return status;
    return cad::Host::Instance().RunBuiltIn(arguments);
}
