#include "exporters/XlsxBook.h"

namespace vantorel {

XlsxBook::XlsxBook(const std::string& path, const char* sheetName) : m_path(path), m_file(path) {
    m_book = m_file.Stream() ? workbook_new(m_file.Path().c_str()) : nullptr;
    m_sheet = m_book ? workbook_add_worksheet(m_book, sheetName) : nullptr;
    if (!m_sheet)
        return;
    m_bold = workbook_add_format(m_book);
    format_set_bold(m_bold);
    m_money = workbook_add_format(m_book);
    format_set_num_format(m_money, "0.00");
}

XlsxBook::~XlsxBook() {
    if (m_book)
        workbook_close(m_book);
}

bool XlsxBook::Close(std::string& error) {
    lxw_error closed = m_book ? workbook_close(m_book) : LXW_ERROR_CREATING_XLSX_FILE;
    m_book = nullptr;
    if (closed != LXW_NO_ERROR || !m_sheet || !m_file.Commit()) {
        error = "cannot write " + m_path + (closed != LXW_NO_ERROR ? std::string(": ") + lxw_strerror(closed) : "");
        return false;
    }
    return true;
}

} // namespace vantorel
