#include "platform/richedit/view/Engine.h"
#include "platform/richedit/layout/FormatRangeCache.h"
#include "platform/richedit/model/PlainText.h"
#include "platform/richedit/rtf/RtfReader.h"
#include "platform/richedit/rtf/RtfWriter.h"
#include "platform/richedit/view/EngineClipboard.h"
#include "platform/richedit/view/LoadBudget.h"
#include "platform/richedit/view/PagePrint.h"
#include "platform/runtime/Windows1252.h"
#include "platform/system/FileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

namespace richedit {

namespace {

constexpr long ErrInvalidFileFormat = 321;

// RTF strings hold one character per byte (Windows-1252). A character without such a byte,
// which a caller may have put into RTF as it stands, becomes an RTF Unicode escape rather
// than a lost '?'.
QByteArray rtfBytes(const QString& data)
{
    // Sized once and written through a pointer: a large document is one pass, no appends.
    QByteArray bytes(data.size(), Qt::Uninitialized);
    char* out = bytes.data();
    const char16_t* units = reinterpret_cast<const char16_t*>(data.constData());
    const qsizetype size = data.size();
    qsizetype written = 0;
    constexpr qsizetype Block = 32;
    for (qsizetype i = 0; i < size; ++i) {
        // Blocks of ASCII, nearly all of an RTF string, are narrowed without a test a unit.
        while (i + Block <= size) {
            char16_t any = 0;
            for (qsizetype k = 0; k < Block; ++k)
                any |= units[i + k];
            if (any >= 0x80)
                break;
            for (qsizetype k = 0; k < Block; ++k)
                out[written + k] = static_cast<char>(units[i + k]);
            written += Block;
            i += Block;
        }
        if (i == size)
            break;
        const char16_t unit = units[i];
        const unsigned char byte =
            unit < 0x80 ? static_cast<unsigned char>(unit) : vb::unicodeToWindows1252(unit);
        if (unit < 0x80 || byte >= 0x80) {
            out[written++] = static_cast<char>(byte);
            continue;
        }
        // The escape takes the unit's byte and more: the buffer grows by the difference.
        const QByteArray escape = "\\u" + QByteArray::number(static_cast<int16_t>(unit)) + '?';
        bytes.resize(bytes.size() + escape.size() - 1);
        out = bytes.data();
        std::memcpy(out + written, escape.constData(), size_t(escape.size()));
        written += escape.size();
    }
    bytes.truncate(written);
    return bytes;
}

QString rtfString(const QByteArray& bytes)
{
    return vb::fromWindows1252(bytes);
}

// Data of an RTF-kind load that is not RTF is text when it has no NUL before its last byte or
// starts with a UTF-16 byte-order mark; anything else is binary.
bool isTextData(const QByteArray& data)
{
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF"))
        return true;
    const qsizetype nul = data.indexOf('\0');
    return nul < 0 || nul == data.size() - 1;
}

}  // namespace

Engine::Engine(QObject* parent) : QObject(parent)
{
    m_session.onChanged = [this] { emit changed(); };
    m_layout = std::make_unique<DocumentLayout>(m_session.document());
    m_layout->setCaretSource([this] { return m_session.caret(); });
    m_formatCache = std::make_unique<FormatRangeCache>(m_session.document());
    m_session.onSelectionChanged = [this] {
        m_layout->selectionChanged();
        emit selectionChanged();
    };
}

Engine::~Engine()
{
    m_session.onChanged = nullptr;
    m_session.onSelectionChanged = nullptr;
}

// --- Whole document ---

void Engine::setText(const QString& text)
{
    m_session.setPlainText(text);
}

QByteArray Engine::textRtfBytes() const
{
    return writeRtf(document());
}

int64_t Engine::textRtfLength() const
{
    return measureRtf(document());
}

QString Engine::textRtf() const
{
    return rtfString(textRtfBytes());
}

void Engine::setTextRtf(const QString& data)
{
    const QByteArray bytes = rtfBytes(data);
    if (!looksLikeRtf(bytes)) {
        m_session.setPlainText(data);
        return;
    }
    m_session.replaceDocument([&bytes](const ParagraphSink& sink) {
        readRtf(bytes, RtfReadMode::WholeDocument, sink, RtfRunText::Joined);
    });
}

std::optional<vb::VbError> Engine::loadFile(const QString& path, FileKind kind)
{
    if (!QFileInfo::exists(path))
        return vb::VbError::fromNumber(vb::ErrFileNotFound);
    const LoadBudget budget;
    QByteArray data;
    if (auto error = budget.readFile(path, data))
        return error;
    // Parse first, so that a failure, running out of memory included, leaves the document
    // alone.
    struct DoesNotFit {};
    FileKind read = FileKind::Text;
    TextFileFormat format;
    try {
        if (kind == FileKind::Rtf && looksLikeRtf(data)) {
            read = FileKind::Rtf;
            // Each paragraph goes into the document as it is read, so the text is never held
            // twice; reading stops as soon as what was read would no longer fit.
            LoadBudget::Tally tally;
            m_session.replaceDocument([&](const ParagraphSink& sink) {
                readRtf(
                    data, RtfReadMode::WholeDocument,
                    [&](FragmentParagraph&& paragraph) {
                        tally.add(paragraph);
                        if (!budget.fits(tally))
                            throw DoesNotFit{};
                        sink(std::move(paragraph));
                    },
                    RtfRunText::Joined);
            });
        } else if (kind == FileKind::Text || isTextData(data)) {
            const QString text = PlainText::decode(data, format);
            if (!budget.fitsText(text))
                return LoadBudget::tooLarge();
            m_session.setPlainText(text);
        } else {
            return vb::VbError(ErrInvalidFileFormat, QStringLiteral("Invalid file format"));
        }
    } catch (const DoesNotFit&) {
        return LoadBudget::tooLarge();
    } catch (const std::bad_alloc&) {
        return LoadBudget::tooLarge();
    }
    m_session.setModified(false);
    m_loadedKind = data.isEmpty() ? std::nullopt : std::optional(read);
    m_textFormat = format;
    return std::nullopt;
}

std::optional<vb::VbError> Engine::saveFile(const QString& path, FileKind kind)
{
    QByteArray bytes;
    TextFileFormat written = m_textFormat;
    if (kind == FileKind::Rtf) {
        bytes = textRtfBytes();
        bytes.append('\0');
    } else {
        // Positions count hidden text; a plain-text file has no way to hide it.
        bytes = PlainText::encode(PlainText::shownText(document().extract({0, -1})), m_textFormat,
                                  written);
    }
    const QFileInfo target(path);
    // A read-only file is refused even where the process could replace it (as root).
    if (target.exists() && !target.isFile())
        return vb::VbError(vb::ErrPathFileAccess, sys::describeFileError(EISDIR));
    if (target.exists() &&
        (!target.isWritable() || !(target.permissions() & QFileDevice::WriteOwner)))
        return vb::VbError(vb::ErrPathFileAccess, QStringLiteral("the file is read-only"));
    // Written beside the target and renamed over it, keeping the old permissions; every byte
    // is checked, so a short write (a full disk, a size limit) fails and keeps the old file.
    QString reason;
    if (!sys::writeFileSafely(path, bytes, &reason))
        return vb::VbError(vb::ErrPathFileAccess, reason);
    // The file is now what was written, a text that no longer fits its encoding included.
    if (kind == FileKind::Text)
        m_textFormat = written;
    return std::nullopt;
}

void Engine::setDefaultFont(const QFont& font)
{
    CharFormat change;
    change.mask = Face | Size | Bold | Italic | Underline | StrikeOut | Charset;
    change.face = font.family();
    change.heightTw = int32_t(std::lround(font.pointSizeF() * 20));
    change.charset = 0;
    change.effects = (font.bold() ? uint32_t(Bold) : 0) | (font.italic() ? uint32_t(Italic) : 0) |
                     (font.underline() ? uint32_t(Underline) : 0) |
                     (font.strikeOut() ? uint32_t(StrikeOut) : 0);
    CharFormat format = document().defaultFormat();
    mergeCharFormat(format, change);
    m_session.setDefaultFormat(format);
    m_session.setCharFormat(AllScope, change);
}

// --- Selection ---

std::optional<vb::VbError> Engine::setSelStart(int32_t position)
{
    return m_session.setSelStart(position);
}

std::optional<vb::VbError> Engine::setSelLength(int32_t length)
{
    return m_session.setSelLength(length);
}

QString Engine::selRtf() const
{
    return rtfString(writeRtf(m_session.selFragment(), RtfWriteMode::Selection));
}

void Engine::setSelRtf(const QString& rtf)
{
    const QByteArray bytes = rtfBytes(rtf);
    if (looksLikeRtf(bytes))
        m_session.replaceSelWithFragment(readRtf(bytes, RtfReadMode::Insert));
    else
        m_session.setSelText(rtf);
}

void Engine::span(const QString& set, bool forward, bool negate)
{
    m_session.span(set, forward, negate);
}

void Engine::upTo(const QString& set, bool forward, bool negate)
{
    m_session.upTo(set, forward, negate);
}

// --- Character format ---

bool Engine::setCharFormat(uint32_t scope, const CharFormat& change)
{
    return m_session.setCharFormat(scope, change);
}

std::optional<bool> Engine::effect(uint32_t bit) const
{
    const CharFormat format = charFormat();
    if (!format.has(bit))
        return std::nullopt;
    return format.is(bit);
}

void Engine::setEffect(uint32_t bit, bool on)
{
    CharFormat change;
    change.mask = bit;
    change.effects = on ? bit : 0;
    applyChar(change);
}

template <typename T>
std::optional<T> Engine::charField(T CharFormat::*field, uint32_t bit) const
{
    const CharFormat format = charFormat();
    return format.has(bit) ? std::optional<T>(format.*field) : std::nullopt;
}

template <typename T>
void Engine::setCharField(T CharFormat::*field, uint32_t bit, T value)
{
    CharFormat change;
    change.mask = bit;
    change.*field = std::move(value);
    applyChar(change);
}

template <typename T>
std::optional<T> Engine::paraField(T ParaFormat::*field, uint32_t bit) const
{
    const ParaFormat format = paraFormat();
    return format.has(bit) ? std::optional<T>(format.*field) : std::nullopt;
}

template <typename T>
void Engine::setParaField(T ParaFormat::*field, uint32_t bit, T value)
{
    ParaFormat change;
    change.mask = bit;
    change.*field = std::move(value);
    applyPara(change);
}

std::optional<uint32_t> Engine::selColor() const
{
    return charField(&CharFormat::color, Color);
}

void Engine::setSelColor(uint32_t color)
{
    setCharField(&CharFormat::color, Color, color);
}

std::optional<QString> Engine::selFontName() const
{
    return charField(&CharFormat::face, Face);
}

void Engine::setSelFontName(const QString& face)
{
    setCharField(&CharFormat::face, Face, face);
}

std::optional<double> Engine::selFontSize() const
{
    const CharFormat format = charFormat();
    return format.has(Size) ? std::optional<double>(format.heightTw / 20.0) : std::nullopt;
}

void Engine::setSelFontSize(double points)
{
    setCharField(&CharFormat::heightTw, Size, int32_t(std::lround(points * 20)));
}

std::optional<int32_t> Engine::selCharOffset() const
{
    return charField(&CharFormat::offsetTw, Offset);
}

void Engine::setSelCharOffset(int32_t twips)
{
    setCharField(&CharFormat::offsetTw, Offset, twips);
}

// --- Paragraph format ---

std::optional<int> Engine::selAlignment() const
{
    const ParaFormat format = paraFormat();
    if (!format.has(Alignment))
        return std::nullopt;
    switch (format.alignment) {
        case AlignLeft:
            return 0;
        case AlignRight:
            return 1;
        case AlignCenter:
            return 2;
        default:
            return std::nullopt;
    }
}

std::optional<vb::VbError> Engine::setSelAlignment(int alignment)
{
    static constexpr uint16_t values[] = {AlignLeft, AlignRight, AlignCenter};
    if (alignment < 0 || alignment > 2)
        return vb::VbError::fromNumber(vb::ErrInvalidPropertyValue);
    setParaField(&ParaFormat::alignment, Alignment, values[alignment]);
    return std::nullopt;
}

std::optional<int32_t> Engine::selIndent() const
{
    return paraField(&ParaFormat::startIndent, StartIndent);
}

void Engine::setSelIndent(int32_t twips)
{
    setParaField(&ParaFormat::startIndent, StartIndent, twips);
}

std::optional<int32_t> Engine::selHangingIndent() const
{
    return paraField(&ParaFormat::offset, OffsetIndent);
}

void Engine::setSelHangingIndent(int32_t twips)
{
    setParaField(&ParaFormat::offset, OffsetIndent, twips);
}

std::optional<int32_t> Engine::selRightIndent() const
{
    return paraField(&ParaFormat::rightIndent, RightIndent);
}

void Engine::setSelRightIndent(int32_t twips)
{
    setParaField(&ParaFormat::rightIndent, RightIndent, twips);
}

std::optional<bool> Engine::selBullet() const
{
    const ParaFormat format = paraFormat();
    return format.has(Numbering) ? std::optional<bool>(format.numbering == Bullet) : std::nullopt;
}

void Engine::setSelBullet(bool on)
{
    ParaFormat change;
    change.mask = Numbering;
    change.numbering = on ? Bullet : NoNumbering;
    if (on && m_bulletIndent != 0) {
        change.mask |= OffsetIndent;
        change.offset = m_bulletIndent;
    }
    applyPara(change);
}

std::optional<int> Engine::selTabCount() const
{
    const ParaFormat format = paraFormat();
    return format.has(TabStops) ? std::optional<int>(int(format.tabs.size())) : std::nullopt;
}

std::optional<vb::VbError> Engine::setSelTabCount(int count)
{
    if (count < 0 || count > MaxTabStops)
        return vb::VbError::fromNumber(vb::ErrInvalidPropertyValue);
    std::vector<int32_t> tabs = paraFormat().tabs;
    tabs.resize(size_t(count), 0);
    setParaField(&ParaFormat::tabs, TabStops, std::move(tabs));
    return std::nullopt;
}

std::optional<int32_t> Engine::selTab(int index) const
{
    const ParaFormat format = paraFormat();
    if (!format.has(TabStops) || index < 0 || index >= int(format.tabs.size()))
        return std::nullopt;
    return format.tabs[size_t(index)];
}

std::optional<vb::VbError> Engine::setSelTab(int index, int32_t twips)
{
    std::vector<int32_t> tabs = paraFormat().tabs;
    if (index < 0 || index >= int(tabs.size()))
        return vb::VbError::fromNumber(vb::ErrInvalidPropertyValue);
    tabs[size_t(index)] = twips;
    setParaField(&ParaFormat::tabs, TabStops, std::move(tabs));
    return std::nullopt;
}

// --- Clipboard ---

bool Engine::copy() const
{
    return copySelection(m_session);
}

bool Engine::cut()
{
    return cutSelection(m_session);
}

bool Engine::paste()
{
    return pasteClipboard(m_session);
}

bool Engine::canPaste() const
{
    return canPasteClipboard();
}

// --- Search ---

int32_t Engine::findText(const FindText& find, uint32_t flags) const
{
    return richedit::findText(document(), find.chrg, find.text, flags);
}

// --- Layout and print ---

int32_t Engine::formatRange(FormatRange& range, bool draw)
{
    return richedit::formatRange(document(), *m_layout, *m_formatCache, range, draw);
}

void Engine::releaseFormatCache()
{
    m_formatCache->release();
}

std::optional<vb::VbError> Engine::printSelection(bool startDoc)
{
    const CharRange selection = m_session.selection();
    const CharRange range = selection.cpMin == selection.cpMax ? CharRange{0, -1} : selection;
    return printRange(*this, range, startDoc);
}

}  // namespace richedit
