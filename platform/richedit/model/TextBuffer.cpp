#include "platform/richedit/model/TextBuffer.h"

#include <algorithm>
#include <cstring>

namespace richedit {
namespace {

// The smallest gap a growing buffer gets; larger texts get an eighth of their size, so that
// regrowing (which copies everything) stays rare.
constexpr qsizetype MinimumGap = 4096;

}  // namespace

void TextBuffer::copyOut(qsizetype position, qsizetype count, char16_t* out) const
{
    const qsizetype before = std::clamp<qsizetype>(m_gapStart - position, 0, count);
    if (before > 0)
        std::memcpy(out, m_data.get() + position, size_t(before) * sizeof(char16_t));
    if (count > before)
        std::memcpy(out + before, m_data.get() + position + before + gapSize(),
                    size_t(count - before) * sizeof(char16_t));
}

QString TextBuffer::mid(qsizetype position, qsizetype count) const
{
    position = std::clamp<qsizetype>(position, 0, size());
    count = std::clamp<qsizetype>(count, 0, size() - position);
    QString result(count, Qt::Uninitialized);
    copyOut(position, count, reinterpret_cast<char16_t*>(result.data()));
    return result;
}

void TextBuffer::moveGapTo(qsizetype position)
{
    char16_t* data = m_data.get();
    const qsizetype gap = gapSize();
    if (position == m_gapStart)
        return;
    if (position < m_gapStart) {
        const qsizetype count = m_gapStart - position;
        std::memmove(data + position + gap, data + position, size_t(count) * sizeof(char16_t));
    } else {
        const qsizetype count = position - m_gapStart;
        std::memmove(data + m_gapStart, data + m_gapEnd, size_t(count) * sizeof(char16_t));
    }
    m_gapStart = position;
    m_gapEnd = position + gap;
}

void TextBuffer::reserveGap(qsizetype needed)
{
    if (gapSize() >= needed)
        return;
    const qsizetype length = size();
    const qsizetype gap = needed + std::max(MinimumGap, (length + needed) / 8);
    auto data = std::make_unique_for_overwrite<char16_t[]>(size_t(length + gap));
    copyOut(0, m_gapStart, data.get());
    const qsizetype after = length - m_gapStart;
    copyOut(m_gapStart, after, data.get() + m_gapStart + gap);
    m_data = std::move(data);
    m_capacity = length + gap;
    m_gapEnd = m_gapStart + gap;
}

void TextBuffer::replace(qsizetype position, qsizetype removed, QStringView text)
{
    position = std::clamp<qsizetype>(position, 0, size());
    removed = std::clamp<qsizetype>(removed, 0, size() - position);
    moveGapTo(position);
    m_gapEnd += removed;
    reserveGap(text.size());
    if (!text.isEmpty())
        std::memcpy(m_data.get() + m_gapStart, text.utf16(),
                    size_t(text.size()) * sizeof(char16_t));
    m_gapStart += text.size();
}

void TextBuffer::assign(QStringView text)
{
    clear(text.size());
    append(text);
}

void TextBuffer::clear(qsizetype capacity)
{
    m_data.reset();
    m_capacity = m_gapStart = m_gapEnd = 0;
    reserveGap(capacity);
}

}  // namespace richedit
