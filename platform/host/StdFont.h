// The font objects controls keep and hand out: a new one, and one made from another font's
// description, holding only what such an object holds.
#pragma once

#include <QFont>

namespace host {

// The size of a new font object, and of one made from a font that has no point size.
constexpr double DefaultStdFontSize = 8.25;

// A new font object: the platform's sans-serif face at the default size, regular.
QFont newStdFont();

// A font object made from another font: name, size (to the 1/10000 point, as the object keeps
// it in a currency value), bold and italic are taken over; nothing else is.
QFont stdFontFrom(const QFont& source);

}  // namespace host
