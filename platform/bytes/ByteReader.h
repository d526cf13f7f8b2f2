// The one way to read untrusted bytes: a cursor over a borrowed span whose every read is
// bounds-checked and returns a value or a DecodeError. A failed read neither moves the cursor
// nor touches a byte outside the span. The reader does not own the bytes: they must outlive it.
#pragma once

#include "platform/bytes/DecodeError.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace bytes {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const uint8_t> data) : m_data(data) {}
    ByteReader(const uint8_t* data, size_t size) : m_data(data, size) {}
    explicit ByteReader(const QByteArray& data)
        : m_data(reinterpret_cast<const uint8_t*>(data.constData()),
                 static_cast<size_t>(data.size()))
    {
    }
    // A temporary array would be gone before the first read.
    explicit ByteReader(QByteArray&&) = delete;

    size_t size() const { return m_data.size(); }
    size_t position() const { return m_position; }
    size_t remaining() const { return m_data.size() - m_position; }
    bool atEnd() const { return m_position == m_data.size(); }
    // Every byte of the reader, and the bytes from the position on.
    std::span<const uint8_t> data() const { return m_data; }
    std::span<const uint8_t> rest() const { return m_data.subspan(m_position); }

    // Moves to an absolute offset (size() itself is allowed: the end).
    Status seek(size_t offset);
    Status skip(size_t count);

    // Numbers at the position, advancing past them.
    Result<uint8_t> u8() { return next<uint8_t, false>(); }
    Result<int8_t> i8() { return next<int8_t, false>(); }
    Result<uint16_t> u16le() { return next<uint16_t, false>(); }
    Result<uint16_t> u16be() { return next<uint16_t, true>(); }
    Result<int16_t> i16le() { return next<int16_t, false>(); }
    Result<int16_t> i16be() { return next<int16_t, true>(); }
    Result<uint32_t> u32le() { return next<uint32_t, false>(); }
    Result<uint32_t> u32be() { return next<uint32_t, true>(); }
    Result<int32_t> i32le() { return next<int32_t, false>(); }
    Result<int32_t> i32be() { return next<int32_t, true>(); }
    Result<uint64_t> u64le() { return next<uint64_t, false>(); }
    Result<uint64_t> u64be() { return next<uint64_t, true>(); }

    // The next n bytes, advancing past them; the span points into the reader's data.
    Result<std::span<const uint8_t>> bytes(size_t count);
    // Copies the next target.size() bytes into target, advancing past them.
    Status read(std::span<uint8_t> target);
    // A reader over the next n bytes (its positions start at 0), advancing this one past them.
    Result<ByteReader> subReader(size_t count);
    // Consumes `magic` when the data at the position starts with it; Malformed otherwise.
    Status expect(std::string_view magic);
    // Whether the data at the position starts with `magic`; never moves.
    bool startsWith(std::string_view magic) const;

    Result<uint8_t> peekU8() const { return u8At(m_position); }

    // Numbers at an absolute offset; the position does not move.
    Result<uint8_t> u8At(size_t offset) const { return numberAt<uint8_t, false>(offset); }
    Result<uint16_t> u16leAt(size_t offset) const { return numberAt<uint16_t, false>(offset); }
    Result<uint16_t> u16beAt(size_t offset) const { return numberAt<uint16_t, true>(offset); }
    Result<int16_t> i16leAt(size_t offset) const { return numberAt<int16_t, false>(offset); }
    Result<int16_t> i16beAt(size_t offset) const { return numberAt<int16_t, true>(offset); }
    Result<uint32_t> u32leAt(size_t offset) const { return numberAt<uint32_t, false>(offset); }
    Result<uint32_t> u32beAt(size_t offset) const { return numberAt<uint32_t, true>(offset); }
    Result<int32_t> i32leAt(size_t offset) const { return numberAt<int32_t, false>(offset); }
    Result<int32_t> i32beAt(size_t offset) const { return numberAt<int32_t, true>(offset); }
    Result<std::span<const uint8_t>> bytesAt(size_t offset, size_t count) const;

private:
    bool fits(size_t offset, size_t count) const
    {
        return offset <= m_data.size() && count <= m_data.size() - offset;
    }
    DecodeError truncated(size_t offset, size_t count) const;

    template <class T, bool BigEndian>
    Result<T> numberAt(size_t offset) const
    {
        if (!fits(offset, sizeof(T)))
            return truncated(offset, sizeof(T));
        using U = std::make_unsigned_t<T>;
        U value = 0;
        for (size_t i = 0; i < sizeof(T); ++i) {
            const size_t shift = 8 * (BigEndian ? sizeof(T) - 1 - i : i);
            value = static_cast<U>(value | static_cast<U>(U{m_data[offset + i]} << shift));
        }
        return static_cast<T>(value);
    }

    template <class T, bool BigEndian>
    Result<T> next()
    {
        auto value = numberAt<T, BigEndian>(m_position);
        if (value)
            m_position += sizeof(T);
        return value;
    }

    std::span<const uint8_t> m_data;
    size_t m_position = 0;
};

}  // namespace bytes
