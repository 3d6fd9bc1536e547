#pragma once

// The one seam between the module and the host: every host operation the module uses comes in through
// these headers, under the host's own names, plus a few lookups every caller would otherwise repeat.
#include "platform/cad/arx/acdocman.h"
#include "platform/cad/arx/aced.h"
#include "platform/cad/arx/adslib.h"
#include "platform/cad/arx/dbdynblk.h"
#include "platform/cad/arx/dbents.h"
#include "platform/cad/arx/dbsymtb.h"
#include "platform/cad/arx/mbstring.h"
#include "platform/cad/arx/rxobject.h"

#include <string>
#include <vector>

namespace vantorel {

// A class of the host's class dictionary ("ClassDictionary"); null when the host has none of that name.
[[nodiscard]] AcRxClass* FindHostClass(const char* name);
// The command stack registered as "ACAD_REGISTERED_COMMANDS", looked up afresh on every call.
[[nodiscard]] AcEdCommandStack* FindCommandStack();
// The dynamic linker registered as "DynamicLinker".
[[nodiscard]] AcRxDynamicLinker* FindDynamicLinker();

// Closes an object opened from the database; nothing for null. The status is not wanted: the object was
// open, so it closes.
inline void CloseObject(AcDbObject* object) {
    if (object)
        [[maybe_unused]] Acad::ErrorStatus status = object->close();
}

// The names of the working drawing's block definitions, deleted ones left out, in the table's order; each
// record is opened for reading and closed again.
[[nodiscard]] std::vector<std::string> DrawingBlockNames();

// The host's system variables as the module's switches read them: a switch is on when its variable holds a
// number other than 0; a host without the variable leaves it off, the text empty, the number at `fallback`.
[[nodiscard]] bool HostSwitchOn(const char* variable);
[[nodiscard]] std::string HostText(const char* variable);
[[nodiscard]] double HostReal(const char* variable, double fallback);

// A string the host handed out, released with acad_free when the guard ends.
class HostString {
public:
    HostString() = default;
    explicit HostString(char* text) : m_text(text) {}
    ~HostString() { acad_free(m_text); }
    HostString(const HostString&) = delete;
    HostString& operator=(const HostString&) = delete;
    const char* Get() const { return m_text ? m_text : ""; }
    char*& Out() { return m_text; }

private:
    char* m_text = nullptr;
};

} // namespace vantorel
