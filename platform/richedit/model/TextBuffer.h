// A document's whole text in a gap buffer. An edit moves only the characters between the gap
// and the edit point, so a run of edits at one place (typing) costs the same whatever the size
// of the text; reads see the text as one string.
#pragma once

#include <QString>
#include <QStringView>
#include <memory>

namespace richedit {

class TextBuffer {
public:
    qsizetype size() const { return m_capacity - gapSize(); }
    // The unit at an index (0 <= index < size()).
    char16_t at(qsizetype index) const
    {
        return m_data[size_t(index < m_gapStart ? index : index + gapSize())];
    }
    // Up to `count` units from `position`, clamped to the text.
    QString mid(qsizetype position, qsizetype count) const;
    QString toString() const { return mid(0, size()); }

    // Puts `text` in place of `removed` units from `position` (both clamped to the text).
    void replace(qsizetype position, qsizetype removed, QStringView text);
    void assign(QStringView text);
    // Empties the buffer, with room for `capacity` units to come.
    void clear(qsizetype capacity = 0);
    void append(QStringView text) { replace(size(), 0, text); }

private:
    qsizetype gapSize() const { return m_gapEnd - m_gapStart; }
    void moveGapTo(qsizetype position);
    // Makes the gap hold at least `needed` units, with room to spare for the edits after.
    void reserveGap(qsizetype needed);
    void copyOut(qsizetype position, qsizetype count, char16_t* out) const;

    std::unique_ptr<char16_t[]> m_data;
    qsizetype m_capacity = 0;
    qsizetype m_gapStart = 0;
    qsizetype m_gapEnd = 0;
};

}  // namespace richedit
