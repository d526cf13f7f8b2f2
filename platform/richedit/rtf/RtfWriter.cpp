#include "platform/richedit/rtf/RtfWriter.h"

#include "platform/richedit/model/Document.h"
#include "platform/richedit/model/ListLabels.h"
#include "platform/richedit/rtf/RtfCodePage.h"
#include "platform/richedit/rtf/RtfWriterOutput.h"
#include "platform/richedit/rtf/RtfWriterPicture.h"
#include "platform/richedit/rtf/RtfWriterTables.h"

#include <algorithm>
#include <optional>

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

// What an empty fragment stands for: one empty paragraph in the default format.
const std::vector<FragmentParagraph>& emptyParagraphs()
{
    static const std::vector<FragmentParagraph> paragraphs{
        FragmentParagraph{{}, defaultParaFormat(), defaultCharFormat(), true}};
    return paragraphs;
}

// The paragraphs of a fragment. Formats are the runs' own records, worked out at every use.
class FragmentSource {
public:
    using Format = const CharFormat*;
    using Text = QStringView;

    explicit FragmentSource(const DocumentFragment& fragment)
        : m_paragraphs(fragment.paragraphs.empty() ? emptyParagraphs() : fragment.paragraphs),
          m_empty(fragment.paragraphs.empty())
    {
    }

    bool empty() const { return m_empty; }
    std::size_t size() const { return m_paragraphs.size(); }
    bool hasMark(std::size_t i) const { return m_paragraphs[i].hasMark; }
    bool blank(std::size_t i) const
    {
        const std::vector<FragmentRun>& runs = m_paragraphs[i].runs;
        return std::all_of(runs.begin(), runs.end(), isEmpty);
    }
    const ParaFormat& paraFormat(std::size_t i) const { return m_paragraphs[i].format; }
    Format mark(std::size_t i) const { return &m_paragraphs[i].markFormat; }
    static const CharFormat& format(Format format) { return *format; }
    static int slotOf(Format) { return -1; }

    // visit(format, picture or null, text) for every run that writes something.
    template <typename Visit>
    void forEachRun(std::size_t i, Visit visit) const
    {
        for (const FragmentRun& run : m_paragraphs[i].runs) {
            if (!isEmpty(run))
                visit(&run.format, run.picture.get(), QStringView(run.text));
        }
    }

    qsizetype sizeEstimate(std::size_t i) const
    {
        qsizetype size = 48;
        for (const FragmentRun& run : m_paragraphs[i].runs) {
            size += run.text.size() + run.text.size() / 8 + 32;
            if (run.picture)
                size += pictureSizeEstimate(*run.picture);
        }
        return size;
    }

    static void writeText(RtfOutput& out, QStringView text) { out.text(text); }

private:
    const std::vector<FragmentParagraph>& m_paragraphs;
    bool m_empty;
};

// The paragraphs of a document, read where they are: the characters are written from the
// paragraphs' own text, and a format is known by its index in the document's pool, so that
// its words are worked out once per format rather than once per run.
class DocumentSource {
public:
    using Format = uint32_t;
    struct Text {
        const ParagraphText* text;
        qsizetype from;
        qsizetype count;
    };

    explicit DocumentSource(const Document& document) : m_document(document) {}

    static bool empty() { return false; }
    std::size_t size() const { return std::size_t(m_document.paragraphCount()); }
    static bool hasMark(std::size_t) { return true; }
    bool blank(std::size_t i) const { return m_document.paragraph(int(i)).text.isEmpty(); }
    const ParaFormat& paraFormat(std::size_t i) const { return m_document.paragraphFormat(int(i)); }
    Format mark(std::size_t i) const { return m_document.paragraph(int(i)).mark; }
    const CharFormat& format(Format format) const { return m_document.format(format); }
    static int slotOf(Format format) { return int(format); }

    template <typename Visit>
    void forEachRun(std::size_t i, Visit visit) const
    {
        const Paragraph& paragraph = m_document.paragraph(int(i));
        qsizetype at = 0;
        for (const TextRun& run : paragraph.runs) {
            if (run.length > 0 || run.picture)
                visit(run.format, run.picture.get(), Text{&paragraph.text, at, run.length});
            at += run.length;
        }
    }

    qsizetype sizeEstimate(std::size_t i) const
    {
        const Paragraph& paragraph = m_document.paragraph(int(i));
        qsizetype size = 48;
        for (const TextRun& run : paragraph.runs) {
            size += run.length + run.length / 8 + 32;
            if (run.picture)
                size += pictureSizeEstimate(*run.picture);
        }
        return size;
    }

