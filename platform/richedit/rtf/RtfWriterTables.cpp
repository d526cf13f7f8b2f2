#include "platform/richedit/rtf/RtfWriterTables.h"

#include "platform/richedit/rtf/RtfCodePage.h"

#include <algorithm>
#include <cstdlib>

namespace richedit {

int FontTable::indexOf(const QString& face, uint8_t charset)
{
    // Runs mostly repeat the font of the run before: no key is built for them.
    if (m_last >= 0 && m_entries[m_last].charset == charset && m_entries[m_last].face == face)
        return m_last;
    const QString key = QChar(charset) + face;
    auto found = m_index.constFind(key);
    if (found == m_index.constEnd()) {
        m_entries.push_back({face, charset});
        found = m_index.insert(key, static_cast<int>(m_entries.size() - 1));
    }
    m_last = found.value();
    return m_last;
}

void FontTable::write(RtfOutput& out) const
{
    out.openGroup();
    out.word("\\fonttbl");
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        out.openGroup();
        out.word("\\f", static_cast<int64_t>(i));
        out.word("\\fnil");
        out.word("\\fcharset", m_entries[i].charset);
        out.raw(' ');
        out.wordEnded();
        // The reader decodes a face name in its own entry's code page.
        const int codePage = codePageForCharset(m_entries[i].charset);
        out.setWindows1252Escapes(codePage == 0 || codePage == Windows1252CodePage);
        out.faceName(m_entries[i].face);
        out.raw(';');
        out.closeGroup();
    }
    out.closeGroup();
    out.setWindows1252Escapes(true);
}

int ColorTable::indexOf(uint32_t colorRef)
{
    const uint32_t rgb = colorRef & 0xFFFFFF;
    auto found = m_index.constFind(rgb);
    if (found == m_index.constEnd()) {
        m_colors.push_back(rgb);
        found = m_index.insert(rgb, static_cast<int>(m_colors.size()));
    }
    return found.value();
}

void ColorTable::write(RtfOutput& out) const
{
    out.raw("{\\colortbl ;");
    for (const uint32_t rgb : m_colors) {
        out.word("\\red", rgb & 0xFF);
        out.word("\\green", (rgb >> 8) & 0xFF);
        out.word("\\blue", (rgb >> 16) & 0xFF);
        out.raw(';');
        out.wordEnded();
    }
    out.closeGroup();
}

RunWords readerDefaults()
{
    return RunWords{};
}

int toHalfPoints(int64_t twips)
{
    const int64_t magnitude = twips < 0 ? -twips : twips;
    int64_t half = magnitude / 10;
    const int64_t rest = magnitude % 10;
    if (rest > 5 || (rest == 5 && half % 2 != 0))
        ++half;
    return static_cast<int>(twips < 0 ? -half : half);
}

namespace {

void toggle(RtfOutput& out, bool from, bool to, const char* on, const char* off)
{
    if (from != to)
        out.word(to ? on : off);
}

void writeScript(RtfOutput& out, int to)
{
    out.word(to == 2 ? "\\super" : to == 1 ? "\\sub" : "\\nosupersub");
}

void writeOffset(RtfOutput& out, int to)
{
    if (to < 0)
        out.word("\\dn", -static_cast<int64_t>(to));
    else
        out.word("\\up", to);
}

}  // namespace

void writeRunChanges(RtfOutput& out, const RunWords& from, const RunWords& to)
{
    if (from.font != to.font)
        out.word("\\f", to.font);
    if (from.halfPoints != to.halfPoints)
        out.word("\\fs", to.halfPoints);
    if (from.color != to.color)
        out.word("\\cf", to.color);
    if (from.highlight != to.highlight)
        out.word("\\highlight", to.highlight);
    toggle(out, from.bold, to.bold, "\\b", "\\b0");
    toggle(out, from.italic, to.italic, "\\i", "\\i0");
    toggle(out, from.underline, to.underline, "\\ul", "\\ulnone");
    toggle(out, from.strike, to.strike, "\\strike", "\\strike0");
    toggle(out, from.protect, to.protect, "\\protect", "\\protect0");
    toggle(out, from.hidden, to.hidden, "\\v", "\\v0");
    if (from.script != to.script)
        writeScript(out, to.script);
    if (from.offsetHalfPoints != to.offsetHalfPoints)
        writeOffset(out, to.offsetHalfPoints);
    if (from.lang != to.lang)
        out.word("\\lang", to.lang);
}

ParaWords paraWords(const ParaFormat& format)
{
    ParaWords words;
    if (format.alignment >= AlignRight && format.alignment <= AlignJustify)
        words.alignment = format.alignment;
    words.firstIndent = -static_cast<int64_t>(format.offset);
    words.leftIndent = static_cast<int64_t>(format.startIndent) + format.offset;
    words.rightIndent = format.rightIndent;
    words.spaceBefore = format.spaceBefore;
    words.spaceAfter = format.spaceAfter;
    const int64_t value = format.lineSpacing;
    switch (format.lineSpacingRule) {
        case 1:
            words.lineSpacing = 360;
            words.lineMultiple = 1;
            break;
        case 2:
            words.lineSpacing = 480;
            words.lineMultiple = 1;
            break;
        case 3:
            words.lineSpacing = std::abs(value);
            break;
        case 4:
            words.lineSpacing = -std::abs(value);
            break;
        case 5:
            words.lineSpacing = value * 12;
            words.lineMultiple = 1;
            break;
        default:
            break;
    }
    words.tabs = format.tabs;
    std::sort(words.tabs.begin(), words.tabs.end());
    if (format.numbering <= UpperRoman)
        words.numbering = format.numbering;
    if (words.numbering >= Arabic) {
        words.numberingStart = format.numberingStart;
        words.numberingStyle = format.numberingStyle;
    }
    return words;
}

void writeParaWords(RtfOutput& out, const ParaWords& words)
{
    if (words.alignment == AlignCenter)
        out.word("\\qc");
    else if (words.alignment == AlignRight)
        out.word("\\qr");
    else if (words.alignment == AlignJustify)
        out.word("\\qj");
    if (words.firstIndent != 0)
        out.word("\\fi", words.firstIndent);
    // The right indent always comes directly after the left one.
    if (words.leftIndent != 0 || words.rightIndent != 0)
        out.word("\\li", words.leftIndent);
    if (words.rightIndent != 0)
        out.word("\\ri", words.rightIndent);
    if (words.spaceBefore != 0)
        out.word("\\sb", words.spaceBefore);
    if (words.spaceAfter != 0)
        out.word("\\sa", words.spaceAfter);
    if (words.lineSpacing != 0) {
        out.word("\\sl", words.lineSpacing);
        out.word("\\slmult", words.lineMultiple);
    }
    for (const int32_t tab : words.tabs)
        out.word("\\tx", tab);
}

}  // namespace richedit
