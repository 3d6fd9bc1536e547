#pragma once

#include "bom/ReplacingFile.h"

#include <xlsxwriter.h>

#include <string>

namespace vantorel {

// An XLSX workbook of one sheet, written beside its target and put in its place only when it is whole, with the
// formats every workbook of ours uses.
class XlsxBook {
public:
    XlsxBook(const std::string& path, const char* sheetName);
    ~XlsxBook(); // without Close, what was written goes and the target stays as it was
    XlsxBook(const XlsxBook&) = delete;
    XlsxBook& operator=(const XlsxBook&) = delete;

    // Null when the workbook cannot be made there.
    lxw_worksheet* Sheet() const { return m_sheet; }
    lxw_workbook* Book() const { return m_book; }
    lxw_format* Bold() const { return m_bold; }
    lxw_format* Money() const { return m_money; } // 0.00
    // Writes the workbook and puts it in the target's place; false, with the reason, when it cannot be.
    [[nodiscard]] bool Close(std::string& error);

private:
    std::string m_path;
    ReplacingFile m_file;
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_bold = nullptr;
    lxw_format* m_money = nullptr;
};

} // namespace vantorel
