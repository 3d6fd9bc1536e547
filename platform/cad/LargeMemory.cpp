#include "platform/cad/LargeMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace cad {

namespace {
// Blocks from this size on come straight from the system, and go straight back.
constexpr std::size_t kLargeBlock = std::size_t{2} << 20;
constexpr std::size_t kPage = 4096;
constexpr std::size_t kMaxBlock = std::size_t{8} << 20;

std::size_t RoundUp(std::size_t bytes, std::size_t to) {
    return (bytes + to - 1) / to * to;
}
} // namespace

// No huge-page hint: on a virtual machine that has handed idle memory back to its host, the kernel's search
// for free 2 MB pages to zero cost a load after an idle moment twice what it costs right after another.
void* AllocateLarge(std::size_t bytes) {
    if (bytes == 0 || bytes > (std::size_t{1} << 46))
        return nullptr;
    void* mapped = mmap(nullptr, RoundUp(bytes, kPage), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return mapped == MAP_FAILED ? nullptr : mapped;
}

void FreeLarge(void* memory, std::size_t bytes) {
    if (memory)
        munmap(memory, RoundUp(bytes, kPage));
}

Arena::~Arena() {
    while (m_block) {
        Block* previous = m_block->previous;
        std::size_t size = m_block->size;
        if (size >= kLargeBlock)
            FreeLarge(m_block, size);
        else
            std::free(m_block);
        m_block = previous;
    }
}

void* Arena::Allocate(std::size_t bytes, std::size_t alignment) {
    std::size_t start = RoundUp(m_used, alignment);
    if (!m_block || start + bytes > m_block->size) {
        // Small drawings stay small; big ones soon get blocks straight from the system.
        std::size_t size = m_blockSize;
        if (size < kMaxBlock)
            m_blockSize *= 2;
        std::size_t header = RoundUp(sizeof(Block), alignof(std::max_align_t));
        if (size < header + bytes + alignment)
            size = RoundUp(header + bytes + alignment, kLargeBlock);
        void* memory = size >= kLargeBlock ? AllocateLarge(size) : std::malloc(size);
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
    bool large = capacity >= kLargeBlock;
    char* data = static_cast<char*>(large ? AllocateLarge(capacity) : std::malloc(capacity));
    if (!data)
        return false;
    if (m_size > 0)
        std::memcpy(data, m_data, m_size);
    Release();
    m_data = data;
    m_capacity = large ? RoundUp(capacity, kPage) : capacity;
    return true;
}

void ByteBuffer::Release() {
    if (!m_data)
        return;
    if (m_capacity >= kLargeBlock)
        FreeLarge(m_data, m_capacity);
    else
        std::free(m_data);
    m_data = nullptr;
    m_capacity = 0;
}

} // namespace cad