    // Piece by piece as the text keeps it; a surrogate pair that two pieces share is joined
    // again, as one string would have it.
    static void writeText(RtfOutput& out, const Text& run)
    {
        char16_t pendingHigh = 0;
        run.text->forEachPiece(run.from, run.count, [&](QStringView piece) {
            if (pendingHigh != 0) {
                const bool pairs = QChar::isLowSurrogate(piece.front().unicode());
                const char16_t pair[2] = {pendingHigh, piece.front().unicode()};
                out.text(QStringView(pair, pairs ? 2 : 1));
                if (pairs)
                    piece = piece.sliced(1);
                pendingHigh = 0;
            }
            if (!piece.isEmpty() && piece.back().isHighSurrogate()) {
                pendingHigh = piece.back().unicode();
                piece.chop(1);
            }
            out.text(piece);
        });
        if (pendingHigh != 0)
            out.text(QStringView(&pendingHigh, 1));
    }

private:
    const Document& m_document;
};

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

template <typename Source>
class Writer {
public:
    using Format = typename Source::Format;

    Writer(const Source& source, RtfWriteMode mode);
    QByteArray write();
    qsizetype measure();

private:
    // What is known of one format of a source that numbers its formats.
    struct KnownFormat {
        bool fontCollected = false;
        bool colorsCollected = false;
        bool wordsKnown = false;
        RunWords words;
    };
    KnownFormat* known(Format format);
    Format firstFormat(std::size_t index) const;

    void collectTables();
    void collectFormat(Format format, bool colors);
    void collectFormat(const CharFormat& format, bool colors);
    RunWords wordsOf(Format format);
    RunWords wordsOf(const CharFormat& format);
    qsizetype sizeEstimate() const;

    void writeHeader();
    void writeParagraph(std::size_t index);
    void startLine(std::size_t index, const ParaWords& words);
    void writeListText(const ParaWords& words);
    void writeListDefinition(const ParaWords& words);
    void writeRuns(std::size_t index);
    void endLine(std::size_t index);
    void changeTo(const RunWords& target);

    const Source& m_source;
    std::size_t m_count;
    bool m_lastHasMark;
    RtfOutput m_out;
    FontTable m_fonts;
    ColorTable m_colors;
    int m_symbolFont = -1;
    RunWords m_current;
    ParaWords m_previousPara;
    int m_listNumber = 0;
    std::vector<KnownFormat> m_known;
};

template <typename Source>
Writer<Source>::Writer(const Source& source, RtfWriteMode mode)
    : m_source(source),
      m_count(source.size()),
      m_lastHasMark(mode == RtfWriteMode::WholeDocument || source.hasMark(m_count - 1)),
      m_out(0)
{
    if (source.empty() && mode == RtfWriteMode::Selection)
        m_lastHasMark = false;
    // A selection that ends with a paragraph end may hand over the empty, markless start of
    // the next paragraph: it writes nothing, and the output closes with "\par }".
    if (mode == RtfWriteMode::Selection && m_count > 1 && !source.hasMark(m_count - 1) &&
        source.blank(m_count - 1)) {
        --m_count;
        m_lastHasMark = true;
    }
}

template <typename Source>
qsizetype Writer<Source>::measure()
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

template <typename Source>
QByteArray Writer<Source>::write()
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

template <typename Source>
typename Writer<Source>::KnownFormat* Writer<Source>::known(Format format)
{
    const int slot = Source::slotOf(format);
    if (slot < 0)
        return nullptr;
    if (std::size_t(slot) >= m_known.size())
        m_known.resize(std::size_t(slot) + 1);
    return &m_known[std::size_t(slot)];
}

// The format the paragraph's line starts in.
template <typename Source>
typename Source::Format Writer<Source>::firstFormat(std::size_t index) const
{
    std::optional<Format> first;
    m_source.forEachRun(index, [&](Format format, const Picture*, const auto&) {
        if (!first)
            first = format;
    });
    return first ? *first : m_source.mark(index);
}

template <typename Source>
void Writer<Source>::collectFormat(const CharFormat& format, bool colors)
{
    m_fonts.indexOf(format.face, format.charset);
    if (!colors)
        return;
    if (hasExplicitColor(format))
        m_colors.indexOf(format.color);
    if (hasExplicitBackColor(format))
        m_colors.indexOf(format.backColor);
}

