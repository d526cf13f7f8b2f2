// The Windows-1252 code page with its own table, and the Basic character-code functions over
// it (Asc, Chr, AscW, ChrW).
#pragma once

#include <QByteArray>
#include <QString>

namespace vb {

// The character a byte stands for. Bytes 0x80-0x9F follow the code page; its five
// undefined bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the code points of the same value.
char16_t windows1252ToUnicode(unsigned char byte);

// The byte of a UTF-16 code unit, or '?' (0x3F) when the code page has no such character.
unsigned char unicodeToWindows1252(char16_t unit);

// Whole-text conversions, one byte per UTF-16 code unit so that byte offsets equal text
// positions (each half of a surrogate pair becomes '?'). decode(encode(b)) == b for any bytes.
QString fromWindows1252(const QByteArray& bytes);
QByteArray toWindows1252(const QString& text);

// Asc: the code page byte of the first character ('?' = 63 when it has none).
// Raises error 5 for an empty string.
int Asc(const QString& text);

// Chr: the character of a code page byte 0..255; anything else raises error 5.
QString Chr(int code);

// AscW: the first UTF-16 code unit, 0..65535. Raises error 5 for an empty string.
int AscW(const QString& text);

// ChrW: the character of a code unit; -32768..-1 count as 32768..65535 (16-bit values);
// anything outside -32768..65535 raises error 5.
QString ChrW(int code);

}  // namespace vb
