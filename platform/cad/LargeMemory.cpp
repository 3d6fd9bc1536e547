#include "platform/cad/LargeMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace cad {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kMaxBlock = std::size_t{8} << 20;

std::size_t RoundUp(std::size_t bytes, std::size_t to) {
    return (bytes + to - 1) / to * to;
}
} // namespace

void* AllocateLarge(std::size_t bytes) {
    if (bytes == 0 || bytes > (std::size_t{1} << 46))
        return nullptr;
    std::size_t size = RoundUp(bytes, kHugePage);
    // Huge pages must start on a huge page boundary: map one more and trim both ends.
    void* mapped = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    auto base = reinterpret_cast<std::uintptr_t>(mapped);
    std::uintptr_t aligned = RoundUp(base, kHugePage);
    if (aligned > base)
        munmap(mapped, aligned - base);
    std::size_t tail = base + size + kHugePage - (aligned + size);
    if (tail > 0)
        munmap(reinterpret_cast<void*>(aligned + size), tail);
    // Only a hint: without transparent huge pages the memory is as good, just slower to touch.
    madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void FreeLarge(void* memory, std::size_t bytes) {
    if (memory)
        munmap(memory, RoundUp(bytes, kHugePage));
}

Arena::~Arena() {
    while (m_block) {
        Block* previous = m_block->previous;
        std::size_t size = m_block->size;
        if (size >= kHugePage)
            FreeLarge(m_block, size);
        else
            std::free(m_block);
        m_block = previous;
    }
}

void* Arena::Allocate(std::size_t bytes, std::size_t alignment) {
    std::size_t start = RoundUp(m_used, alignment);
    if (!m_block || start + bytes > m_block->size) {
        // Small drawings stay small; big ones soon get blocks of huge pages.
        std::size_t size = m_blockSize;
        if (size < kMaxBlock)
            m_blockSize *= 2;
        std::size_t header = RoundUp(sizeof(Block), alignof(std::max_align_t));
        if (size < header + bytes + alignment)
            size = RoundUp(header + bytes + alignment, kHugePage);
        void* memory = size >= kHugePage ? AllocateLarge(size) : std::malloc(size);
        if (!memory)
            return nullptr;
        m_block = new (memory) Block{m_block, size};
        start = RoundUp(header, alignment);
    }
    m_used = start + bytes;
    return reinterpret_cast<char*>(m_block) + start;
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

bool ByteBuffer::Reserve(std::size_t capacity) {
    if (capacity <= m_capacity)
        return true;
    bool large = capacity >= kHugePage;
    char* data = static_cast<char*>(large ? AllocateLarge(capacity) : std::malloc(capacity));
    if (!data)
        return false;
    if (m_size > 0)
        std::memcpy(data, m_data, m_size);
    Release();
    m_data = data;
    m_capacity = large ? RoundUp(capacity, kHugePage) : capacity;
    return true;
}

void ByteBuffer::Release() {
    if (!m_data)
        return;
    if (m_capacity >= kHugePage)
        FreeLarge(m_data, m_capacity);
    else
        std::free(m_data);
    m_data = nullptr;
    m_capacity = 0;
}

} // namespace cad
