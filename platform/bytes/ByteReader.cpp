#include "platform/bytes/ByteReader.h"

#include <algorithm>

namespace bytes {

DecodeError ByteReader::truncated(size_t offset, size_t count) const
{
    const size_t available = offset <= m_data.size() ? m_data.size() - offset : 0;
    return DecodeError::truncated(QStringLiteral("%1 bytes needed at offset %2, %3 there")
                                      .arg(count)
                                      .arg(offset)
                                      .arg(available));
}

Status ByteReader::seek(size_t offset)
{
    if (offset > m_data.size())
        return DecodeError::truncated(
            QStringLiteral("offset %1 is past the end at %2").arg(offset).arg(m_data.size()));
    m_position = offset;
    return {};
}

Status ByteReader::skip(size_t count)
{
    if (!fits(m_position, count))
        return truncated(m_position, count);
    m_position += count;
    return {};
}

Result<std::span<const uint8_t>> ByteReader::bytesAt(size_t offset, size_t count) const
{
    if (!fits(offset, count))
        return truncated(offset, count);
    return m_data.subspan(offset, count);
}

Result<std::span<const uint8_t>> ByteReader::bytes(size_t count)
{
    auto span = bytesAt(m_position, count);
    if (span)
        m_position += count;
    return span;
}

Status ByteReader::read(std::span<uint8_t> target)
{
    const auto source = bytes(target.size());
    if (!source)
        return source.error();
    std::copy(source.value().begin(), source.value().end(), target.begin());
    return {};
}

Result<ByteReader> ByteReader::subReader(size_t count)
{
    const auto span = bytes(count);
    if (!span)
        return span.error();
    return ByteReader(span.value());
}

bool ByteReader::startsWith(std::string_view magic) const
{
    if (!fits(m_position, magic.size()))
        return false;
    return std::equal(magic.begin(), magic.end(), m_data.begin() + m_position,
                      [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

Status ByteReader::expect(std::string_view magic)
{
    if (!startsWith(magic)) {
        if (!fits(m_position, magic.size()))
            return truncated(m_position, magic.size());
        return DecodeError::malformed(
            QStringLiteral("expected \"%1\" at offset %2")
                .arg(QString::fromLatin1(magic.data(), static_cast<qsizetype>(magic.size())))
                .arg(m_position));
    }
    m_position += magic.size();
    return {};
}

}  // namespace bytes
