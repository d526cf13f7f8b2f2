// The RTF writer's font and colour tables, and the words a character or paragraph format is
// written as.
#pragma once

#include "platform/richedit/model/Formats.h"
#include "platform/richedit/rtf/RtfWriterOutput.h"

#include <QHash>
#include <QString>
#include <vector>

namespace richedit {

class FontTable {
public:
    // The entry of a face in a character set, added on first use.
    int indexOf(const QString& face, uint8_t charset);
    bool empty() const { return m_entries.empty(); }
    void write(RtfOutput& out) const;

private:
    struct Entry {
        QString face;
        uint8_t charset;
    };
    std::vector<Entry> m_entries;
    QHash<QString, int> m_index;  // face and charset in one key
    int m_last = -1;
};

// Explicit colours in order of first use; entry 0 is the automatic colour.
class ColorTable {
public:
    int indexOf(uint32_t colorRef);
    bool empty() const { return m_colors.empty(); }
    void write(RtfOutput& out) const;

private:
    std::vector<uint32_t> m_colors;
    QHash<uint32_t, int> m_index;
};

// A character format as the values of the words that express it, so that formats differing
// only below the written precision write nothing.
struct RunWords {
    int font = 0;
    int halfPoints = 24;
    int color = 0;
    int highlight = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool protect = false;
    bool hidden = false;
    int script = 0;  // 0 none, 1 subscript, 2 superscript
    int offsetHalfPoints = 0;
    uint32_t lang = PlainLcid;

    bool operator==(const RunWords&) const = default;
};

// The character state after "\pard" in a reader with "\deff0\deflang1033".
RunWords readerDefaults();

// Writes the words that change `from` into `to`; every effect is switched off explicitly.
void writeRunChanges(RtfOutput& out, const RunWords& from, const RunWords& to);

// A paragraph format as the values of the words that express it.
struct ParaWords {
    int alignment = AlignLeft;
    int64_t firstIndent = 0;
    int64_t leftIndent = 0;
    int64_t rightIndent = 0;
    int32_t spaceBefore = 0;
    int32_t spaceAfter = 0;
    int64_t lineSpacing = 0;    // \sl; 0 writes nothing
    int lineMultiple = 0;       // \slmult
    std::vector<int32_t> tabs;  // ascending
    int numbering = NoNumbering;
    int numberingStart = 1;
    int numberingStyle = 0;

    bool operator==(const ParaWords&) const = default;
};

ParaWords paraWords(const ParaFormat& format);

// Alignment, indents, spacing and tab stops; the list groups are written apart.
void writeParaWords(RtfOutput& out, const ParaWords& words);

// A twips value in half-points, halves to even.
int toHalfPoints(int64_t twips);

}  // namespace richedit
