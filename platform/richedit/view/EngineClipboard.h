// The clipboard commands of an editing window over the platform clipboard: copy and cut put the
// selection's RTF, plain text and (for a lone picture) image there; paste takes rich text, then
// a picture, then text.
#pragma once

#include "platform/richedit/model/EditSession.h"

#include <QImage>
#include <QMimeData>
#include <memory>

namespace richedit {

// The selection as clipboard data: its RTF under text/rtf and application/rtf, its text as
// UTF-8 text/plain (pictures left out), and the picture's image when the selection is exactly
// one picture. Null for an empty selection.
std::unique_ptr<QMimeData> selectionMimeData(const EditSession& session);

// Nothing for an empty selection.
bool copySelection(const EditSession& session);
// Cut and paste are the user's commands: they return false and change nothing on a read-only
// window, for protected text, for an empty selection (cut) or an empty clipboard (paste).
// One undo step.
bool cutSelection(EditSession& session);
// Replaces the selection as one undo step, cut to fit the maximum length; the caret ends after
// the inserted content.
bool pasteClipboard(EditSession& session);
// True when the clipboard holds rich text, a picture or text.
bool canPasteClipboard();

// A picture of an image, stored as PNG and sized at 15 twips per pixel.
std::shared_ptr<const Picture> pictureFromImage(const QImage& image);

// Positions the fragment takes once inserted: its characters plus two per paragraph mark.
int64_t fragmentLength(const DocumentFragment& fragment);
// The longest head of a fragment that takes at most `room` positions, never splitting a
// paragraph end or a surrogate pair.
DocumentFragment fragmentHead(const DocumentFragment& fragment, int64_t room);

}  // namespace richedit
