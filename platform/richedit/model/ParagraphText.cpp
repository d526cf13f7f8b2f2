#include "platform/richedit/model/ParagraphText.h"

#include <QtGlobal>
#include <algorithm>
#include <cstring>

namespace richedit {

namespace {

void moveCharacters(QChar* to, const QChar* from, qsizetype count)
{
    if (count > 0)
        std::memmove(to, from, size_t(count) * sizeof(QChar));
}

// The rest of a two-piece text from `at` up to the end of the piece holding it.
QStringView restOfPiece(const std::pair<QStringView, QStringView>& pieces, qsizetype at)
{
    const qsizetype first = pieces.first.size();
    return at < first ? pieces.first.sliced(at) : pieces.second.sliced(at - first);
}

bool samePieces(const std::pair<QStringView, QStringView>& a,
                const std::pair<QStringView, QStringView>& b, qsizetype size)
{
    for (qsizetype at = 0; at < size;) {
        const QStringView left = restOfPiece(a, at);
        const QStringView right = restOfPiece(b, at);
        const qsizetype count = std::min(left.size(), right.size());
        if (left.first(count) != right.first(count))
            return false;
        at += count;
    }
    return true;
}

}  // namespace

std::pair<QStringView, QStringView> ParagraphText::pieces(qsizetype from, qsizetype count) const
{
    const qsizetype length = size();
    from = std::clamp<qsizetype>(from, 0, length);
    count = count < 0 ? length - from : std::min(count, length - from);
    const qsizetype end = from + count;
    const QChar* data = m_buffer.constData();
    if (end <= m_gapStart || m_gapLength == 0)
        return {QStringView(data + from, count), {}};
    if (from >= m_gapStart)
        return {QStringView(data + from + m_gapLength, count), {}};
    return {QStringView(data + from, m_gapStart - from),
            QStringView(data + m_gapStart + m_gapLength, end - m_gapStart)};
}

QStringView ParagraphText::view(qsizetype from, qsizetype count, QString& scratch) const
{
    const auto [first, second] = pieces(from, count);
    if (second.isEmpty())
        return first;
    scratch.clear();
    scratch.reserve(first.size() + second.size());
    scratch.append(first);
    scratch.append(second);
    return scratch;
}

QString ParagraphText::mid(qsizetype from, qsizetype count) const
{
    if (m_gapLength == 0 && from <= 0 && (count < 0 || count >= m_buffer.size()))
        return m_buffer;  // shared, not copied
    QString out;
    appendTo(out, from, count);
    return out;
}

void ParagraphText::appendTo(QString& out, qsizetype from, qsizetype count) const
{
    const auto [first, second] = pieces(from, count);
    out.reserve(out.size() + first.size() + second.size());
    out.append(first);
    out.append(second);
}

const QString& ParagraphText::string() const
{
    closeGap();
    return m_buffer;
}

bool ParagraphText::operator==(const ParagraphText& other) const
{
    const qsizetype length = size();
    return length == other.size() && samePieces(pieces(0, -1), other.pieces(0, -1), length);
}

bool ParagraphText::operator==(QStringView other) const
{
    const qsizetype length = size();
    return length == other.size() && samePieces(pieces(0, -1), {other, {}}, length);
}

void ParagraphText::replace(qsizetype from, qsizetype count, QStringView text)
{
    const qsizetype length = size();
    Q_ASSERT(from >= 0 && count >= 0 && from + count <= length);
    const qsizetype added = text.size();
    if (added == count) {
        // Nothing moves: the characters are written over where they are.
        if (count == 0)
            return;
        const auto [first, second] = pieces(from, count);
        const qsizetype firstAt = first.data() - m_buffer.constData();
        const qsizetype secondAt = firstAt + first.size() + m_gapLength;
        QChar* data = m_buffer.data();  // may copy a shared block: offsets, not pointers
        std::memcpy(data + firstAt, text.data(), size_t(first.size()) * sizeof(QChar));
        if (!second.isEmpty())
            std::memcpy(data + secondAt, text.data() + first.size(),
                        size_t(second.size()) * sizeof(QChar));
        return;
    }
    if (m_gapLength == 0 && from + count == length) {
        // At the end there is nothing to move, and no gap is needed.
        m_buffer.truncate(from);
        m_buffer.append(text);
        return;
    }
    moveGapTo(from);
    m_gapLength += count;  // the replaced characters join the gap
    widenGap(added);
    if (added > 0)
        std::memcpy(m_buffer.data() + m_gapStart, text.data(), size_t(added) * sizeof(QChar));
    m_gapStart += added;
    m_gapLength -= added;
    if (m_gapLength > 0 && m_gapStart + m_gapLength == m_buffer.size()) {
        // A gap at the end is only room to grow: the block is the text again.
        m_buffer.truncate(m_gapStart);
        m_gapLength = 0;
    }
}

ParagraphText& ParagraphText::operator+=(QStringView text)
{
    replace(size(), 0, text);
    return *this;
}

void ParagraphText::setAt(qsizetype i, QChar c)
{
    m_buffer.data()[i < m_gapStart ? i : i + m_gapLength] = c;
}

void ParagraphText::reserve(qsizetype size)
{
    closeGap();
    m_buffer.reserve(size);
}

qsizetype ParagraphText::loadedCapacity(qsizetype size)
{
    // Text grown by appending keeps room for more; a document of many short paragraphs would
    // pay for that room in every paragraph. A long paragraph keeps a little, so that the first
    // key typed in it does not move all of it into new storage.
    constexpr qsizetype RoomFrom = 1 << 14;
    return size < RoomFrom ? size : size + size / 32;
}

void ParagraphText::keepTight()
{
    closeGap();
    const qsizetype size = m_buffer.size();
    const bool tooLoose = m_buffer.capacity() > size + size / 8 + 8;
    const qsizetype room = loadedCapacity(size);
    if (room == size) {
        if (tooLoose)
            m_buffer.squeeze();
        return;
    }
    if (m_buffer.capacity() < room) {
        m_buffer.reserve(room);
    } else if (tooLoose) {
        m_buffer.resize(room);  // squeezed down to the room, then the text's own length again
        m_buffer.squeeze();
        m_buffer.resize(size);
    }
}

ParagraphText ParagraphText::unowned() const
{
    ParagraphText copy;
    copy.m_buffer = QString::fromRawData(m_buffer.constData(), m_buffer.size());
    copy.m_gapStart = m_gapStart;
    copy.m_gapLength = m_gapLength;
    return copy;
}

void ParagraphText::moveGapTo(qsizetype at)
{
    if (m_gapLength == 0) {
        m_gapStart = at;
        return;
    }
    if (at == m_gapStart)
        return;
    QChar* data = m_buffer.data();
    if (at < m_gapStart)
        moveCharacters(data + at + m_gapLength, data + at, m_gapStart - at);
    else
        moveCharacters(data + m_gapStart, data + m_gapStart + m_gapLength, at - m_gapStart);
    m_gapStart = at;
}

void ParagraphText::widenGap(qsizetype needed)
{
    if (m_gapLength >= needed)
        return;
    const qsizetype length = size();
    const qsizetype tailStart = m_gapStart + m_gapLength;
    const qsizetype tail = m_buffer.size() - tailStart;
    // Room for more keys beside the ones asked for, so that the text behind the gap moves
    // seldom: a share of the text, as a string grows by a share of itself.
    const qsizetype room = std::max<qsizetype>(length / 32, 64);
    qsizetype wanted = length + needed + room;
    if (m_buffer.isDetached() && m_buffer.capacity() >= length + needed) {
        // The block's spare capacity is the cheapest room: only the text after the gap moves.
        wanted = m_buffer.capacity();
        m_buffer.resize(wanted);
        QChar* data = m_buffer.data();
        moveCharacters(data + wanted - tail, data + tailStart, tail);
    } else {
        QString wider(wanted, Qt::Uninitialized);
        QChar* data = wider.data();
        const QChar* old = m_buffer.constData();
        std::memcpy(data, old, size_t(m_gapStart) * sizeof(QChar));
        std::memcpy(data + wanted - tail, old + tailStart, size_t(tail) * sizeof(QChar));
        m_buffer = std::move(wider);
    }
    m_gapLength = wanted - length;
}

void ParagraphText::closeGap() const
{
    if (m_gapLength == 0)
        return;
    const qsizetype tailStart = m_gapStart + m_gapLength;
    QChar* data = m_buffer.data();
    moveCharacters(data + m_gapStart, data + tailStart, m_buffer.size() - tailStart);
    m_buffer.truncate(m_buffer.size() - m_gapLength);
    m_gapStart = 0;
    m_gapLength = 0;
}

}  // namespace richedit
