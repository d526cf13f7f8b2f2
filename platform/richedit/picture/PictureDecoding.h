// Decoding the bytes of an inline picture into an image.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace richedit {

// Decodes encoded picture bytes of a kind (PNG, JPEG, a packed device-independent bitmap, a
// Windows or enhanced metafile, or whatever the image readers recognise); null when they
// cannot be. A metafile is drawn at `size` pixels over a transparent background (at its own
// size when none is given); a Windows metafile without a size of its own takes `size` as it.
QImage decodePicture(const QByteArray& encoded, PictureKind kind, QSize size = {});

}  // namespace richedit
