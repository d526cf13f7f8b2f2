// A vector that keeps up to N elements inside itself and goes to the heap only beyond that:
// most paragraphs hold one run, and a million of them should not cost a million heap blocks.
// The heap pointer shares the inline room, so with N = 1 it is no larger than the element plus
// its two counts.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <new>
#include <utility>

namespace richedit {

template <typename T, uint32_t N>
class InlineVector {
    static_assert(N >= 1);

public:
    using value_type = T;
    using size_type = size_t;
    using iterator = T*;
    using const_iterator = const T*;
    using reference = T&;
    using const_reference = const T&;

    InlineVector() noexcept {}
    InlineVector(std::initializer_list<T> values)
    {
        reserve(values.size());
        for (const T& value : values)
            push_back(value);
    }
    InlineVector(const InlineVector& other)
    {
        reserve(other.size());
        std::uninitialized_copy(other.begin(), other.end(), data());
        m_size = other.m_size;
    }
    InlineVector(InlineVector&& other) noexcept { takeFrom(other); }
    InlineVector& operator=(const InlineVector& other)
    {
        if (this != &other) {
            InlineVector copy(other);
            *this = std::move(copy);
        }
        return *this;
    }
    InlineVector& operator=(InlineVector&& other) noexcept
    {
        if (this != &other) {
            release();
            takeFrom(other);
        }
        return *this;
    }
    ~InlineVector() { release(); }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    size_t capacity() const { return m_capacity; }

    T* data() { return isInline() ? inlineData() : m_heap; }
    const T* data() const { return isInline() ? inlineData() : m_heap; }
    T* begin() { return data(); }
    T* end() { return data() + m_size; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + m_size; }
    T& operator[](size_t index) { return data()[index]; }
    const T& operator[](size_t index) const { return data()[index]; }
    T& front() { return data()[0]; }
    const T& front() const { return data()[0]; }
    T& back() { return data()[m_size - 1]; }
    const T& back() const { return data()[m_size - 1]; }

    void reserve(size_t wanted)
    {
        if (wanted > m_capacity)
            reallocate(wanted);
    }

    template <typename... Args>
    T& emplace_back(Args&&... args)
    {
        if (m_size == m_capacity) {
            // Built first: an argument may refer to an element that the growth moves.
            T value(std::forward<Args>(args)...);
            grow(m_size + 1);
            ::new (static_cast<void*>(data() + m_size)) T(std::move(value));
        } else {
            ::new (static_cast<void*>(data() + m_size)) T(std::forward<Args>(args)...);
        }
        return data()[m_size++];
    }
    void push_back(const T& value) { emplace_back(value); }
    void push_back(T&& value) { emplace_back(std::move(value)); }

    iterator insert(const_iterator position, const T& value) { return insert(position, {value}); }
    iterator insert(const_iterator position, std::initializer_list<T> values)
    {
        const auto at = size_t(position - begin());
        const size_t count = values.size();
        grow(m_size + count);
        T* items = data();
        // Appended at the end, then rotated into place.
        std::uninitialized_copy(values.begin(), values.end(), items + m_size);
        m_size += uint32_t(count);
        std::rotate(items + at, items + m_size - count, items + m_size);
        return items + at;
    }

    iterator erase(const_iterator first, const_iterator last)
    {
        T* items = data();
        const auto from = size_t(first - items);
        const auto to = size_t(last - items);
        std::move(items + to, items + m_size, items + from);
        std::destroy(items + m_size - (to - from), items + m_size);
        m_size -= uint32_t(to - from);
        return items + from;
    }
    iterator erase(const_iterator position) { return erase(position, position + 1); }

    void clear()
    {
        std::destroy(begin(), end());
        m_size = 0;
    }

private:
    bool isInline() const { return m_capacity == N; }
    T* inlineData() { return std::launder(reinterpret_cast<T*>(m_inline)); }
    const T* inlineData() const { return std::launder(reinterpret_cast<const T*>(m_inline)); }

    void grow(size_t wanted)
    {
        if (wanted > m_capacity)
            reallocate(std::max<size_t>(wanted, size_t(m_capacity) * 2));
    }

    void reallocate(size_t capacity)
    {
        T* fresh = std::allocator<T>().allocate(capacity);
        T* old = data();
        std::uninitialized_move(old, old + m_size, fresh);
        std::destroy(old, old + m_size);
        if (!isInline())
            std::allocator<T>().deallocate(m_heap, m_capacity);
        m_heap = fresh;
        m_capacity = uint32_t(capacity);
    }

    void release()
    {
        std::destroy(begin(), end());
        if (!isInline())
            std::allocator<T>().deallocate(m_heap, m_capacity);
        m_size = 0;
        m_capacity = N;
    }

    // Leaves `other` empty and inline.
    void takeFrom(InlineVector& other) noexcept
    {
        if (other.isInline()) {
            std::uninitialized_move(other.begin(), other.end(), inlineData());
            std::destroy(other.begin(), other.end());
            m_capacity = N;
        } else {
            m_heap = other.m_heap;
            m_capacity = other.m_capacity;
            other.m_capacity = N;
        }
        m_size = other.m_size;
        other.m_size = 0;
    }

    union {
        T* m_heap;
        alignas(T) unsigned char m_inline[sizeof(T) * N];
    };
    uint32_t m_size = 0;
    uint32_t m_capacity = N;  // N: the elements are inline
};

}  // namespace richedit
