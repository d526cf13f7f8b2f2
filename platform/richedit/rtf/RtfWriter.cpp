#include "platform/richedit/rtf/RtfWriter.h"

#include "platform/richedit/model/ListLabels.h"
#include "platform/richedit/rtf/RtfCodePage.h"
#include "platform/richedit/rtf/RtfWriterOutput.h"
#include "platform/richedit/rtf/RtfWriterPicture.h"
#include "platform/richedit/rtf/RtfWriterTables.h"

#include <algorithm>

namespace richedit {
namespace {

bool hasExplicitColor(const CharFormat& format)
{
    return format.has(Color) && !format.is(AutoColorEffect);
}

bool hasExplicitBackColor(const CharFormat& format)
{
    return format.has(BackColor) && !format.is(AutoBackColorEffect);
}

// Empty runs write nothing, not even their format.
bool isEmpty(const FragmentRun& run)
{
    return run.text.isEmpty() && !run.picture;
}

// The format the paragraph's line starts in.
const CharFormat& firstFormat(const FragmentParagraph& paragraph)
{
    for (const FragmentRun& run : paragraph.runs) {
        if (!isEmpty(run))
            return run.format;
    }
    return paragraph.markFormat;
}

const char* numberingWord(int kind)
{
    switch (kind) {
        case LowerLetter:
            return "\\pnlcltr";
        case UpperLetter:
            return "\\pnucltr";
        case LowerRoman:
            return "\\pnlcrm";
        case UpperRoman:
            return "\\pnucrm";
        default:
            return "\\pndec";
    }
}

class Writer {
public:
    Writer(const DocumentFragment& fragment, RtfWriteMode mode);
    QByteArray write();
    qsizetype measure();

private:
    void collectTables();
    void collectFormat(const CharFormat& format, bool colors);
    RunWords wordsOf(const CharFormat& format);
    qsizetype sizeEstimate() const;

    void writeHeader();
    void writeParagraph(std::size_t index);
    void startLine(std::size_t index, const ParaWords& words);
    void writeListText(const ParaWords& words);
    void writeListDefinition(const ParaWords& words);
    void writeRuns(const FragmentParagraph& paragraph);
    void endLine(std::size_t index);
    void changeTo(const RunWords& target);

