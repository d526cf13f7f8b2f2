// Makes operator new fail for large requests while a limit is set, so that a test can show how
// code behaves when memory runs out without exhausting the machine. Include it in exactly one
// file of a test program: it replaces the program's global operator new and delete.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

namespace testsupport {

inline std::size_t& allocationLimit()
{
    static std::size_t limit = 0;  // 0: no limit
    return limit;
}

// Requests of at least `bytes` throw std::bad_alloc while this lives.
class ScopedAllocationLimit {
public:
    explicit ScopedAllocationLimit(std::size_t bytes) : m_previous(allocationLimit())
    {
        allocationLimit() = bytes;
    }
    ~ScopedAllocationLimit() { allocationLimit() = m_previous; }
    ScopedAllocationLimit(const ScopedAllocationLimit&) = delete;
    ScopedAllocationLimit& operator=(const ScopedAllocationLimit&) = delete;

private:
    std::size_t m_previous;
};

inline void* limitedAllocation(std::size_t bytes)
{
    const std::size_t limit = allocationLimit();
    if (limit != 0 && bytes >= limit)
        throw std::bad_alloc();
    if (void* memory = std::malloc(bytes ? bytes : 1))
        return memory;
    throw std::bad_alloc();
}

}  // namespace testsupport

void* operator new(std::size_t bytes)
{
    return testsupport::limitedAllocation(bytes);
}

void* operator new[](std::size_t bytes)
{
    return testsupport::limitedAllocation(bytes);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}
