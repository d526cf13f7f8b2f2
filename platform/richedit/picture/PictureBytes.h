// What the RTF codecs need of picture bytes, without images in their interface.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"

#include <QByteArray>
#include <cstdint>

namespace richedit {

struct PixelSize {
    int32_t width = -1;
    int32_t height = -1;  // -1 each when the size cannot be read
};

// The pixel size recorded in the header of encoded image bytes.
PixelSize encodedPixelSize(const QByteArray& encoded);

// The size a metafile's header gives it, in hundredths of a millimetre (-1 each when the bytes
// are no metafile with a size of its own).
PixelSize metafileSizeHimetric(const QByteArray& encoded);

struct PngPicture {
    QByteArray png;  // empty when the bytes do not decode
    int32_t width = 0;
    int32_t height = 0;
};

// The picture's bytes decoded and written again as PNG; nothing for metafiles, which are
// written back as they were read.
PngPicture pictureAsPng(const QByteArray& encoded, PictureKind kind);

}  // namespace richedit
