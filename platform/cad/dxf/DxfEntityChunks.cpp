#include "platform/cad/dxf/DxfEntityChunks.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cad {

namespace {
bool AllDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// Tags that end the section.
bool EndsSection(std::string_view type) {
    return type == "ENDSEC" || type == "SECTION" || type == "EOF";
}

// The line from `at` to its end, and where the next line starts.
std::string_view LineAt(std::string_view content, std::size_t at, std::size_t& next) {
    const void* found = std::memchr(content.data() + at, '\n', content.size() - at);
    std::size_t end = found ? static_cast<std::size_t>(static_cast<const char*>(found) - content.data()) : content.size();
    next = end < content.size() ? end + 1 : content.size();
    return content.substr(at, end - at);
}

// The first entity start from the line after `from` on: a group code 0 and a type that is no follower. Values
// and codes take turns, and a code is all digits, so a line "0" followed by one that is not is a group 0 and
// its type. npos when the section or the content ends first.
std::size_t NextEntityStart(std::string_view content, std::size_t from) {
    const void* found = std::memchr(content.data() + from, '\n', content.size() - from);
    if (!found)
        return std::string_view::npos;
    std::size_t at = static_cast<std::size_t>(static_cast<const char*>(found) - content.data()) + 1;
    while (at < content.size()) {
        std::size_t next = 0;
        std::string_view line = Trim(LineAt(content, at, next));
        if (line == "0" && next < content.size()) {
            std::size_t after = 0;
            std::string_view type = Trim(LineAt(content, next, after));
            if (!AllDigits(type)) {
                if (EndsSection(type))
                    return std::string_view::npos;
                if (!IsFollower(type) && !type.empty())
                    return at;
            }
        }
        at = next;
    }
    return std::string_view::npos;
}

void ReadChunk(const DxfSource& source, EntityChunk& chunk, const CodePage* fileCodePage, const CodePage& active,
               const EntityReader::Lookup& findBlock, const EntityReader::Lookup& findStyle) {
    std::string_view content = source.Content();
    EntityReader reader(*chunk.arena, fileCodePage, active, findBlock, findStyle);
    DxfTagStream stream(content, DxfFormat::Ascii);
    stream.Resume(chunk.begin, 0);
    std::size_t released = chunk.begin;
    chunk.outcome = EntityChunk::Outcome::Redo;
    DxfTag tag;
    while (stream.Peek(tag)) {
        if (tag.begin >= chunk.limit) {
            if (tag.begin == chunk.limit)
                chunk.outcome = EntityChunk::Outcome::Complete;
            break;
        }
        // A stray ENDBLK is the single reader's to skip.
        if (tag.code != 0 || EndsSection(tag.value) || IsFollower(tag.value) || tag.value == "ENDBLK") {
            chunk.outcome = EntityChunk::Outcome::Stopped;
            break;
        }
        // An entity that fails is read again by the single reader, and fails again where its line is known.
        if (!reader.Read(stream, chunk.records))
            break;
        source.ReleaseBefore(released, stream.Offset());
    }
    source.ReleaseBefore(released, stream.Offset(), true);
    chunk.stop = tag.begin;
    chunk.stopLines = tag.line - 1;
    chunk.handles = reader.Handles();
    chunk.lost = reader.Lost();
    chunk.unresolved = std::move(reader.UnresolvedNames());
}
} // namespace

EntityChunk::~EntityChunk() {
    for (const EntityRecord& record : records)
        ObjectDeleter()(record.entity);
}

namespace {
// The next line starting with "E" from `at` on: the offset of its line end before it, or npos. Such lines are rare
// in a drawing (ENDSEC, ENDBLK, ELLIPSE, a few names), so sixteen bytes are looked at at once for the pair.
std::size_t NextLineStartingWithE(std::string_view content, std::size_t at) {
    const char* data = content.data();
    std::size_t size = content.size();
#if defined(__SSE2__)
    const __m128i newline = _mm_set1_epi8('\n');
    const __m128i letter = _mm_set1_epi8('E');
    while (at + 17 <= size) {
        __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + 1));
        auto both = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, newline), _mm_cmpeq_epi8(after, letter))));
        if (both)
            return at + static_cast<std::size_t>(__builtin_ctz(both));
        at += 16;
    }
#endif
    for (; at + 1 < size; ++at) {
        if (data[at] == '\n' && data[at + 1] == 'E')
            return at;
    }
    return std::string_view::npos;
}
} // namespace

