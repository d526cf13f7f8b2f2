// The Basic numeric conversions: CInt/CLng/CByte (halves to even, overflow raises error 6,
// text that is no number raises error 13), Round, Int, Fix and Val.
#pragma once

#include <QString>
#include <cstdint>

namespace vb {

// Rounds to the nearest whole number, halves to the even neighbour (0.5 -> 0, 1.5 -> 2,
// -2.5 -> -2), whatever the floating-point rounding mode.
double roundHalfEven(double value);

// Rounds to a number of decimal places (0 or more; a negative count raises error 5),
// halves to even.
double Round(double value, int digits = 0);

double Int(double value);  // the largest whole number not above value
double Fix(double value);  // the whole part, towards zero

std::int16_t CInt(double value);
std::int32_t CLng(double value);
std::uint8_t CByte(double value);

// Text to number: blanks and tabs around a decimal number (sign, digits, decimal point,
// exponent E or D) or a "&H"/"&O" literal. Anything else, an empty text included, raises
// error 13; a number outside the type's range raises error 6.
std::int16_t CInt(const QString& text);
std::int32_t CLng(const QString& text);
std::uint8_t CByte(const QString& text);

// The number at the start of text; blanks, tabs and line feeds are passed over anywhere.
// "&H"/"&O" literals up to 16 bits are signed 16-bit values ("&HFFFF" = -1), up to 32 bits
// signed 32-bit values. Text without a leading number gives 0, and so does a number beyond
// the range of a double or a literal beyond 32 bits (where the runtime would overflow).
double Val(const QString& text);

}  // namespace vb
