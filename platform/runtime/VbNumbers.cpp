#include "platform/runtime/VbNumbers.h"

#include "platform/runtime/VbError.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <optional>

namespace vb {
namespace {

// 0-9, a-f, A-F as digit values; -1 for anything else.
int digitValue(QChar c)
{
    const char16_t u = c.toLower().unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// Whether a well-formed decimal number that a double cannot hold is too large rather than
// too small: the power of ten of its first significant digit plus its exponent.
bool isTooLarge(const QByteArray& number)
{
    const qsizetype e = number.indexOf('e');
    const QByteArray mantissa = number.left(e < 0 ? number.size() : e);
    const QByteArray exponentText = e < 0 ? QByteArray() : number.mid(e + 1);
    const qsizetype point = mantissa.contains('.') ? mantissa.indexOf('.') : mantissa.size();
    qsizetype first = 0;
    while (first < mantissa.size() && (mantissa[first] < '1' || mantissa[first] > '9'))
        ++first;
    const long long order = first < point ? point - first : point - first + 1;
    long long exponent = 0;
    for (const char c : exponentText) {
        if (c >= '0' && c <= '9')
            exponent = std::min(exponent * 10 + (c - '0'), 1000000000LL);
    }
    if (exponentText.startsWith('-'))
        exponent = -exponent;
    return order + exponent > 0;
}

// Reads a number from text. In lenient mode (Val) blanks, tabs and line feeds are
// passed over anywhere; in strict mode only blanks and tabs around the number, and the
// whole text must be the number.
class NumberScanner {
public:
    NumberScanner(const QString& text, bool lenient) : m_text(text), m_lenient(lenient) {}

    std::optional<double> scan();
    // The last scan read a well-formed number that no double (or a literal that no 32 bits)
    // can hold.
    bool outOfRange() const { return m_outOfRange; }
    bool atEnd()
    {
        skipIgnorable(true);
        return m_pos >= m_text.size();
    }

private:
    void skipIgnorable(bool outsideNumber)
    {
        while (m_pos < m_text.size() && isIgnorable(m_text[m_pos], outsideNumber))
            ++m_pos;
    }
    bool isIgnorable(QChar c, bool outsideNumber) const
    {
        if (m_lenient)
            return c == u' ' || c == u'\t' || c == u'\n';
        return outsideNumber && (c == u' ' || c == u'\t');
    }
    QChar peek()
    {
        skipIgnorable(false);
        return m_pos < m_text.size() ? m_text[m_pos] : QChar();
    }
    bool accept(char16_t lower)
    {
        if (peek().toLower() != QChar(lower))
            return false;
        ++m_pos;
        return true;
    }
    int digitsInto(QByteArray& out);
    std::optional<double> scanRadix();
    std::optional<double> scanDecimal();

    const QString& m_text;
    bool m_lenient;
    qsizetype m_pos = 0;
    bool m_outOfRange = false;
};

std::optional<double> NumberScanner::scan()
{
    skipIgnorable(true);
    if (accept(u'&'))
        return scanRadix();
    return scanDecimal();
}

int NumberScanner::digitsInto(QByteArray& out)
{
    int count = 0;
    while (digitValue(peek()) >= 0 && digitValue(peek()) <= 9) {
        out.append(static_cast<char>(m_text[m_pos].unicode()));
        ++m_pos;
        ++count;
    }
    return count;
}

std::optional<double> NumberScanner::scanRadix()
{
    int radix = 0;
    if (accept(u'h'))
        radix = 16;
    else if (accept(u'o'))
        radix = 8;
    else
        return std::nullopt;
    std::uint64_t value = 0;
    int digits = 0;
    for (;;) {
        const int digit = digitValue(peek());
        if (digit < 0 || digit >= radix)
            break;
        value = std::min<std::uint64_t>(value * radix + static_cast<std::uint64_t>(digit),
                                        std::uint64_t{1} << 32);
        ++m_pos;
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (value > 0xFFFFFFFFu) {
        m_outOfRange = true;
        return std::nullopt;
    }
    if (value <= 0xFFFF)
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<double> NumberScanner::scanDecimal()
{
    QByteArray number;
    if (peek() == u'-' || peek() == u'+') {
        number.append(static_cast<char>(peek().unicode()));
        ++m_pos;
    }
    int digits = digitsInto(number);
    if (accept(u'.')) {
        number.append('.');
        digits += digitsInto(number);
    }
    if (digits == 0)
        return std::nullopt;
    const qsizetype beforeExponent = m_pos;
    if (accept(u'e') || accept(u'd')) {
        QByteArray exponent("e");
        if (peek() == u'-' || peek() == u'+') {
            exponent.append(static_cast<char>(peek().unicode()));
            ++m_pos;
        }
        if (digitsInto(exponent) > 0)
            number.append(exponent);
        else
            m_pos = beforeExponent;  // "1e" is the number 1 followed by other text
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (ok && std::isfinite(value))
        return value;
    if (!isTooLarge(number))
        return 0.0;  // too small for a double: it rounds to zero
    m_outOfRange = true;
    return std::nullopt;
}

double parseStrict(const QString& text)
{
    NumberScanner scanner(text, false);
    const std::optional<double> value = scanner.scan();
    if (!scanner.atEnd())
        raiseError(ErrTypeMismatch);
    if (!value)
        raiseError(scanner.outOfRange() ? ErrOverflow : ErrTypeMismatch);
    return *value;
}

double roundedInRange(double value, double low, double high)
{
    const double rounded = roundHalfEven(value);
    if (!(rounded >= low && rounded <= high))  // NaN fails too
        raiseError(ErrOverflow);
    return rounded;
}

}  // namespace

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1.0;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

double Round(double value, int digits)
{
    if (digits < 0)
        raiseError(ErrInvalidProcedureCall);
    if (digits == 0)
        return roundHalfEven(value);
    if (digits > 15)
        return value;
    const double scale = std::pow(10.0, digits);
    const double scaled = value * scale;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0)  // 2^52: no fraction
        return value;
    return roundHalfEven(scaled) / scale;
}

double Int(double value)
{
    return std::floor(value);
}

double Fix(double value)
{
    return std::trunc(value);
}

std::int16_t CInt(double value)
{
    return static_cast<std::int16_t>(roundedInRange(value, -32768.0, 32767.0));
}

std::int32_t CLng(double value)
{
    return static_cast<std::int32_t>(roundedInRange(value, -2147483648.0, 2147483647.0));
}

std::uint8_t CByte(double value)
{
    return static_cast<std::uint8_t>(roundedInRange(value, 0.0, 255.0));
}

std::int16_t CInt(const QString& text)
{
    return CInt(parseStrict(text));
}

std::int32_t CLng(const QString& text)
{
    return CLng(parseStrict(text));
}

std::uint8_t CByte(const QString& text)
{
    return CByte(parseStrict(text));
}

double Val(const QString& text)
{
    NumberScanner scanner(text, true);
    return scanner.scan().value_or(0.0);
}

}  // namespace vb