std::size_t EntitySectionEnd(std::string_view content, std::size_t begin) {
    static constexpr std::string_view kEnd = "ENDSEC";
    for (std::size_t at = begin; at < content.size();) {
        std::size_t lineStart = NextLineStartingWithE(content, at);
        if (lineStart == std::string_view::npos)
            return std::string_view::npos;
        at = lineStart + 1;
        // The word must be a line of its own, after a line "0".
        std::size_t next = 0;
        if (Trim(LineAt(content, lineStart + 1, next)) != kEnd || lineStart == 0)
            continue;
        std::size_t codeStart = content.rfind('\n', lineStart - 1);
        codeStart = codeStart == std::string_view::npos ? 0 : codeStart + 1;
        if (codeStart >= begin && Trim(content.substr(codeStart, lineStart - codeStart)) == "0")
            return codeStart;
    }
    return std::string_view::npos;
}

std::vector<std::size_t> EntityChunkStarts(std::string_view content, std::size_t begin, std::size_t end,
                                           unsigned count) {
    std::vector<std::size_t> starts{begin};
    end = std::min(end, content.size());
    if (end <= begin)
        return starts;
    std::string_view section = content.substr(0, end);
    std::size_t share = count > 1 ? (end - begin) / count : 0;
    for (unsigned k = 1; k < count; ++k) {
        std::size_t start = NextEntityStart(section, std::max(begin + k * share, starts.back() + 1));
        if (start == std::string_view::npos)
            break;
        starts.push_back(start);
    }
    return starts;
}

void ReadEntityChunks(const DxfSource& source, std::vector<EntityChunk>& chunks, unsigned threads,
                      const CodePage* fileCodePage, const CodePage& active, const EntityReader::Lookup& findBlock,
                      const EntityReader::Lookup& findStyle, const std::function<bool(EntityChunk&)>& take) {
    // Chunks are claimed in their order by whichever thread is free, the calling one too, which also takes the
    // chunks read, in order, as soon as they are, so that filling the database overlaps with reading. A chunk
    // is only ever waited for once some thread has claimed it, and a thread that claims a chunk always marks it
    // read, whatever became of it: so no wait is for work that no thread will do.
    enum State : char { Unclaimed, Claimed, Read };
    std::mutex mutex;
    std::condition_variable ready;
    std::size_t next = 0; // chunks before this are claimed
    bool stopped = false;  // no more are claimed
    std::vector<State> states(chunks.size(), Unclaimed);
    auto claim = [&]() -> std::size_t {
        std::lock_guard lock(mutex);
        if (stopped || next >= chunks.size())
            return chunks.size();
        states[next] = Claimed;
        return next++;
    };
    auto readChunk = [&](std::size_t k) {
        try {
            ReadChunk(source, chunks[k], fileCodePage, active, findBlock, findStyle);
        } catch (...) {
            // Out of memory, say: the single reader reads the chunk instead, and says so if it fails too.
            chunks[k].outcome = EntityChunk::Outcome::Redo;
        }
        std::lock_guard lock(mutex);
        states[k] = Read;
        ready.notify_all();
    };
    auto work = [&] {
        for (std::size_t k = claim(); k < chunks.size(); k = claim())
            readChunk(k);
    };
    std::vector<std::thread> helpers;
    // A system out of threads leaves more of the chunks to this one.
    try {
        for (unsigned t = 1; t < threads && t < chunks.size(); ++t)
            helpers.emplace_back(work);
    } catch (const std::system_error&) {
    }
    for (std::size_t taken = 0; taken < chunks.size();) {
        bool isRead = false;
        bool allClaimed = false;
        {
            std::unique_lock lock(mutex);
            isRead = states[taken] == Read;
            allClaimed = next >= chunks.size();
            // Nothing left to read here while another thread reads the chunk to take: wait for it, which that
            // thread will mark read.
            if (!isRead && allClaimed) {
                ready.wait(lock, [&] { return states[taken] == Read; });
                isRead = true;
            }
        }
        if (isRead) {
            if (!take(chunks[taken]))
                break; // what comes after is read by the single reader
            ++taken;
            continue;
        }
        // The chunk to take, or a later one, is not claimed yet: read it here meanwhile.
        std::size_t k = claim();
        if (k < chunks.size())
            readChunk(k);
    }
    {
        std::lock_guard lock(mutex);
        stopped = true;
    }
    for (std::thread& helper : helpers)
        helper.join();
}

} // namespace cad
