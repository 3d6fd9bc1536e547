#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cad {

// A short text that many objects share, such as a layer's name: kept once for the whole process and referred to
// by a pointer, so a million entities on a handful of layers hold a million pointers rather than a million strings.
// Texts are never given back; a process meets few of them.
class InternedText {
public:
    InternedText() : m_text(&Empty()) {}
    InternedText(std::string_view text); // safe from any thread
    InternedText(const char* text) : InternedText(std::string_view(text)) {}
    InternedText(const std::string& text) : InternedText(std::string_view(text)) {}

    const std::string& str() const { return *m_text; }
    operator const std::string&() const { return *m_text; }
    operator std::string_view() const { return *m_text; }
    const char* c_str() const { return m_text->c_str(); }
    bool empty() const { return m_text->empty(); }
    std::size_t size() const { return m_text->size(); }

    friend bool operator==(const InternedText& a, std::string_view b) { return *a.m_text == b; }

private:
    static const std::string& Empty();
    const std::string* m_text;
};

} // namespace cad
