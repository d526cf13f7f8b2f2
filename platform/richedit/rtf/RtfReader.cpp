#include "platform/richedit/rtf/RtfReader.h"

#include "platform/richedit/rtf/RtfReaderEngine.h"

#include <algorithm>

namespace richedit {

namespace {

// Groups deeper than this share the innermost state.
constexpr size_t MaxGroupDepth = 1000;

// What may follow the document group without being text: zero bytes and blanks.
bool onlyTrailingFiller(QByteArrayView bytes)
{
    for (const char byte : bytes) {
        if (byte != '\0' && byte != ' ' && byte != '\t' && byte != '\r' && byte != '\n')
            return false;
    }
    return true;
}

// The largest font size and baseline offset in half-points (1638 pt); larger values cannot
// be laid out.
constexpr int32_t MaxHalfPoints = 3276;

constexpr char16_t SoftBreak = u'\x000B';
constexpr char16_t ReplacementCharacter = u'\xFFFD';

// One pass over the text: most of it is short, where a library search costs more than it finds.
bool hasLineEnd(QStringView text)
{
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

bool hasNul(QStringView text)
{
    for (const QChar c : text) {
        if (c == u'\0')
            return true;
    }
    return false;
}

// Windows-1252 and ASCII in any code page we meet turn each byte into one character, which is
// a CR, LF or NUL only when the byte is.
bool decodesByteByByte(QByteArrayView bytes, int codePage)
{
    if (codePage == Windows1252CodePage)
        return true;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool isOn(const RtfToken& token)
{
    return !token.hasParam || token.param != 0;
}

int32_t paramOr(const RtfToken& token, int32_t fallback)
{
    return token.hasParam ? token.param : fallback;
}

std::optional<char16_t> specialCharacter(RtfKeyword keyword)
{
    switch (keyword) {
        case RtfKeyword::Tab:
            return u'\t';
        case RtfKeyword::Line:
            return SoftBreak;
        case RtfKeyword::EmDash:
            return u'\x2014';
        case RtfKeyword::EnDash:
            return u'\x2013';
        case RtfKeyword::BulletChar:
            return u'\x2022';
        case RtfKeyword::LeftQuote:
            return u'\x2018';
        case RtfKeyword::RightQuote:
            return u'\x2019';
        case RtfKeyword::LeftDoubleQuote:
            return u'\x201C';
        case RtfKeyword::RightDoubleQuote:
            return u'\x201D';
        case RtfKeyword::EmSpace:
            return u'\x2003';
        case RtfKeyword::EnSpace:
            return u'\x2002';
        case RtfKeyword::QuarterEmSpace:
            return u'\x2005';
        // Invisible, but they join or separate letters and set the direction of neutrals.
        case RtfKeyword::ZeroWidthJoiner:
            return u'\x200D';
        case RtfKeyword::ZeroWidthNonJoiner:
            return u'\x200C';
        case RtfKeyword::ZeroWidthBreak:
            return u'\x200B';
        case RtfKeyword::LeftToRightMark:
            return u'\x200E';
        case RtfKeyword::RightToLeftMark:
            return u'\x200F';
        default:
            return std::nullopt;
    }
}

}  // namespace

bool looksLikeRtf(QByteArrayView data)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    qsizetype start = 0;
    while (start < data.size() &&
           (data[start] == ' ' || data[start] == '\t' || data[start] == '\r' ||
            data[start] == '\n' || data[start] == '\f' || data[start] == '\v'))
        ++start;
    return data.sliced(start).startsWith("{\\rtf");
}

DocumentFragment readRtf(QByteArrayView rtf, RtfReadMode mode)
{
    DocumentFragment fragment;
    readRtf(rtf, mode, [&fragment](FragmentParagraph&& paragraph) {
        // The fragment may be edited before it reaches a document: it promises nothing.
        paragraph.hasLineEnds = true;
        fragment.paragraphs.push_back(std::move(paragraph));
    });
    return fragment;
}

void readRtf(QByteArrayView rtf, RtfReadMode mode, const ParagraphSink& sink, RtfRunText runText)
{
    RtfReaderEngine(rtf, mode, sink, runText).run();
}

RtfReaderEngine::RtfReaderEngine(QByteArrayView input, RtfReadMode mode, const ParagraphSink& sink,
                                 RtfRunText runText)
    : m_input(input), m_mode(mode), m_runText(runText), m_sink(sink)
{
    m_stack.reserve(64);
    m_stack.emplace_back();
}

void RtfReaderEngine::run()
{
    // Anything before the outermost group (a byte-order mark, blanks) is not RTF.
    const qsizetype start = m_input.indexOf('{');
    if (start >= 0) {
        RtfTokenizer tokenizer(m_input, start);
        while (handleToken(tokenizer.next())) {
        }
    }
    finish();
}

bool RtfReaderEngine::handleToken(const RtfToken& token)
{
    // An escaped backslash or brace is a byte of the text: it may be the trail byte of a
    // double-byte character whose lead byte is still pending.
    const bool escapedByte = token.type == RtfToken::ControlSymbol &&
                             (token.symbol == '\\' || token.symbol == '{' || token.symbol == '}');
    if (token.type != RtfToken::Text && token.type != RtfToken::HexByte && !escapedByte)
        flushBytes();
    if (token.type != RtfToken::Text && token.type != RtfToken::GroupClose)
        m_documentClosed = false;
    if (token.type != RtfToken::ControlWord)
        m_star = m_star && token.type == RtfToken::ControlSymbol && token.symbol == '*';

    switch (token.type) {
        case RtfToken::End:
        case RtfToken::Truncated:
            return false;
        case RtfToken::GroupOpen:
            m_skipFallback = 0;  // a brace ends the \uc fallback
            openGroup();
            return true;
        case RtfToken::GroupClose:
            m_skipFallback = 0;
            closeGroup();
            return true;
        case RtfToken::Text: {
            QByteArrayView bytes = token.bytes;
            if (m_documentClosed && onlyTrailingFiller(bytes))
                return true;
            m_documentClosed = false;
            if (m_skipFallback > 0) {
                const qsizetype skipped = std::min<qsizetype>(m_skipFallback, bytes.size());
                m_skipFallback -= static_cast<int32_t>(skipped);
                bytes = bytes.sliced(skipped);
            }
            if (!bytes.isEmpty())
                handleBytes(bytes);
            return true;
        }
        default:
            break;
    }
    if (m_skipFallback > 0) {
        --m_skipFallback;  // a \'hh, a control word or a \bin counts as one fallback unit
        return true;
    }
    switch (token.type) {
        case RtfToken::HexByte:
            handleHexByte(token.hex);
            break;
        case RtfToken::Binary:
            handleBinary(token.bytes);
            break;
        case RtfToken::ControlSymbol:
            handleSymbol(token.symbol);
            break;
        case RtfToken::ControlWord:
            handleWord(lookupRtfKeyword(token.bytes), token);
            break;
        default:
            break;
    }
    return true;
}

void RtfReaderEngine::openGroup()
{
    if (m_stack.size() > MaxGroupDepth) {
        ++m_overflowDepth;
        return;
    }
    RtfGroupState inner = state();
    inner.ownsDest = false;
    m_stack.push_back(inner);
}

void RtfReaderEngine::closeGroup()
{
    if (m_overflowDepth > 0) {
        --m_overflowDepth;
        return;
    }
    if (m_stack.size() <= 2) {
        // The document group keeps its state: a damaged file may go on after a stray brace.
        m_documentClosed = true;
        return;
    }
    const RtfGroupState closed = m_stack.back();
    m_stack.pop_back();
    if (closed.dest == RtfDestination::FontTable)
        finishFontName();
    if (closed.ownsDest)
        finishDestination(closed);
    m_effectiveDirty = true;
}

void RtfReaderEngine::setDestination(RtfDestination dest)
{
    state().dest = dest;
    state().ownsDest = true;
}

void RtfReaderEngine::finishDestination(const RtfGroupState& closed)
{
    switch (closed.dest) {
        case RtfDestination::Pict:
            finishPicture(closed);
            break;
        case RtfDestination::ParaNumbering:
            finishParaNumbering();
            break;
        case RtfDestination::LevelText:
            finishLevelText();
            break;
        case RtfDestination::FontTable:
            m_fontBeingDefined = -1;
            break;
        default:
            break;
    }
}

void RtfReaderEngine::openDestination(RtfKeyword keyword)
{
    using K = RtfKeyword;
    using D = RtfDestination;
    const D current = state().dest;
    const bool inBody = current == D::Body;
    switch (keyword) {
        case K::FontTable:
            setDestination(inBody ? D::FontTable : D::Skip);
            m_fontBeingDefined = -1;
            break;
        case K::ColorTable:
            setDestination(inBody ? D::ColorTable : D::Skip);
            m_colorParts = {};
            m_colorGiven = false;
            break;
        case K::ListTable:
            setDestination(inBody ? D::ListTable : D::Skip);
            break;
        case K::ListOverrideTable:
            setDestination(inBody ? D::ListOverrideTable : D::Skip);
            break;
        case K::LevelText:
            setDestination(current == D::ListTable ? D::LevelText : D::Skip);
            m_levelText.clear();
            break;
        case K::Pict:
            if (current == D::Pict)
                break;
            setDestination(inBody ? D::Pict : D::Skip);
            m_picture = {};
            break;
        case K::ParaNumbering:
            setDestination(inBody ? D::ParaNumbering : D::Skip);
            m_pn = {};
            m_pnTextAfter.clear();
            m_pnTextBefore.clear();
            break;
        case K::ParaNumberingTextAfter:
        case K::ParaNumberingTextBefore:
            if (current != D::ParaNumbering)
                setDestination(D::Skip);
            else if (keyword == K::ParaNumberingTextAfter)
                setDestination(D::ParaNumberingTextAfter);
            else
                setDestination(D::ParaNumberingTextBefore);
            break;
        case K::Object:
            setDestination(inBody ? D::Object : D::Skip);
            break;
        case K::ObjectResult:
            // An object's result is its text; a stray one in the body is read as it stands.
            if (current == D::Object)
                setDestination(D::Body);
            else if (!inBody)
                setDestination(D::Skip);
            break;
        case K::ShapePicture:
            if (inBody)
                state().inShapePicture = true;
            else
                setDestination(D::Skip);
            break;
        case K::NonShapePicture:
            // The same picture again for readers without shapes.
            if (!inBody || m_shapePictureRead)
                setDestination(D::Skip);
            break;
        case K::NestTableProps:
            setDestination(inBody ? D::NestTableProps : D::Skip);
            break;
        case K::ListText:
            setDestination(inBody ? D::ListText : D::Skip);
            m_listLabel.clear();
            break;
        case K::UnicodePair:
            // Readers that know \ud read only it: the first group repeats its text in the
            // code page.
            state().unicodePairDest = current;
            setDestination(D::Skip);
            break;
        case K::FieldResult:
        case K::ShapeResult:
            // Read as the text around them.
            break;
        default:  // field instructions and every destination that holds no document text
            setDestination(D::Skip);
            break;
    }
}

void RtfReaderEngine::handleWord(RtfKeyword keyword, const RtfToken& token)
{
    using D = RtfDestination;
    if (state().dest == D::Skip) {
        if (keyword == RtfKeyword::UnicodeText && state().unicodePairDest) {
            state().dest = *state().unicodePairDest;  // the \upr group finishes the destination
            state().unicodePairDest.reset();
            m_star = false;
        }
        return;
    }
    const bool starred = m_star;
    m_star = false;
    if (isDestinationKeyword(keyword)) {
        openDestination(keyword);
        return;
    }
    if (starred) {
        setDestination(D::Skip);  // an optional destination we do not know
        return;
    }
    if (keyword == RtfKeyword::Unicode) {
        if (token.hasParam) {
            emitUnicode(token.param);
            m_skipFallback = state().unicodeSkip;
        }
        return;
    }
    if (keyword == RtfKeyword::UnicodeSkip) {
        state().unicodeSkip = std::max(0, paramOr(token, 1));
        return;
    }
    if (const auto special = specialCharacter(keyword)) {
        const char16_t unit = *special;
        emitText(QStringView(&unit, 1));
        return;
    }
    switch (state().dest) {
        case D::Body:
            bodyWord(keyword, token);
            break;
        case D::ListText:
            characterWord(keyword, token);
            break;
        case D::FontTable:
            fontTableWord(keyword, token);
            break;
        case D::ColorTable:
            colorTableWord(keyword, token);
            break;
        case D::ListTable:
            listTableWord(keyword, token);
            break;
        case D::ListOverrideTable:
            listOverrideWord(keyword, token);
            break;
        case D::Pict:
            pictureWord(keyword, token);
            break;
        case D::ParaNumbering:
            paraNumberingWord(keyword, token);
            break;
        case D::NestTableProps:
            if (keyword == RtfKeyword::NestRow)
                tableWord(keyword, token);
            break;
        default:
            break;
    }
}

void RtfReaderEngine::handleSymbol(char symbol)
{
    if (state().dest == RtfDestination::Skip)
        return;
    switch (symbol) {
        case '*':
            m_star = true;
            break;
        case '~':
            emitText(u"\x00A0");
            break;
        case '-':
            emitText(u"\x00AD");
            break;
        case '_':
            emitText(u"\x2011");
            break;
        case '\\':
        case '{':
        case '}': {
            const char byte = symbol;
            handleBytes(QByteArrayView(&byte, 1));
            break;
        }
        default:
            break;  // \: \| and symbols we do not know
    }
}

void RtfReaderEngine::bodyWord(RtfKeyword keyword, const RtfToken& token)
{
    using K = RtfKeyword;
    if (characterWord(keyword, token) || paragraphWord(keyword, token))
        return;
    switch (keyword) {
        case K::Ansi:
            m_ansiCodePage = Windows1252CodePage;
            formatTablesChanged();
            break;
        case K::Mac:
            m_ansiCodePage = 10000;
            formatTablesChanged();
            break;
        case K::Pc:
            m_ansiCodePage = 437;
            formatTablesChanged();
            break;
        case K::Pca:
            m_ansiCodePage = 850;
            formatTablesChanged();
            break;
        case K::AnsiCodePage:
            if (token.hasParam && token.param > 0)
                m_ansiCodePage = token.param;
            formatTablesChanged();
            break;
        case K::DefaultFont:
            m_defaultFont = paramOr(token, 0);
            formatTablesChanged();
            break;
        case K::DefaultLanguage:
            if (token.hasParam && token.param >= 0)
                m_defaultLanguage = token.param;
            formatTablesChanged();
            break;
        default:
            tableWord(keyword, token);
            break;
    }
}

bool RtfReaderEngine::characterWord(RtfKeyword keyword, const RtfToken& token)
{
    using K = RtfKeyword;
    RtfCharProps& chars = state().chars;
    auto setEffect = [&chars](uint32_t effect, bool on) {
        chars.effects = on ? chars.effects | effect : chars.effects & ~effect;
    };
    switch (keyword) {
        case K::Plain:
            chars = {};
            break;
        case K::Font:
            chars.font = paramOr(token, -1);
            break;
        case K::FontSize:
            // Sizes that cannot be drawn fall back to the 12-point default.
            chars.sizeHalfPoints =
                token.hasParam && token.param > 0 ? std::min(token.param, MaxHalfPoints) : 24;
            break;
        case K::Bold:
            setEffect(Bold, isOn(token));
            break;
        case K::Italic:
            setEffect(Italic, isOn(token));
            break;
        case K::Underline:
            setEffect(Underline, isOn(token));
            break;
        case K::UnderlineNone:
            setEffect(Underline, false);
            break;
        case K::Strike:
        case K::StrikeDouble:
            setEffect(StrikeOut, isOn(token));
            break;
        case K::Protect:
            setEffect(Protected, isOn(token));
            break;
        case K::Hidden:
            setEffect(Hidden, isOn(token));
            break;
        case K::ForeColor:
            chars.colorIndex = paramOr(token, 0);
            break;
        case K::BackColor:
            chars.backColorIndex = paramOr(token, 0);
            break;
        case K::Superscript:
            chars.effects = (chars.effects & ~SubSuperscript) | Superscript;
            break;
        case K::Subscript:
            chars.effects = (chars.effects & ~SubSuperscript) | Subscript;
            break;
        case K::NoSuperSub:
            chars.effects &= ~SubSuperscript;
            break;
        case K::Up:
            chars.offsetHalfPoints = std::clamp(paramOr(token, 6), -MaxHalfPoints, MaxHalfPoints);
            break;
        case K::Down:
            chars.offsetHalfPoints = -std::clamp(paramOr(token, 6), -MaxHalfPoints, MaxHalfPoints);
            break;
        case K::Language:
            if (token.hasParam)
                chars.language = token.param >= 0 ? token.param : -1;
            break;
        default:
            return false;
    }
    m_effectiveDirty = true;
    return true;
}

bool RtfReaderEngine::paragraphWord(RtfKeyword keyword, const RtfToken& token)
{
    using K = RtfKeyword;
    RtfParaProps& para = state().para;
    switch (keyword) {
        case K::ParagraphDefault:
            para = {};
            break;
        case K::Paragraph:
            if (para.inTable)
                appendBody(QStringView(&SoftBreak, 1));  // a line inside a table cell
            else
                endParagraph(ParagraphEnd::Par);
            break;
        case K::SectionEnd:
            endParagraph(ParagraphEnd::Other);
            break;
        case K::LeftIndent:
            para.leftIndent = paramOr(token, 0);
            break;
        case K::RightIndent:
            para.rightIndent = paramOr(token, 0);
            break;
        case K::FirstIndent:
            para.firstIndent = paramOr(token, 0);
            break;
        case K::AlignLeft:
            para.alignment = AlignLeft;
            break;
        case K::AlignCenter:
            para.alignment = AlignCenter;
            break;
        case K::AlignRight:
            para.alignment = AlignRight;
            break;
        case K::AlignJustify:
            para.alignment = AlignJustify;
            break;
        case K::SpaceBefore:
            para.spaceBefore = paramOr(token, 0);
            break;
        case K::SpaceAfter:
            para.spaceAfter = paramOr(token, 0);
            break;
        case K::LineSpacing:
            para.lineSpacing = paramOr(token, 0);
            break;
        case K::LineSpacingMultiple:
            para.lineSpacingMultiple = isOn(token);
            break;
        case K::TabStop:
            if (token.hasParam && para.tabCount < MaxTabStops)
                para.tabs[para.tabCount++] = token.param;
            break;
        case K::ListNumber:
            para.listOverride = paramOr(token, 0);
            break;
        case K::ListLevel:
            para.listLevel = paramOr(token, 0);
            break;
        default:
            return false;
    }
    return true;
}

void RtfReaderEngine::tableWord(RtfKeyword keyword, const RtfToken& token)
{
    using K = RtfKeyword;
    switch (keyword) {
        case K::InTable:
            state().para.inTable = true;
            break;
        case K::TableNesting:
            state().para.inTable = paramOr(token, 1) > 0;
            break;
        case K::Cell:
            cell();
            break;
        case K::Row:
            endParagraph(ParagraphEnd::Row);
            break;
        case K::NestRow:
            // A nested row ends a line of the outer cell; no tab follows its last cell.
            m_pendingCellTab = false;
            appendBody(QStringView(&SoftBreak, 1));
            break;
        default:
            break;
    }
}

void RtfReaderEngine::cell()
{
    // The tab between two cells is written only once the next cell shows up, so that the
    // row's last cell has none after it.
    flushCellTab();
    m_pendingCellTab = true;
    m_rowFormat = state().para;
}

void RtfReaderEngine::handleBytes(QByteArrayView bytes)
{
    switch (state().dest) {
        case RtfDestination::Body:
            if (m_pendingBytes.isEmpty() && appendDirectly(bytes))
                break;
            m_pendingBytes.append(bytes);
            break;
        case RtfDestination::ListText:
        case RtfDestination::ParaNumberingTextAfter:
        case RtfDestination::ParaNumberingTextBefore:
            m_pendingBytes.append(bytes);
            break;
        case RtfDestination::FontTable:
            fontTableBytes(bytes);
            break;
        case RtfDestination::ColorTable:
            colorTableBytes(bytes);
            break;
        case RtfDestination::Pict:
            pictureHex(bytes);
            break;
        case RtfDestination::LevelText:
            m_levelText.append(bytes);
            break;
        default:
            break;
    }
}

void RtfReaderEngine::handleHexByte(unsigned char byte)
{
    const char value = static_cast<char>(byte);
    switch (state().dest) {
        case RtfDestination::Body:
        case RtfDestination::ListText:
        case RtfDestination::FontTable:  // an escaped byte never ends a font name
        case RtfDestination::ParaNumberingTextAfter:
        case RtfDestination::ParaNumberingTextBefore:
            m_pendingBytes.append(value);
            m_pendingLineEndOrNul =
                m_pendingLineEndOrNul || byte == 0 || byte == '\r' || byte == '\n';
            break;
        case RtfDestination::LevelText:
            m_levelText.append(value);
            break;
        default:
            break;
    }
}

void RtfReaderEngine::handleBinary(QByteArrayView data)
{
    // Raw bytes are picture data inside \pict and skipped everywhere else.
    if (state().dest == RtfDestination::Pict) {
        m_picture.nibble = -1;
        m_picture.data.append(data);
    }
}

void RtfReaderEngine::flushBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    if (m_pendingLineEndOrNul || state().dest != RtfDestination::Body ||
        !appendDirectly(m_pendingBytes)) {
        m_decoded.resize(0);
        m_decoder.decodeAppend(m_pendingBytes, currentCodePage(), m_decoded);
        emitText(m_decoded);
    }
    m_pendingBytes.resize(0);  // keeps the buffer
    m_pendingLineEndOrNul = false;
}

bool RtfReaderEngine::appendDirectly(QByteArrayView bytes)
{
    // The usual case: body text whose bytes each make one character, none of them a NUL or a
    // line end (which only an escape can give), goes straight into the run without being
    // gathered, searched and copied on the way. Nothing between here and the next flush could
    // change how it reads.
    const int codePage = currentCodePage();
    if (!decodesByteByByte(bytes, codePage))
        return false;
    resolveSurrogate();
    flushCellTab();
    prepareRun();
    m_decoder.decodeAppend(bytes, codePage, m_paragraphText);
    return true;
}

void RtfReaderEngine::emitUnicode(int32_t value)
{
    if (value < 0)
        value += 0x10000;  // \u takes signed 16-bit values
    if (value < 0 || value > 0x10FFFF) {
        value = ReplacementCharacter;
    } else if (value > 0xFFFF) {
        // Some writers give a code point beyond 16 bits in one word.
        resolveSurrogate();
        const char16_t pair[2] = {QChar::highSurrogate(static_cast<char32_t>(value)),
                                  QChar::lowSurrogate(static_cast<char32_t>(value))};
        appendToSink(QStringView(pair, 2));
        return;
    }
    const auto unit = static_cast<char16_t>(value);
    if (QChar::isHighSurrogate(unit)) {
        resolveSurrogate();
        m_pendingHighSurrogate = unit;
        return;
    }
    if (QChar::isLowSurrogate(unit)) {
        if (m_pendingHighSurrogate) {
            const char16_t pair[2] = {m_pendingHighSurrogate, unit};
            m_pendingHighSurrogate = 0;
            appendToSink(QStringView(pair, 2));
        } else {
            appendToSink(QStringView(&ReplacementCharacter, 1));
        }
        return;
    }
    emitText(QStringView(&unit, 1));
}

void RtfReaderEngine::resolveSurrogate()
{
    // Half a surrogate pair would break positions in the text; it becomes U+FFFD.
    if (m_pendingHighSurrogate) {
        m_pendingHighSurrogate = 0;
        appendToSink(QStringView(&ReplacementCharacter, 1));
    }
}

void RtfReaderEngine::emitText(QStringView text)
{
    resolveSurrogate();
    // A NUL (\u0, \'00) is no character of a document: it would end the text for every
    // reader that takes it as a C string.
    if (hasNul(text)) {
        QString kept = text.toString();
        kept.remove(QChar(u'\0'));
        appendToSink(kept);
        return;
    }
    appendToSink(text);
}

void RtfReaderEngine::appendToSink(QStringView text)
{
    switch (state().dest) {
        case RtfDestination::Body:
            appendBody(text);
            break;
        case RtfDestination::ListText: {
            // The label may end up in the body: it follows the body's rules for line ends and
            // never makes an empty run.
            QString kept = text.toString();
            kept.remove(u'\r');
            kept.remove(u'\n');
            if (kept.isEmpty())
                break;
            const CharFormat& format = effectiveFormat();
            if (m_listLabel.empty() || m_listLabel.back().format != format)
                m_listLabel.push_back({QString(), format, nullptr});
            m_listLabel.back().text.append(kept);
            break;
        }
        case RtfDestination::FontTable:
            if (!m_fontNameDone)
                m_fontName.append(text);
            break;
        case RtfDestination::ParaNumberingTextAfter:
            m_pnTextAfter.append(text);
            break;
        case RtfDestination::ParaNumberingTextBefore:
            m_pnTextBefore.append(text);
            break;
        default:
            break;
    }
}

void RtfReaderEngine::appendBody(QStringView text)
{
    // CR and LF are paragraph ends, never characters of a run; escaped ones are dropped as raw
    // ones are.
    if (hasLineEnd(text)) {
        QString kept = text.toString();
        kept.remove(u'\r');
        kept.remove(u'\n');
        if (kept.isEmpty())
            return;
        appendBody(kept);
        return;
    }
    if (text.isEmpty())
        return;
    flushCellTab();
    appendRun(text);
}

}  // namespace richedit