    const std::vector<FragmentParagraph>& m_paragraphs;
    std::size_t m_count;
    bool m_lastHasMark;
    RtfOutput m_out;
    FontTable m_fonts;
    ColorTable m_colors;
    int m_symbolFont = -1;
    RunWords m_current;
    ParaWords m_previousPara;
    int m_listNumber = 0;
};

// What an empty fragment stands for: one empty paragraph in the default format.
const std::vector<FragmentParagraph>& emptyParagraphs()
{
    static const std::vector<FragmentParagraph> paragraphs{
        FragmentParagraph{{}, defaultParaFormat(), defaultCharFormat(), true}};
    return paragraphs;
}

Writer::Writer(const DocumentFragment& fragment, RtfWriteMode mode)
    : m_paragraphs(fragment.paragraphs.empty() ? emptyParagraphs() : fragment.paragraphs),
      m_count(m_paragraphs.size()),
      m_lastHasMark(mode == RtfWriteMode::WholeDocument || m_paragraphs.back().hasMark),
      m_out(0)
{
    if (fragment.paragraphs.empty() && mode == RtfWriteMode::Selection)
        m_lastHasMark = false;
    // A selection that ends with a paragraph end may hand over the empty, markless start of
    // the next paragraph: it writes nothing, and the output closes with "\par }".
    const FragmentParagraph& last = m_paragraphs.back();
    if (mode == RtfWriteMode::Selection && m_count > 1 && !last.hasMark &&
        std::all_of(last.runs.begin(), last.runs.end(), isEmpty)) {
        --m_count;
        m_lastHasMark = true;
    }
}

qsizetype Writer::measure()
{
    // Written paragraph by paragraph into a small buffer that is counted and dropped.
    constexpr qsizetype chunk = 64 * 1024;
    collectTables();
    m_out = RtfOutput(2 * chunk);
    qsizetype total = 0;
    writeHeader();
    for (std::size_t i = 0; i < m_count; ++i) {
        writeParagraph(i);
        if (m_out.size() > chunk)
            total += m_out.discard();
    }
    m_out.raw(m_lastHasMark ? "\\par }" : "}");
    m_out.newline();
    return total + m_out.size();
}

QByteArray Writer::write()
{
    collectTables();
    m_out = RtfOutput(sizeEstimate());
    writeHeader();
    for (std::size_t i = 0; i < m_count; ++i)
        writeParagraph(i);
    m_out.raw(m_lastHasMark ? "\\par }" : "}");
    m_out.newline();
    return m_out.take();
}

void Writer::collectFormat(const CharFormat& format, bool colors)
{
    m_fonts.indexOf(format.face, format.charset);
    if (!colors)
        return;
    if (hasExplicitColor(format))
        m_colors.indexOf(format.color);
    if (hasExplicitBackColor(format))
        m_colors.indexOf(format.backColor);
}

// Fonts and colours in order of first use, so that \f0 is the first face written.
void Writer::collectTables()
{
    bool bullets = false;
    for (std::size_t i = 0; i < m_count; ++i) {
        const FragmentParagraph& paragraph = m_paragraphs[i];
        for (const FragmentRun& run : paragraph.runs) {
            if (!isEmpty(run))
                collectFormat(run.format, true);
        }
        const bool markWritten = i + 1 < m_count || m_lastHasMark;
        collectFormat(paragraph.markFormat, markWritten);
        bullets = bullets || paragraph.format.numbering == Bullet;
    }
    if (bullets)
        m_symbolFont = m_fonts.indexOf(QStringLiteral("Symbol"), 2);
}

RunWords Writer::wordsOf(const CharFormat& format)
{
    RunWords words;
    words.font = m_fonts.indexOf(format.face, format.charset);
    words.halfPoints = toHalfPoints(format.heightTw);
    words.color = hasExplicitColor(format) ? m_colors.indexOf(format.color) : 0;
    words.highlight = hasExplicitBackColor(format) ? m_colors.indexOf(format.backColor) : 0;
    const uint32_t effects = format.effects & format.mask;
    words.bold = (effects & Bold) != 0;
    words.italic = (effects & Italic) != 0;
    words.underline = (effects & Underline) != 0;
    words.strike = (effects & StrikeOut) != 0;
    words.protect = (effects & Protected) != 0;
    words.hidden = (effects & Hidden) != 0;
    words.script = (effects & Superscript) != 0 ? 2 : (effects & Subscript) != 0 ? 1 : 0;
    words.offsetHalfPoints = format.has(Offset) ? toHalfPoints(format.offsetTw) : 0;
    words.lang = format.has(Lcid) ? format.lcid : PlainLcid;
    return words;
}

qsizetype Writer::sizeEstimate() const
{
    qsizetype size = 512;
    for (std::size_t i = 0; i < m_count; ++i) {
        const FragmentParagraph& paragraph = m_paragraphs[i];
        size += 48;
        for (const FragmentRun& run : paragraph.runs) {
            size += run.text.size() + run.text.size() / 8 + 32;
            if (run.picture)
                size += pictureSizeEstimate(*run.picture);
        }
    }
    return size;
}

void Writer::writeHeader()
{
    m_out.raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033");
    m_fonts.write(m_out);
    m_out.newline();
    if (!m_colors.empty()) {
        m_colors.write(m_out);
        m_out.newline();
    }
}

void Writer::writeParagraph(std::size_t index)
{
    const FragmentParagraph& paragraph = m_paragraphs[index];
    ParaWords words = paraWords(paragraph.format);
    startLine(index, words);
    writeRuns(paragraph);
    endLine(index);
    m_previousPara = std::move(words);
}

// "\viewkind4\uc1\pard\..." on the first line, "\par " on every later one, then the
// paragraph's words when they differ from the paragraph before.
void Writer::startLine(std::size_t index, const ParaWords& words)
{
    const bool continuesList = index > 0 && words.numbering >= Arabic &&
                               m_previousPara.numbering == words.numbering &&
                               m_previousPara.numberingStart == words.numberingStart;
    m_listNumber = continuesList ? m_listNumber + 1 : words.numberingStart;
    if (index == 0) {
        m_out.raw("\\viewkind4\\uc1");
        m_out.word("\\pard");
        writeParaWords(m_out, words);
        // Font and size come next in any case, so that "\pard" is followed by a word.
        m_current = readerDefaults();
        m_current.font = -1;
        m_current.halfPoints = -1;
        changeTo(wordsOf(firstFormat(m_paragraphs[0])));
        writeListText(words);
        writeListDefinition(words);
        return;
    }
    m_out.raw("\\par ");
    m_out.wordEnded();
    if (words == m_previousPara) {
        writeListText(words);
        return;
    }
    m_out.word("\\pard");
    writeParaWords(m_out, words);
    writeListText(words);
    writeListDefinition(words);
}

void Writer::writeListText(const ParaWords& words)
{
    if (words.numbering == NoNumbering)
        return;
    m_out.openGroup();
    m_out.word("\\pntext");
    if (words.numbering == Bullet) {
        m_out.word("\\f", m_symbolFont);
        m_out.raw("\\'B7");
    } else {
        m_out.word("\\f", 0);
        // The same label the layout draws before the paragraph.
        m_out.text(listLabelText(words.numbering, words.numberingStyle, m_listNumber));
    }
    m_out.word("\\tab");
    m_out.closeGroup();
}

void Writer::writeListDefinition(const ParaWords& words)
{
    if (words.numbering == NoNumbering)
        return;
    m_out.raw("{\\*");
    m_out.word("\\pn");
    if (words.numbering == Bullet) {
        m_out.word("\\pnlvlblt");
        m_out.word("\\pnf", m_symbolFont);
        m_out.word("\\pnindent", 0);
        m_out.raw("{\\pntxtb\\'B7}}");
        m_out.wordEnded();
        return;
    }
    m_out.word("\\pnlvlbody");
    m_out.word("\\pnf", 0);
    m_out.word("\\pnindent", 0);
    m_out.word("\\pnstart", words.numberingStart);
    m_out.word(numberingWord(words.numbering));
    switch (words.numberingStyle) {
        case 0x000:
            m_out.raw("{\\pntxta)}");
            break;
        case 0x100:
            m_out.raw("{\\pntxtb(}{\\pntxta)}");
            break;
        case 0x300:
        case 0x400:
            break;
        default:
            m_out.raw("{\\pntxta.}");
            break;
    }
    m_out.closeGroup();
}

void Writer::writeRuns(const FragmentParagraph& paragraph)
{
    for (const FragmentRun& run : paragraph.runs) {
        if (isEmpty(run))
            continue;
        changeTo(wordsOf(run.format));
        if (run.picture) {
            writePicture(m_out, *run.picture);
            continue;
        }
        const int codePage = codePageForCharset(run.format.charset);
        m_out.setWindows1252Escapes(codePage == 0 || codePage == Windows1252CodePage);
        m_out.text(run.text);
    }
}

// The paragraph mark's own format goes at the end of its line; the last line switches
// underline off, so that every underline is ended before the closing line.
void Writer::endLine(std::size_t index)
{
    const FragmentParagraph& paragraph = m_paragraphs[index];
    const bool last = index + 1 == m_count;
    RunWords target = last && !m_lastHasMark ? m_current : wordsOf(paragraph.markFormat);
    if (last)
        target.underline = false;
    changeTo(target);
    m_out.newline();
}

void Writer::changeTo(const RunWords& target)
{
    writeRunChanges(m_out, m_current, target);
    m_current = target;
}

}  // namespace

QByteArray writeRtf(const DocumentFragment& fragment, RtfWriteMode mode)
{
    return Writer(fragment, mode).write();
}

qsizetype measureRtf(const DocumentFragment& fragment, RtfWriteMode mode)
{
    return Writer(fragment, mode).measure();
}

}  // namespace richedit
