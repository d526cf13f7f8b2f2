// Decoding the bytes of an inline picture into an image.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"

#include <QByteArray>
#include <QImage>

namespace richedit {

// Decodes encoded picture bytes of a kind (PNG, JPEG, a packed device-independent bitmap, or
// whatever the image readers recognise); null when they cannot be.
QImage decodePicture(const QByteArray& encoded, PictureKind kind);

}  // namespace richedit
