#include "platform/runtime/Windows1252.h"

#include "platform/runtime/VbError.h"

#include <array>

namespace vb {
namespace {

// Bytes 0x80..0x9F; undefined bytes keep their own value.
constexpr std::array<char16_t, 32> HighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr unsigned char Unmappable = '?';

}  // namespace

char16_t windows1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return HighControlRange[byte - 0x80];
    return byte;
}

unsigned char unicodeToWindows1252(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<unsigned char>(unit);
    for (std::size_t i = 0; i < HighControlRange.size(); ++i) {
        if (HighControlRange[i] == unit)
            return static_cast<unsigned char>(0x80 + i);
    }
    return Unmappable;
}

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(windows1252ToUnicode(static_cast<unsigned char>(bytes[i])));
    return text;
}

QByteArray toWindows1252(const QString& text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        bytes[i] = static_cast<char>(unicodeToWindows1252(text[i].unicode()));
    return bytes;
}

int Asc(const QString& text)
{
    if (text.isEmpty())
        raiseError(ErrInvalidProcedureCall);
    return unicodeToWindows1252(text[0].unicode());
}

QString Chr(int code)
{
    if (code < 0 || code > 255)
        raiseError(ErrInvalidProcedureCall);
    return QString(QChar(windows1252ToUnicode(static_cast<unsigned char>(code))));
}

int AscW(const QString& text)
{
    if (text.isEmpty())
        raiseError(ErrInvalidProcedureCall);
    return text[0].unicode();
}

QString ChrW(int code)
{
    if (code < -32768 || code > 65535)
        raiseError(ErrInvalidProcedureCall);
    return QString(QChar(static_cast<char16_t>(code < 0 ? code + 65536 : code)));
}

}  // namespace vb
