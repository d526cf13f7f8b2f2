// Text from outside a document (the clipboard, a caller, a reader) as the document keeps it: no
// NUL, which ends the text for every reader that takes it as a C string, and no half of a
// surrogate pair, which no file can hold; U+FFFD stands in for such a half.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"

#include <QString>
#include <QStringView>

namespace richedit {

// True when the text holds a NUL or half a surrogate pair.
bool holdsInvisibles(QStringView text);
// The text without NULs and with U+FFFD for each lone surrogate; `text` itself when clean.
QString withoutInvisibles(const QString& text);
// The same for every run of the fragment, in place (runs handed over joined included).
void removeInvisibles(DocumentFragment& fragment);
// U+FFFD for each lone surrogate, NULs kept: what a writer puts out for the text.
QString withPairedSurrogates(const QString& text);

}  // namespace richedit
