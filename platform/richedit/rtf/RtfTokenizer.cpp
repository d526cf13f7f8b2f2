#include "platform/richedit/rtf/RtfTokenizer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

namespace richedit {

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Bytes that never belong to a text run: the structural characters, and control bytes other
// than the tab (raw CR and LF are layout of the file, not text).
constexpr std::array<bool, 256> TextBytes = [] {
    std::array<bool, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[size_t(byte)] =
            (byte >= 0x20 || byte == '\t') && byte != '\\' && byte != '{' && byte != '}';
    return table;
}();

bool isTextByte(char c)
{
    return TextBytes[static_cast<unsigned char>(c)];
}

// Eight bytes at a time (the first in the lowest bits): the high bit is set in each byte that
// may end a text run, a structural character or a control byte; a tab is flagged too, for the
// caller to pass over. Bytes above the first flagged one may be flagged wrongly, never the
// lowest, so the lowest flag is where the run ends.
uint64_t textEnds(uint64_t bytes)
{
    constexpr uint64_t ones = 0x0101010101010101ull;
    constexpr uint64_t highs = 0x8080808080808080ull;
    const auto has = [](uint64_t x, uint8_t value) {
        const uint64_t y = x ^ (ones * value);
        return (y - ones) & ~y & highs;
    };
    const uint64_t control = (bytes - ones * 0x20) & ~bytes & highs;  // a byte below 0x20
    return control | has(bytes, '\\') | has(bytes, '{') | has(bytes, '}');
}

RtfToken makeToken(RtfToken::Type type)
{
    RtfToken token;
    token.type = type;
    return token;
}

}  // namespace

RtfToken RtfTokenizer::next()
{
    const qsizetype size = m_input.size();
    while (m_pos < size) {
        const char c = m_input[m_pos];
        if (c == '{') {
            ++m_pos;
            return makeToken(RtfToken::GroupOpen);
        }
        if (c == '}') {
            ++m_pos;
            return makeToken(RtfToken::GroupClose);
        }
        if (c == '\\')
            return readControl();
        if (isTextByte(c))
            return readText();
        ++m_pos;  // raw CR, LF, NUL and other control bytes are ignored
    }
    return makeToken(RtfToken::End);
}

RtfToken RtfTokenizer::readText()
{
    const qsizetype start = m_pos;
    const qsizetype size = m_input.size();
    const char* data = m_input.data();
    // A local position: stores through the byte pointer would otherwise write it back each step.
    qsizetype pos = m_pos;
    if constexpr (std::endian::native == std::endian::little) {
        while (pos + 8 <= size) {
            uint64_t block = 0;
            std::memcpy(&block, data + pos, 8);
            const uint64_t ends = textEnds(block);
            if (ends == 0) {
                pos += 8;
                continue;
            }
            pos += std::countr_zero(ends) / 8;
            if (data[pos] != '\t')
                break;
            ++pos;
        }
    }
    while (pos < size && isTextByte(data[pos]))
        ++pos;
    m_pos = pos;
    RtfToken token = makeToken(RtfToken::Text);
    token.bytes = m_input.sliced(start, pos - start);
    return token;
}

int rtfHexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int RtfTokenizer::hexDigit(qsizetype at) const
{
    return at < m_input.size() ? rtfHexValue(m_input[at]) : -1;
}

void RtfTokenizer::readHexByte(RtfToken& token)
{
    // m_pos is after "\'"; a malformed escape uses the digits that are there.
    int value = 0;
    int digits = 0;
    while (digits < 2) {
        const int digit = hexDigit(m_pos);
        if (digit < 0)
            break;
        value = value * 16 + digit;
        ++digits;
        ++m_pos;
    }
    if (digits == 0) {
        // Not an escape at all: an unknown control symbol, which readers ignore.
        token.type = RtfToken::ControlSymbol;
        token.symbol = '\'';
        return;
    }
    token.type = RtfToken::HexByte;
    token.hex = static_cast<unsigned char>(value);
}

RtfToken RtfTokenizer::readControl()
{
    // One token object for every outcome, built where the caller receives it: copying a token
    // assembled elsewhere costs more than reading the word.
    RtfToken token;
    const qsizetype size = m_input.size();
    ++m_pos;  // the backslash
    if (m_pos >= size)
        return token;  // End
    const char first = m_input[m_pos];
    if (first == '\r' || first == '\n') {
        // A backslash before a line end is a paragraph end.
        ++m_pos;
        token.type = RtfToken::ControlWord;
        token.bytes = QByteArrayView("par");
        return token;
    }
    if (!isLetter(first)) {
        ++m_pos;
        if (first == '\'') {
            readHexByte(token);
            return token;
        }
        token.type = RtfToken::ControlSymbol;
        token.symbol = first;
        return token;
    }

    const qsizetype nameStart = m_pos;
    qsizetype pos = m_pos;  // local, as in readText
    while (pos < size && isLetter(m_input[pos]))
        ++pos;
    m_pos = pos;
    token.type = RtfToken::ControlWord;
    token.bytes = m_input.sliced(nameStart, m_pos - nameStart);

    bool negative = false;
    if (m_pos + 1 < size && m_input[m_pos] == '-' && isDigit(m_input[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    if (m_pos < size && isDigit(m_input[m_pos])) {
        // Parameters saturate at the 32-bit limits, however many digits follow.
        constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
        int64_t value = 0;
        qsizetype digit = m_pos;
        while (digit < size && isDigit(m_input[digit])) {
            if (value < limit)
                value = value * 10 + (m_input[digit] - '0');
            ++digit;
        }
        m_pos = digit;
        if (negative)
            value = -value;
        if (value > std::numeric_limits<int32_t>::max())
            value = std::numeric_limits<int32_t>::max();
        if (value < std::numeric_limits<int32_t>::min())
            value = std::numeric_limits<int32_t>::min();
        token.param = static_cast<int32_t>(value);
        token.hasParam = true;
    }
    if (m_pos < size && m_input[m_pos] == ' ')
        ++m_pos;  // the delimiter belongs to the word

    const QByteArrayView name = token.bytes;
    if (name.size() == 3 && name[0] == 'b' && name[1] == 'i' && name[2] == 'n') {
        const int64_t count = token.hasParam ? token.param : 0;
        token.param = 0;
        token.hasParam = false;
        token.bytes = {};
        if (count > size - m_pos) {
            token.type = RtfToken::Truncated;
            return token;
        }
        token.type = RtfToken::Binary;
        if (count > 0) {
            token.bytes = m_input.sliced(m_pos, static_cast<qsizetype>(count));
            m_pos += static_cast<qsizetype>(count);
        }
    }
    return token;
}

}  // namespace richedit
