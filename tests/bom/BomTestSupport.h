#pragma once

#include "bom/BomReport.h"
#include "bom/CatalogEntry.h"
#include "platform/cad/Host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace vantorel {
inline void PrintTo(const ReportRow& row, std::ostream* out) {
    *out << "{\"" << row.blockName << "\", " << row.itemPrice << ", " << row.quantity << ", \"" << row.description
         << "\", " << row.total << "}";
}
inline void PrintTo(const CatalogEntry& entry, std::ostream* out) {
    *out << "{\"" << entry.blockName << "\", \"" << entry.price << "\", \"" << entry.description << "\"}";
}
} // namespace vantorel

namespace bomtest {

// The host's active code page for as long as the guard lives.
class ActiveCodePage {
public:
    explicit ActiveCodePage(int number) : m_saved(cad::Host::Instance().ActiveCodePage()) {
        cad::Host::Instance().SetActiveCodePage(*cad::CodePage::Find(number));
    }
    ~ActiveCodePage() { cad::Host::Instance().SetActiveCodePage(m_saved); }
    ActiveCodePage(const ActiveCodePage&) = delete;
    ActiveCodePage& operator=(const ActiveCodePage&) = delete;

private:
    const cad::CodePage& m_saved;
};

// A folder of its own for each test, gone when the test ends.
class TempFolder {
public:
    TempFolder() {
        static int s_serial = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("vantorel-bom-" + std::to_string(::getpid()) + "-" + std::to_string(++s_serial));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    // Writes exactly these bytes.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(m_path / name, std::ios::binary) << bytes;
        return File(name);
    }

private:
    std::filesystem::path m_path;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

inline std::vector<std::string> TakeAlerts() {
    cad::Editor& editor = cad::Host::Instance().GetEditor();
    std::vector<std::string> alerts = editor.Alerts();
    editor.ClearAlerts();
    return alerts;
}

} // namespace bomtest
