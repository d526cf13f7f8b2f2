// A paragraph's characters, kept in one block with a gap where the last edit was: keys typed at
// one place move no text at all, and moving the place costs only the characters in between. A
// pasted log without line ends is one paragraph of millions of characters, and without the gap
// every key would move all that follows it.
//
// Readers that need the whole text as one QString call string(), which closes the gap (moving
// the text after it once); readers near a position use at(), pieces() and view(), which leave it.
#pragma once

#include <QString>
#include <QStringView>
#include <utility>

namespace richedit {

class ParagraphText {
public:
    ParagraphText() = default;
    // A string is a text without a gap; taking one is implicit, as a QString used to be the text.
    ParagraphText(QString text) : m_buffer(std::move(text)) {}

    qsizetype size() const { return m_buffer.size() - m_gapLength; }
    bool isEmpty() const { return size() == 0; }
    const QChar at(qsizetype i) const
    {
        return m_buffer.constData()[i < m_gapStart ? i : i + m_gapLength];
    }
    const QChar operator[](qsizetype i) const { return at(i); }

    // Fast indexed reading for loops over many characters: the gap is looked up once.
    class Reader {
    public:
        const QChar operator[](qsizetype i) const
        {
            return m_data[i < m_gapStart ? i : i + m_gapLength];
        }

    private:
        friend class ParagraphText;
        Reader(const QChar* data, qsizetype gapStart, qsizetype gapLength)
            : m_data(data), m_gapStart(gapStart), m_gapLength(gapLength)
        {
        }
        const QChar* m_data;
        qsizetype m_gapStart;
        qsizetype m_gapLength;
    };
    Reader reader() const { return {m_buffer.constData(), m_gapStart, m_gapLength}; }

    // The part of [from, from + count) before the gap and the part after it (empty unless the
    // range spans the gap). The range is clamped to the text.
    std::pair<QStringView, QStringView> pieces(qsizetype from, qsizetype count) const;
    // The range as one view: straight into the text unless it spans the gap, else copied into
    // `scratch`. Valid until the next edit (or the next use of `scratch`).
    QStringView view(qsizetype from, qsizetype count, QString& scratch) const;
    // A copy of the range (clamped); count -1 runs to the end.
    QString mid(qsizetype from, qsizetype count = -1) const;
    void appendTo(QString& out, qsizetype from = 0, qsizetype count = -1) const;

    // The whole text in one block. Closes the gap, which the next edit elsewhere opens again:
    // for passes over the whole text, not for work done at every key.
    const QString& string() const;

    bool operator==(const ParagraphText& other) const;
    bool operator==(QStringView other) const;
    bool operator==(const QString& other) const { return *this == QStringView(other); }

    // --- Editing ---
    // Puts `text` in place of `count` characters at `from`: the gap moves to `from` and takes
    // the change. `text` must not point into this text.
    void replace(qsizetype from, qsizetype count, QStringView text);
    void insert(qsizetype at, QStringView text) { replace(at, 0, text); }
    void remove(qsizetype from, qsizetype count) { replace(from, count, {}); }
    ParagraphText& operator+=(QStringView text);
    ParagraphText& operator+=(QChar c) { return *this += QStringView(&c, 1); }
    void setAt(qsizetype i, QChar c);
    void reserve(qsizetype size);
    void clear() { *this = ParagraphText(); }
    // After loading: no storage beyond a little room, so that a large document holds no
    // more than it shows, yet its first typed key does not move it all into new storage.
    void keepTight();
    // The storage a text of `size` characters keeps after loading: its size, with room to
    // spare for a long text.
    static qsizetype loadedCapacity(qsizetype size);

    // A copy that does not own the characters, for a reader that must not keep them shared
    // (an edit of a shared block would copy it whole). Valid until this text is next edited.
    ParagraphText unowned() const;
    // Where the characters are kept, and room for more there: whether an edit moved the text
    // into new storage, or a loaded text keeps more room than it needs.
    const QChar* storage() const { return m_buffer.constData(); }
    qsizetype capacity() const { return m_buffer.capacity(); }
    // True when both read the same block of characters.
    bool sharesCharactersWith(const ParagraphText& other) const
    {
        return m_buffer.constData() == other.m_buffer.constData();
    }

private:
    void moveGapTo(qsizetype at);
    // Makes the gap at least `needed` long, keeping its place.
    void widenGap(qsizetype needed);
    void closeGap() const;

    // The text before the gap, the gap, then the text after it. Without a gap the block is the
    // text exactly, so that string() costs nothing.
    mutable QString m_buffer;
    mutable qsizetype m_gapStart = 0;
    mutable qsizetype m_gapLength = 0;
};

}  // namespace richedit
