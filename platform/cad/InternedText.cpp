#include "platform/cad/InternedText.h"

#include <mutex>
#include <unordered_set>

namespace cad {

namespace {
struct Pool {
    std::mutex mutex;
    std::unordered_set<std::string> texts; // nodes stay where they are as the set grows
};

Pool& ThePool() {
    static Pool* pool = new Pool(); // outlives every object that points into it, static ones too
    return *pool;
}
} // namespace

const std::string& InternedText::Empty() {
    static const std::string* empty = new std::string();
    return *empty;
}

InternedText::InternedText(std::string_view text) : m_text(&Empty()) {
    if (text.empty())
        return;
    Pool& pool = ThePool();
    std::lock_guard lock(pool.mutex);
    m_text = &*pool.texts.emplace(text).first;
}

} // namespace cad
