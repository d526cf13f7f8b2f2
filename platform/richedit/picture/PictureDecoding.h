// Decoding the bytes of an inline picture into an image.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <optional>

namespace picture {
class Metafile;
}

namespace richedit {

// Decodes encoded picture bytes of a kind (PNG, JPEG, a packed device-independent bitmap, a
// Windows or enhanced metafile, or whatever the image readers recognise); null when they
// cannot be. A metafile is drawn at `size` pixels over a transparent background (at its own
// size when none is given); a Windows metafile without a size of its own takes `size` as it.
QImage decodePicture(const QByteArray& encoded, PictureKind kind, QSize size = {});

// The metafile in encoded picture bytes, to be played as vectors onto a device of any
// resolution; nothing when the bytes are no metafile. A Windows metafile without a size of its
// own takes `size` (pixels at 96 per inch) as it.
std::optional<picture::Metafile> metafileOf(const QByteArray& encoded, QSize size = {});

}  // namespace richedit
