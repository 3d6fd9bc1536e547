#include "dialogs/DialogResources.h"

#include "host/HostServices.h"

#include <dlfcn.h>

namespace vantorel {

namespace {
using ui::ControlKind;
using ui::ControlTemplate;
using ui::Rect;

constexpr unsigned kTab = ui::StyleVisible | ui::StyleTabStop;

ui::DialogTemplate TemplateDialog() {
    ui::DialogTemplate t;
    t.id = kTemplateDialogId;
    t.title = "BOM Template";
    t.units = Rect::FromSize(0, 0, 393, 248);
    t.systemMenu = true;
    t.controls = {
        {ControlKind::Placeholder, 201, "", Rect::FromSize(8, 23, 312, 212), ui::StyleVisible | ui::StyleBorder},
        {ControlKind::Static, -1, "Current file:", Rect::FromSize(10, 10, 40, 8), ui::StyleVisible},
        {ControlKind::Static, 210, "", Rect::FromSize(50, 10, 250, 8), ui::StyleVisible},
        {ControlKind::Static, 1001, "", Rect::FromSize(213, 5, 180, 13), ui::StyleVisible},
        {ControlKind::GroupBox, -1, "", Rect::FromSize(327, 20, 60, 90), ui::StyleVisible},
        {ControlKind::Button, 207, "&Insert Row", Rect::FromSize(332, 30, 50, 14), kTab},
        {ControlKind::Button, 208, "&Delete Row", Rect::FromSize(332, 50, 50, 14), kTab},
        {ControlKind::Button, 217, "&Move Up", Rect::FromSize(332, 70, 50, 14), kTab},
        {ControlKind::Button, 218, "&Move Down", Rect::FromSize(332, 90, 50, 14), kTab},
        {ControlKind::GroupBox, -1, "", Rect::FromSize(327, 120, 60, 115), ui::StyleVisible},
        {ControlKind::Button, 202, "&New", Rect::FromSize(332, 132, 50, 14), kTab},
        {ControlKind::Button, 203, "&Open", Rect::FromSize(332, 152, 50, 14), kTab},
        {ControlKind::Button, 200, "&Save", Rect::FromSize(332, 172, 50, 14), kTab},
        {ControlKind::Button, 204, "&Save As", Rect::FromSize(332, 192, 50, 14), kTab},
        {ControlKind::Button, 205, "&Close", Rect::FromSize(332, 212, 50, 14), kTab | ui::ButtonDefault},
    };
    return t;
}

ui::DialogTemplate ReportDialog() {
    ui::DialogTemplate t;
    t.id = kReportDialogId;
    t.title = "BOM Report";
    t.units = Rect::FromSize(0, 0, 394, 277);
    t.systemMenu = true;
    t.controls = {
        {ControlKind::Button, 212, "&Close", Rect::FromSize(10, 250, 50, 14), kTab},
        {ControlKind::Button, 213, "&Attach New", Rect::FromSize(270, 256, 26, 14), ui::StyleTabStop},
        {ControlKind::Placeholder, 216, "", Rect::FromSize(7, 25, 380, 215), ui::StyleVisible},
        {ControlKind::Static, 214, "", Rect::FromSize(54, 10, 327, 8), ui::StyleVisible},
        {ControlKind::Button, 200, "&Save to file", Rect::FromSize(130, 250, 50, 14), kTab},
        {ControlKind::Static, -1, "Current file:", Rect::FromSize(11, 10, 40, 8), ui::StyleVisible},
        {ControlKind::Button, 207, "&Insert", Rect::FromSize(70, 250, 50, 14), kTab},
        {ControlKind::CheckBox, 221, "Show Price", Rect::FromSize(190, 250, 52, 10), kTab},
    };
    return t;
}
} // namespace

HINSTANCE DialogResourceModule() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&DialogResourceModule), &info) == 0)
        return nullptr;
    return info.dli_fbase;
}

ui::DialogTemplate LoadDialogTemplate(int id) {
    AcApDocManager* documents = acDocManagerPtr();
    if (!documents || documents->curResourceHandle() != DialogResourceModule())
        return ui::DialogTemplate{};
    if (id == kTemplateDialogId)
        return TemplateDialog();
    if (id == kReportDialogId)
        return ReportDialog();
    return ui::DialogTemplate{};
}

} // namespace vantorel
