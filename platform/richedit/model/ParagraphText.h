// A paragraph's characters. A short text is one string, edited where it is. A long one (a
// pasted log without line ends is one paragraph of millions of characters) is edited as
// blocks: the block that takes an edit is small, and the rest stay where they are, as views
// into the strings that hold them, so that no key moves all the text that follows it.
#pragma once

#include <QSharedData>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <vector>

namespace richedit {

class ParagraphText {
public:
    ParagraphText() = default;
    // A string is a text of one block; implicit, so that a string stands wherever text is taken.
    ParagraphText(QString text) : m_single(std::move(text)) {}

    qsizetype size() const { return m_blocks ? m_blocks->size : m_single.size(); }
    bool isEmpty() const { return size() == 0; }
    const QChar at(qsizetype i) const { return m_blocks ? atInBlocks(i) : m_single.constData()[i]; }
    const QChar operator[](qsizetype i) const { return at(i); }

    // Indexed reading for loops over many characters: the block of the last read is kept, so
    // reading on from it costs what reading a string does. Valid until the text is edited.
    class Reader {
    public:
        const QChar operator[](qsizetype i) const
        {
            if (size_t(i - m_start) >= size_t(m_length))
                seek(i);
            return m_data[i - m_start];
        }

    private:
        friend class ParagraphText;
        explicit Reader(const ParagraphText& text);
        void seek(qsizetype i) const;
        const ParagraphText& m_text;
        mutable const QChar* m_data = nullptr;
        mutable qsizetype m_start = 0;
        mutable qsizetype m_length = 0;
    };
    Reader reader() const { return Reader(*this); }
    // The characters when the text is one string (else null): the fastest reading of all.
    const QChar* singleString() const { return m_blocks ? nullptr : m_single.constData(); }

    // Calls visit(QStringView) for the pieces of [from, from + count) in order, each held in one
    // block (count -1: to the end; the range is clamped to the text).
    template <typename Visit>
    void forEachPiece(qsizetype from, qsizetype count, Visit visit) const;
    // The range as one view: straight into the text when one block holds it, else copied into
    // `scratch`. Valid until the next edit (or the next use of `scratch`).
    QStringView view(qsizetype from, qsizetype count, QString& scratch) const;
    // A copy of the range (clamped); count -1 runs to the end.
    QString mid(qsizetype from, qsizetype count = -1) const;
    void appendTo(QString& out, qsizetype from = 0, qsizetype count = -1) const;

    // The whole text as one string. A text of blocks is joined into one block first (its next
    // edit splits it again in a constant time): for passes over the whole text.
    const QString& string() const;

    bool operator==(const ParagraphText& other) const;
    bool operator==(QStringView other) const;
    bool operator==(const QString& other) const { return *this == QStringView(other); }

    // --- Editing ---
    // Puts `text` in place of `count` characters at `from`. `text` must not point into this
    // text.
    void replace(qsizetype from, qsizetype count, QStringView text);
    void insert(qsizetype at, QStringView text) { replace(at, 0, text); }
    void remove(qsizetype from, qsizetype count) { replace(from, count, {}); }
    ParagraphText& operator+=(QStringView text);
    ParagraphText& operator+=(QChar c) { return *this += QStringView(&c, 1); }
    void reserve(qsizetype size);
    void clear() { *this = ParagraphText(); }
    // After loading: a text grown by appending keeps room for more, which a document of many
    // short paragraphs would pay for in every paragraph. A read text is kept at its size.
    void keepTight();

    // Where the character at `i` is kept, and the storage a one-string text holds: whether an
    // edit moved the text into new storage, or a read text keeps more room than it needs.
    const QChar* storageAt(qsizetype i) const;
    qsizetype capacity() const;

    // A text no longer than this is one string edited where it is, so that an edit moves at
    // most this many characters; a longer one stays one string until an edit inside it.
    static constexpr qsizetype BlockSize = 4096;

private:
    // [offset, offset + length) of `storage`. A block that reads all of its storage may be
    // edited in place while it stays near BlockSize; others only shrink at their ends or split.
    struct Block {
        QString storage;
        qsizetype offset = 0;
        qsizetype length = 0;
        const QChar* data() const { return storage.constData() + offset; }
        bool ownsAll() const { return offset == 0 && length == storage.size(); }
    };
    struct Blocks : QSharedData {
        std::vector<Block> blocks;
        std::vector<qsizetype> starts;  // of each block
        qsizetype size = 0;
        mutable size_t last = 0;  // the block found last: reads near each other find it first
    };
    // The block holding position `i` (the last block for the end).
    size_t blockAt(qsizetype i) const;
    const QChar atInBlocks(qsizetype i) const;
    void becomeBlocks();
    // The blocks to edit: copied first when another text shares them.
    Blocks& ownBlocks()
    {
        m_blocks.detach();
        return *m_blocks;
    }
    void removeFromBlocks(qsizetype from, qsizetype count);
    void insertIntoBlocks(qsizetype at, QStringView text);
    // Joins blocks that read on from each other or are both small, drops empty ones, and
    // counts the starts again from block `from`.
    void tidyBlocks(size_t from);

    // The whole text while it is one string (always for short texts)...
    mutable QString m_single;
    // ...else its blocks, shared by copies (an undo step keeps one) until one of them is edited.
    mutable QExplicitlySharedDataPointer<Blocks> m_blocks;
};

template <typename Visit>
void ParagraphText::forEachPiece(qsizetype from, qsizetype count, Visit visit) const
{
    const qsizetype length = size();
    from = std::clamp<qsizetype>(from, 0, length);
    count = count < 0 ? length - from : std::min(count, length - from);
    if (count <= 0)
        return;
    if (!m_blocks) {
        visit(QStringView(m_single.constData() + from, count));
        return;
    }
    for (size_t k = blockAt(from); count > 0; ++k) {
        const Block& block = m_blocks->blocks[k];
        const qsizetype offset = from - m_blocks->starts[k];
        const qsizetype take = std::min(count, block.length - offset);
        if (take > 0)
            visit(QStringView(block.data() + offset, take));
        from += take;
        count -= take;
    }
}

}  // namespace richedit
