#include "platform/richedit/model/ListLabels.h"

#include <array>

namespace richedit {
namespace {

bool isNumberedKind(uint16_t kind)
{
    return kind >= Arabic && kind <= UpperRoman;
}

QString letters(int number, char16_t first)
{
    // Bijective base 26: 1 a, 26 z, 27 aa.
    QString text;
    for (int64_t n = number; n > 0; n = (n - 1) / 26)
        text.prepend(QChar(char16_t(first + (n - 1) % 26)));
    return text;
}

QString roman(int number, bool upper)
{
    struct Step {
        int value;
        const char* digits;
    };
    static constexpr std::array<Step, 13> steps{{{1000, "m"},
                                                 {900, "cm"},
                                                 {500, "d"},
                                                 {400, "cd"},
                                                 {100, "c"},
                                                 {90, "xc"},
                                                 {50, "l"},
                                                 {40, "xl"},
                                                 {10, "x"},
                                                 {9, "ix"},
                                                 {5, "v"},
                                                 {4, "iv"},
                                                 {1, "i"}}};
    QString text;
    for (const Step& step : steps) {
        for (; number >= step.value; number -= step.value)
            text += QLatin1String(step.digits);
    }
    return upper ? text.toUpper() : text;
}

}  // namespace

QString listNumberText(uint16_t kind, int number)
{
    if (number < 1 && kind != Arabic && kind != Bullet)
        return QString::number(number);
    switch (kind) {
        case Bullet:
            return QString(QChar(BulletCharacter));
        case Arabic:
            return QString::number(number);
        case LowerLetter:
            return letters(number, u'a');
        case UpperLetter:
            return letters(number, u'A');
        case LowerRoman:
            return roman(number, false);
        case UpperRoman:
            return roman(number, true);
        default:
            return {};
    }
}

QString listLabelText(uint16_t kind, uint16_t style, int number)
{
    if (kind == Bullet)
        return listNumberText(kind, number);
    if (!isNumberedKind(kind))
        return {};
    const QString digits = listNumberText(kind, number);
    switch (style & 0x0F00) {
        case NumberInParentheses:
            return u'(' + digits + u')';
        case NumberPeriod:
            return digits + u'.';
        case NumberPlain:
            return digits;
        case NumberNone:
            return {};
        default:
            return digits + u')';
    }
}

int ListCounter::next(const ParaFormat& format)
{
    if (!isNumberedKind(format.numbering)) {
        m_kind = NoNumbering;
        m_number = 0;
        return 0;
    }
    m_number = format.numbering == m_kind ? m_number + 1 : int(format.numberingStart);
    m_kind = format.numbering;
    return m_number;
}

QString ListCounter::nextLabel(const ParaFormat& format)
{
    const int number = next(format);
    return listLabelText(format.numbering, format.numberingStyle, number);
}

}  // namespace richedit
