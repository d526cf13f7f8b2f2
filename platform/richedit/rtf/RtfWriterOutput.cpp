#include "platform/richedit/rtf/RtfWriterOutput.h"

#include "platform/runtime/Windows1252.h"

#include <cstring>

namespace richedit {
namespace {

constexpr char HexDigits[] = "0123456789abcdef";

// Printable ASCII that goes out as it stands.
bool isLiteral(char16_t c)
{
    return c >= 0x20 && c < 0x7F && c != u'\\' && c != u'{' && c != u'}';
}

}  // namespace

RtfOutput::RtfOutput(qsizetype reserve)
{
    m_bytes.reserve(reserve);
}

QByteArray RtfOutput::take()
{
    QByteArray result = std::move(m_bytes);
    m_bytes = QByteArray();
    return result;
}

void RtfOutput::raw(const char* text)
{
    m_bytes.append(text, static_cast<qsizetype>(std::strlen(text)));
}

void RtfOutput::word(const char* name)
{
    raw(name);
    m_afterWord = true;
}

void RtfOutput::word(const char* name, int64_t value)
{
    raw(name);
    number(value);
    m_afterWord = true;
}

void RtfOutput::number(int64_t value)
{
    char digits[24];
    char* end = digits + sizeof digits;
    char* p = end;
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative)
        *--p = '-';
    m_bytes.append(p, end - p);
}

void RtfOutput::hexByte(unsigned char byte)
{
    const char escape[4] = {'\\', '\'', HexDigits[byte >> 4], HexDigits[byte & 0xF]};
    m_bytes.append(escape, 4);
}

void RtfOutput::text(QStringView text)
{
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    while (p != end) {
        // Plain ASCII in bulk: the common case, one resize per stretch.
        const char16_t* stretch = p;
        while (p != end && isLiteral(*p))
            ++p;
        if (p != stretch) {
            if (m_afterWord) {
                m_bytes.append(' ');
                m_afterWord = false;
            }
            const qsizetype old = m_bytes.size();
            m_bytes.resize(old + (p - stretch));
            char* out = m_bytes.data() + old;
            for (const char16_t* c = stretch; c != p; ++c)
                *out++ = static_cast<char>(*c);
        }
        if (p != end)
            p = pairedUnit(p, end, false);
    }
}

void RtfOutput::faceName(QStringView face)
{
    const char16_t* p = face.utf16();
    const char16_t* const end = p + face.size();
    while (p != end)
        p = pairedUnit(p, end, true);
}

const char16_t* RtfOutput::pairedUnit(const char16_t* p, const char16_t* end, bool escapeSemicolon)
{
    const char16_t c = *p++;
    if (!QChar::isSurrogate(c)) {
        unit(c, escapeSemicolon);
        return p;
    }
    // A pair goes out as its two halves, which readers join again; half a pair is no
    // character, and U+FFFD takes its place.
    if (QChar::isHighSurrogate(c) && p != end && QChar::isLowSurrogate(*p)) {
        unit(c, escapeSemicolon);
        unit(*p++, escapeSemicolon);
        return p;
    }
    unit(QChar::ReplacementCharacter, escapeSemicolon);
    return p;
}

void RtfOutput::unit(char16_t c, bool escapeSemicolon)
{
    if (isLiteral(c) && !(escapeSemicolon && c == u';')) {
        if (m_afterWord)
            m_bytes.append(' ');
        m_bytes.append(static_cast<char>(c));
        m_afterWord = false;
        return;
    }
    switch (c) {
        case u'\\':
            // Written as a hex escape rather than a doubled backslash: the control scans its own
            // RTF for words such as \b and \i to tell formatted documents apart, and a path
            // like C:\bin in plain text must not look like formatting.
            hexByte(0x5C);
            break;
        case u'{':
            raw("\\{");
            break;
        case u'}':
            raw("\\}");
            break;
        case u'\t':
            raw("\\tab ");
            break;
        case u'\v':
            raw("\\line ");
            break;
        case u'\u00A0':
            raw("\\~");
            break;
        case u'\u00AD':
            raw("\\-");
            break;
        default:
            if (c < 0x80) {
                // Control characters (CR and LF included, so a line never breaks inside text),
                // DEL and an escaped ';'.
                hexByte(static_cast<unsigned char>(c));
            } else if (const unsigned char byte = vb::unicodeToWindows1252(c);
                       m_windows1252 && byte >= 0x80) {
                hexByte(byte);
            } else {
                raw("\\u");
                number(static_cast<int16_t>(c));
                raw('?');
            }
    }
    m_afterWord = false;
}

void RtfOutput::hex(const QByteArray& bytes)
{
    if (m_afterWord && !bytes.isEmpty())
        m_bytes.append(' ');
    const qsizetype old = m_bytes.size();
    m_bytes.resize(old + 2 * bytes.size());
    char* out = m_bytes.data() + old;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *out++ = HexDigits[value >> 4];
        *out++ = HexDigits[value & 0xF];
    }
    m_afterWord = false;
}

}  // namespace richedit
