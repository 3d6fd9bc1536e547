#pragma once

#include "platform/cad/arx/adesk.h"
#include "platform/ui/Dialog.h"

namespace vantorel {

inline constexpr int kTemplateDialogId = 200;
inline constexpr int kReportDialogId = 201;

// The module that holds the dialog templates below, as the resource stack names it.
[[nodiscard]] HINSTANCE DialogResourceModule();
// The template `id` when the framework looks in this module (its handle on top of the resource stack);
// otherwise an empty template with id 0, as a host that cannot find the resource would give.
[[nodiscard]] ui::DialogTemplate LoadDialogTemplate(int id);

} // namespace vantorel
