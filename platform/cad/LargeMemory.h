#pragma once

#include <cstddef>
#include <new>

namespace cad {

// Big drawings make arrays of tens of megabytes: they are mapped from the system and unmapped whole, so the
// heap neither grows by them nor keeps them. Null when the system has no memory to give.
[[nodiscard]] void* AllocateLarge(std::size_t bytes);
void FreeLarge(void* memory, std::size_t bytes);

// For the standard containers: small blocks from the usual heap, big ones as above.
template <typename T> struct LargeAllocator {
    using value_type = T;
    static constexpr std::size_t kLargeBytes = std::size_t{1} << 20;

    LargeAllocator() = default;
    template <typename U> LargeAllocator(const LargeAllocator<U>&) {}

    T* allocate(std::size_t n) {
        if (n * sizeof(T) < kLargeBytes)
            return static_cast<T*>(::operator new(n * sizeof(T)));
        void* memory = AllocateLarge(n * sizeof(T));
        if (!memory)
            throw std::bad_alloc(); // as the heap would; the containers know no other way to say it
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t n) {
        if (n * sizeof(T) < kLargeBytes)
            ::operator delete(memory);
        else
            FreeLarge(memory, n * sizeof(T));
    }
    template <typename U> bool operator==(const LargeAllocator<U>&) const { return true; }
};

// Many small objects that live as long as their owner: handed out one after another from big blocks and
// given back all at once.
class Arena {
public:
    Arena() = default;
    ~Arena();
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    // Null when the system has no memory to give.
    [[nodiscard]] void* Allocate(std::size_t bytes, std::size_t alignment);

private:
    struct Block {
        Block* previous;
        std::size_t size;
    };
    Block* m_block = nullptr;
    std::size_t m_used = 0;
    std::size_t m_blockSize = std::size_t{1} << 16; // grows to kMaxBlock as the arena fills
};

// A buffer of bytes that is not cleared first: for a file about to be read into it.
class ByteBuffer {
public:
    ByteBuffer() = default;
    ~ByteBuffer() { Release(); }
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    // Room for `capacity` bytes, keeping the ones held; false when there is no memory.
    [[nodiscard]] bool Reserve(std::size_t capacity);
    char* Data() { return m_data; }
    const char* Data() const { return m_data; }
    std::size_t Size() const { return m_size; }
    std::size_t Capacity() const { return m_capacity; }
    void SetSize(std::size_t size) { m_size = size <= m_capacity ? size : m_capacity; }

private:
    void Release();
    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

} // namespace cad