// A format met again adds nothing to the tables.
template <typename Source>
void Writer<Source>::collectFormat(Format format, bool colors)
{
    if (KnownFormat* entry = known(format)) {
        if (entry->fontCollected && (entry->colorsCollected || !colors))
            return;
        entry->fontCollected = true;
        entry->colorsCollected = entry->colorsCollected || colors;
    }
    collectFormat(m_source.format(format), colors);
}

// Fonts and colours in order of first use, so that \f0 is the first face written.
template <typename Source>
void Writer<Source>::collectTables()
{
    bool bullets = false;
    for (std::size_t i = 0; i < m_count; ++i) {
        m_source.forEachRun(
            i, [&](Format format, const Picture*, const auto&) { collectFormat(format, true); });
        const bool markWritten = i + 1 < m_count || m_lastHasMark;
        collectFormat(m_source.mark(i), markWritten);
        bullets = bullets || m_source.paraFormat(i).numbering == Bullet;
    }
    if (bullets)
        m_symbolFont = m_fonts.indexOf(QStringLiteral("Symbol"), 2);
}

template <typename Source>
RunWords Writer<Source>::wordsOf(Format format)
{
    KnownFormat* entry = known(format);
    if (!entry)
        return wordsOf(m_source.format(format));
    if (!entry->wordsKnown) {
        entry->words = wordsOf(m_source.format(format));
        entry->wordsKnown = true;
    }
    return entry->words;
}

template <typename Source>
RunWords Writer<Source>::wordsOf(const CharFormat& format)
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

template <typename Source>
qsizetype Writer<Source>::sizeEstimate() const
{
    qsizetype size = 512;
    for (std::size_t i = 0; i < m_count; ++i)
        size += m_source.sizeEstimate(i);
    return size;
}

template <typename Source>
void Writer<Source>::writeHeader()
{
    m_out.raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033");
    m_fonts.write(m_out);
    m_out.newline();
    if (!m_colors.empty()) {
        m_colors.write(m_out);
        m_out.newline();
    }
}

template <typename Source>
void Writer<Source>::writeParagraph(std::size_t index)
{
    ParaWords words = paraWords(m_source.paraFormat(index));
    startLine(index, words);
    writeRuns(index);
    endLine(index);
    m_previousPara = std::move(words);
}

// "\viewkind4\uc1\pard\..." on the first line, "\par " on every later one, then the
// paragraph's words when they differ from the paragraph before.
template <typename Source>
void Writer<Source>::startLine(std::size_t index, const ParaWords& words)
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
        changeTo(wordsOf(firstFormat(0)));
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

template <typename Source>
void Writer<Source>::writeListText(const ParaWords& words)
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

template <typename Source>
void Writer<Source>::writeListDefinition(const ParaWords& words)
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

template <typename Source>
void Writer<Source>::writeRuns(std::size_t index)
{
    m_source.forEachRun(index, [&](Format format, const Picture* picture, const auto& text) {
        changeTo(wordsOf(format));
        if (picture) {
            writePicture(m_out, *picture);
            return;
        }
        const int codePage = codePageForCharset(m_source.format(format).charset);
        m_out.setWindows1252Escapes(codePage == 0 || codePage == Windows1252CodePage);
        Source::writeText(m_out, text);
    });
}

// The paragraph mark's own format goes at the end of its line; the last line switches
// underline off, so that every underline is ended before the closing line.
template <typename Source>
void Writer<Source>::endLine(std::size_t index)
{
    const bool last = index + 1 == m_count;
    RunWords target = last && !m_lastHasMark ? m_current : wordsOf(m_source.mark(index));
    if (last)
        target.underline = false;
    changeTo(target);
    m_out.newline();
}

template <typename Source>
void Writer<Source>::changeTo(const RunWords& target)
{
    writeRunChanges(m_out, m_current, target);
    m_current = target;
}

}  // namespace

QByteArray writeRtf(const DocumentFragment& fragment, RtfWriteMode mode)
{
    const FragmentSource source(fragment);
    return Writer(source, mode).write();
}

qsizetype measureRtf(const DocumentFragment& fragment, RtfWriteMode mode)
{
    const FragmentSource source(fragment);
    return Writer(source, mode).measure();
}

QByteArray writeRtf(const Document& document)
{
    const DocumentSource source(document);
    return Writer(source, RtfWriteMode::WholeDocument).write();
}

qsizetype measureRtf(const Document& document)
{
    const DocumentSource source(document);
    return Writer(source, RtfWriteMode::WholeDocument).measure();
}

}  // namespace richedit
