#include "GuiApp.h"
#include "GuiText.h"

#include "platform/cad/Host.h"
#include "platform/ui/Controls.h"
#include "platform/text/CodePage.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <filesystem>

namespace gui {

namespace {
// "*.dxf;*.dwg" for "dxf;dwg".
std::string Patterns(const std::string& extensions) {
    std::string patterns = "*.";
    for (char c : extensions)
        patterns += c == ';' ? std::string(";*.") : std::string(1, c);
    return patterns;
}

ui::DialogTemplate ChooserTemplate(const cad::FilePrompt& prompt) {
    using ui::ControlKind;
    using ui::Rect;
    constexpr unsigned kTab = ui::StyleVisible | ui::StyleTabStop;
    ui::DialogTemplate t;
    t.id = 9000;
    t.title = prompt.title.empty() ? "Choose a file" : prompt.title;
    t.units = Rect::FromSize(0, 0, 260, 172);
    t.controls = {
        {ControlKind::Static, -1, "Look in:", Rect::FromSize(7, 7, 40, 8), ui::StyleVisible},
        {ControlKind::Static, FileChooser::IdFolder, "", Rect::FromSize(50, 7, 203, 8), ui::StyleVisible},
        {ControlKind::ListBox, FileChooser::IdList, "", Rect::FromSize(7, 20, 246, 100), kTab | ui::StyleVScroll},
        {ControlKind::Static, -1, "File name:", Rect::FromSize(7, 128, 40, 8), ui::StyleVisible},
        {ControlKind::Edit, FileChooser::IdName, "", Rect::FromSize(50, 126, 203, 12), kTab},
        {ControlKind::Static, FileChooser::IdFilter, "Files of type: " + Patterns(prompt.extension),
         Rect::FromSize(7, 145, 140, 8), ui::StyleVisible},
        {ControlKind::Button, ui::kIdOk, "OK", Rect::FromSize(149, 152, 50, 14), kTab | ui::ButtonDefault},
        {ControlKind::Button, ui::kIdCancel, "Cancel", Rect::FromSize(203, 152, 50, 14), kTab},
    };
    return t;
}

// File names are the file system's bytes (UTF-8), and stay so all the way to the module, which opens files by
// them; the windows show text in their code page. A character the code page cannot show is shown as "?".
std::string Shown(const std::string& onDisk) {
    std::string shown;
    if (textkit::Active().FromUtf8(onDisk, shown))
        return shown;
    shown.clear();
    std::string one;
    for (std::size_t i = 0; i < onDisk.size();) {
        auto lead = static_cast<unsigned char>(onDisk[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 1;
        length = std::min(length, onDisk.size() - i);
        shown += textkit::Active().FromUtf8(onDisk.substr(i, length), one) ? one : std::string("?");
        i += length;
    }
    return shown;
}

// A name typed in the window's code page, as the file system spells it.
std::string OnDisk(const std::string& typed) {
    return textkit::Active().ToUtf8(typed);
}

// `extensions` may name several, parted by ";" ("dxf;dwg").
bool HasExtension(const std::string& name, const std::string& extensions) {
    std::string ext = Upper(std::filesystem::path(name).extension().string());
    std::size_t at = 0;
    while (!ext.empty() && at <= extensions.size()) {
        std::size_t end = extensions.find(';', at);
        if (end == std::string::npos)
            end = extensions.size();
        if (ext == Upper("." + extensions.substr(at, end - at)))
            return true;
        at = end + 1;
    }
    return false;
}
} // namespace

FileChooser::FileChooser(const cad::FilePrompt& prompt, const std::string& folder)
    : ui::Dialog(ChooserTemplate(prompt)), m_prompt(prompt), m_folder(folder) {}

bool FileChooser::OnInitDialog() {
    std::filesystem::path proposed(m_prompt.defaultName);
    std::error_code ignored;
    if (proposed.has_parent_path() && std::filesystem::is_directory(proposed.parent_path(), ignored))
        m_folder = std::filesystem::absolute(proposed.parent_path(), ignored).string();
    if (auto* name = Control(IdName))
        name->SetText(Shown(proposed.filename().string()));
    Fill();
    if (auto* name = dynamic_cast<ui::EditBox*>(Control(IdName))) {
        name->SetFocus();
        name->SetSelection(0, -1);
        return false;
    }
    return true;
}

void FileChooser::Fill() {
    m_entries.clear();
    std::vector<std::string> folders;
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
        std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        std::error_code kindError;
        if (entry.is_directory(kindError))
            folders.push_back(name + "/");
        else if (m_prompt.extension.empty() || HasExtension(name, m_prompt.extension))
            files.push_back(name);
    }
    std::sort(folders.begin(), folders.end());
    std::sort(files.begin(), files.end());
    if (std::filesystem::path(m_folder).has_parent_path() && m_folder != "/")
        m_entries.push_back("../");
    m_entries.insert(m_entries.end(), folders.begin(), folders.end());
    m_entries.insert(m_entries.end(), files.begin(), files.end());
    if (auto* list = dynamic_cast<ui::ListBox*>(Control(IdList))) {
        list->ClearItems();
        for (const std::string& entry : m_entries)
            list->AddItem(Shown(entry));
    }
    if (auto* folder = Control(IdFolder))
        folder->SetText(Shown(m_folder));
}

void FileChooser::Enter(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::path next = std::filesystem::weakly_canonical(std::filesystem::path(m_folder) / folder, ignored);
    if (!std::filesystem::is_directory(next, ignored))
        return;
    m_folder = next.string();
    Fill();
}

void FileChooser::Accept() {
    auto* list = dynamic_cast<ui::ListBox*>(Control(IdList));
    std::string typed = Control(IdName) ? Trim(Control(IdName)->Text()) : std::string();
    // The entry last picked from the list, by its own name, when the box still shows it.
    std::string name = !m_picked.empty() && typed == Shown(m_picked) ? m_picked : OnDisk(typed);
    if (name.empty()) {
        int selected = list ? list->Selection() : -1;
        if (selected >= 0 && m_entries[static_cast<std::size_t>(selected)].back() == '/')
            Enter(m_entries[static_cast<std::size_t>(selected)]);
        return;
    }
    std::filesystem::path path = name[0] == '/' ? std::filesystem::path(name) : std::filesystem::path(m_folder) / name;
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        Enter(path.string());
        if (auto* edit = Control(IdName))
            edit->SetText("");
        return;
    }
    // A name without an extension gets the first of those asked for.
    if ((m_prompt.flags & 1) && !m_prompt.extension.empty() && !path.has_extension())
        path += "." + m_prompt.extension.substr(0, m_prompt.extension.find(';'));
    if ((m_prompt.flags & 2) && !std::filesystem::exists(path, ignored)) {
        ui::WindowSystem::Instance().MessageBox(this, Shown(path.string()) + "\nFile not found.", Text(),
                                                ui::MessageBoxOk);
        return;
    }
    // No goes back to choosing, as the host's own dialogs do.
    if ((m_prompt.flags & 1) && std::filesystem::exists(path, ignored) &&
        ui::WindowSystem::Instance().MessageBox(this, Shown(cad::ReplaceQuestion(path.string())), Text(),
                                                ui::MessageBoxYesNo) != ui::ResultYes)
        return;
    m_chosen = path.string();
    EndDialog(ui::kIdOk);
}

void FileChooser::OnCommand(int id, int code) {
    auto* list = dynamic_cast<ui::ListBox*>(Control(IdList));
    if (id == IdList && list && list->Selection() >= 0) {
        const std::string& entry = m_entries[static_cast<std::size_t>(list->Selection())];
        bool folder = entry.back() == '/';
        if (code == ui::NotifySelectionChange && !folder && Control(IdName)) {
            m_picked = entry;
            Control(IdName)->SetText(Shown(entry));
        }
        if (code == ui::NotifyDoubleClicked) {
            if (folder)
                Enter(entry);
            else
                Accept();
        }
        return;
    }
    if (code == ui::NotifyClicked && id == ui::kIdOk) {
        Accept();
        return;
    }
    ui::Dialog::OnCommand(id, code);
}

} // namespace gui
