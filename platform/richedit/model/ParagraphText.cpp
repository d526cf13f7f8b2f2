#include "platform/richedit/model/ParagraphText.h"

#include <QtGlobal>

namespace richedit {

const QChar ParagraphText::atInBlocks(qsizetype i) const
{
    const size_t k = blockAt(i);
    return m_blocks->blocks[k].data()[i - m_blocks->starts[k]];
}

ParagraphText::Reader::Reader(const ParagraphText& text) : m_text(text)
{
    if (!text.m_blocks) {
        m_data = text.m_single.constData();
        m_length = text.m_single.size();
    }
}

void ParagraphText::Reader::seek(qsizetype i) const
{
    if (!m_text.m_blocks)
        return;  // one string: every index is read straight
    const size_t k = m_text.blockAt(i);
    const Block& block = m_text.m_blocks->blocks[k];
    m_data = block.data();
    m_start = m_text.m_blocks->starts[k];
    m_length = block.length;
}

size_t ParagraphText::blockAt(qsizetype i) const
{
    const Blocks& blocks = *m_blocks;
    if (blocks.last < blocks.blocks.size() &&
        size_t(i - blocks.starts[blocks.last]) < size_t(blocks.blocks[blocks.last].length))
        return blocks.last;
    const auto after = std::upper_bound(blocks.starts.begin(), blocks.starts.end(), i);
    blocks.last = after == blocks.starts.begin() ? 0 : size_t(after - blocks.starts.begin() - 1);
    return blocks.last;
}

QStringView ParagraphText::view(qsizetype from, qsizetype count, QString& scratch) const
{
    QStringView only;
    int pieces = 0;
    forEachPiece(from, count, [&](QStringView piece) {
        if (pieces++ == 0)
            only = piece;
    });
    if (pieces <= 1)
        return only;
    scratch.clear();
    appendTo(scratch, from, count);
    return scratch;
}

QString ParagraphText::mid(qsizetype from, qsizetype count) const
{
    if (!m_blocks && from <= 0 && (count < 0 || count >= m_single.size()))
        return m_single;  // shared, not copied
    const qsizetype length = size();
    const qsizetype start = std::clamp<qsizetype>(from, 0, length);
    QString out;
    out.reserve(count < 0 ? length - start : std::min(count, length - start));
    appendTo(out, from, count);
    return out;
}

void ParagraphText::appendTo(QString& out, qsizetype from, qsizetype count) const
{
    // No reserve here: a caller appending run after run would make every append copy all
    // that came before, where the string's own growth copies it a few times.
    forEachPiece(from, count, [&out](QStringView piece) { out.append(piece); });
}

const QString& ParagraphText::string() const
{
    if (m_blocks) {
        m_single = mid(0);
        m_blocks.reset();
    }
    return m_single;
}

bool ParagraphText::operator==(QStringView other) const
{
    if (size() != other.size())
        return false;
    qsizetype at = 0;
    bool same = true;
    forEachPiece(0, -1, [&](QStringView piece) {
        same = same && piece == other.sliced(at, piece.size());
        at += piece.size();
    });
    return same;
}

bool ParagraphText::operator==(const ParagraphText& other) const
{
    if (!other.m_blocks)
        return *this == QStringView(other.m_single);
    if (size() != other.size())
        return false;
    qsizetype at = 0;
    bool same = true;
    QString scratch;
    forEachPiece(0, -1, [&](QStringView piece) {
        same = same && piece == other.view(at, piece.size(), scratch);
        at += piece.size();
    });
    return same;
}

// --- Editing ---

void ParagraphText::replace(qsizetype from, qsizetype count, QStringView text)
{
    Q_ASSERT(from >= 0 && count >= 0 && from + count <= size());
    if (count == 0 && text.isEmpty())
        return;
    if (!m_blocks) {
        const qsizetype length = m_single.size();
        const qsizetype after = length - count + text.size();
        // A short text, and a long one that grows or shrinks at its end into storage it has,
        // move at most a block's worth of characters.
        const bool inPlace =
            after <= BlockSize ||
            (from + count == length && m_single.isDetached() && m_single.capacity() >= after);
        if (inPlace || length == 0) {
            if (from == length)
                m_single.append(text);  // the usual way a paragraph is built
            else
                m_single.replace(from, count, text.data(), text.size());
            return;
        }
        becomeBlocks();
    }
    removeFromBlocks(from, count);
    insertIntoBlocks(from, text);
}

ParagraphText& ParagraphText::operator+=(QStringView text)
{
    replace(size(), 0, text);
    return *this;
}

void ParagraphText::reserve(qsizetype size)
{
    if (!m_blocks)
        m_single.reserve(size);
}

void ParagraphText::keepTight()
{
    const qsizetype size = m_single.size();
    if (!m_blocks && m_single.capacity() > size + size / 8 + 8)
        m_single.squeeze();
}

const QChar* ParagraphText::storageAt(qsizetype i) const
{
    if (!m_blocks)
        return m_single.constData() + i;
    const size_t k = blockAt(i);
    return m_blocks->blocks[k].data() + (i - m_blocks->starts[k]);
}

qsizetype ParagraphText::capacity() const
{
    return m_blocks ? m_blocks->size : m_single.capacity();
}

void ParagraphText::becomeBlocks()
{
    QExplicitlySharedDataPointer<Blocks> blocks(new Blocks);
    blocks->size = m_single.size();
    blocks->blocks.push_back({std::move(m_single), 0, blocks->size});
    blocks->starts.push_back(0);
    m_single = QString();
    m_blocks = std::move(blocks);
}

void ParagraphText::removeFromBlocks(qsizetype from, qsizetype count)
{
    if (count == 0)
        return;
    std::vector<Block>& blocks = ownBlocks().blocks;
    const size_t first = blockAt(from);
    qsizetype local = from - m_blocks->starts[first];
    for (size_t k = first; count > 0; ++k, local = 0) {
        Block& block = blocks[k];
        const qsizetype take = std::min(count, block.length - local);
        if (take <= 0)
            continue;  // the removal starts at this block's end
        count -= take;
        m_blocks->size -= take;
        if (take == block.length) {
            block.length = 0;  // tidyBlocks drops it
        } else if (block.ownsAll() && block.length <= BlockSize) {
            block.storage.remove(local, take);
            block.length -= take;
        } else if (local == 0) {
            block.offset += take;
            block.length -= take;
        } else if (local + take == block.length) {
            block.length = local;
        } else {
            // A hole inside a block that is not edited in place: the block becomes two views.
            Block tail{block.storage, block.offset + local + take, block.length - local - take};
            block.length = local;
            blocks.insert(blocks.begin() + std::ptrdiff_t(k) + 1, std::move(tail));
            break;
        }
    }
    tidyBlocks(first);
}

void ParagraphText::insertIntoBlocks(qsizetype at, QStringView text)
{
    const qsizetype added = text.size();
    if (added == 0)
        return;
    if (!m_blocks) {
        // The removal left a short text.
        m_single.insert(at, text);
        return;
    }
    std::vector<Block>& blocks = ownBlocks().blocks;
    m_blocks->size += added;
    const size_t k = blockAt(at);
    Block& block = blocks[k];
    const qsizetype local = at - m_blocks->starts[k];
    const auto growsInPlace = [added](const Block& b) {
        return b.ownsAll() && b.length + added <= BlockSize;
    };
    if (local > 0 && local < block.length && growsInPlace(block)) {
        block.storage.insert(local, text);
        block.length += added;
        tidyBlocks(k);
        return;
    }
    // The text goes between two blocks: the one ending at `at` (if any) and the next.
    size_t next = local == 0 ? k : k + 1;
    if (local > 0 && local < block.length) {
        Block tail{block.storage, block.offset + local, block.length - local};
        block.length = local;
        blocks.insert(blocks.begin() + std::ptrdiff_t(k) + 1, std::move(tail));
    }
    if (next > 0 && growsInPlace(blocks[next - 1])) {
        Block& before = blocks[next - 1];
        before.storage.append(text);
        before.length += added;
    } else if (next < blocks.size() && growsInPlace(blocks[next])) {
        Block& after = blocks[next];
        after.storage.insert(0, text);
        after.length += added;
    } else {
        blocks.insert(blocks.begin() + std::ptrdiff_t(next), Block{text.toString(), 0, added});
    }
    tidyBlocks(next > 0 ? next - 1 : 0);
}

void ParagraphText::tidyBlocks(size_t from)
{
    std::vector<Block>& blocks = m_blocks->blocks;
    if (m_blocks->size <= BlockSize) {
        // Short again: one string. (The starts are not counted yet: the blocks are read as
        // they are.)
        QString joined;
        joined.reserve(m_blocks->size);
        for (const Block& block : blocks)
            joined.append(QStringView(block.data(), block.length));
        m_single = std::move(joined);
        m_blocks.reset();
        return;
    }
    const size_t start = from > 0 ? from - 1 : 0;
    size_t kept = start;
    for (size_t k = start; k < blocks.size(); ++k) {
        Block& block = blocks[k];
        if (block.length == 0)
            continue;
        if (kept > 0) {
            Block& before = blocks[kept - 1];
            if (before.storage.constData() == block.storage.constData() &&
                before.offset + before.length == block.offset) {
                // Two views that read on from each other, as a hole closed again leaves them.
                before.length += block.length;
                continue;
            }
            if (before.length + block.length <= BlockSize) {
                // Two small blocks become one, so that edits here and there leave few blocks.
                QString joined;
                joined.reserve(before.length + block.length);
                joined.append(QStringView(before.data(), before.length));
                joined.append(QStringView(block.data(), block.length));
                before = Block{std::move(joined), 0, before.length + block.length};
                continue;
            }
        }
        if (kept != k)
            blocks[kept] = std::move(block);
        ++kept;
    }
    blocks.resize(kept);
    std::vector<qsizetype>& starts = m_blocks->starts;
    starts.resize(blocks.size());
    for (size_t k = start; k < blocks.size(); ++k)
        starts[k] = k == 0 ? 0 : starts[k - 1] + blocks[k - 1].length;
}

}  // namespace richedit
