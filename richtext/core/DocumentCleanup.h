// Steps of loading that work on an editing window alone: plain text read in a chosen font
// face, and the removal of underlined angle-bracket tags.
#pragma once

#include "platform/runtime/VbError.h"

#include <QString>
#include <optional>

namespace richedit {
class RichTextBox;
}

namespace DocumentCleanup {

// Reads a plain-text file into `target` through `scratch`, in the face `face` with the scratch
// window's size and style; `scratch` is emptied again. The bytes are decoded by their
// byte-order mark, else as UTF-8 when valid, else as Windows-1252. A file holding an
// end-of-file character (Ctrl+Z) is handed to the target's own text loader instead. Nothing
// when the text was loaded; otherwise why not (missing, unreadable, too large for memory),
// with the target as it was.
std::optional<vb::VbError> readTextFile(richedit::RichTextBox& target,
                                        richedit::RichTextBox& scratch, const QString& face,
                                        const QString& path);

// Removes every tag "<...>" with two or more characters between its brackets whose inside is
// wholly underlined, last to first so that earlier positions stay valid; other text, the
// user's own included, is never touched. Returns how many tags went.
int removeUnderlinedTags(richedit::RichTextBox& window);

}  // namespace DocumentCleanup
