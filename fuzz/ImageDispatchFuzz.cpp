// Feeds arbitrary bytes through the image's whole loading chain (every reader in turn, the
// GDI+ stand-in included), asking for the source bytes to be kept: a load either gives an
// image that keeps exactly the caller's bytes or leaves the image empty, and the caller's
// array is never changed.
#include "fuzz/FuzzTarget.h"
#include "fuzz/GuiForFuzzing.h"
#include "image/core/c32bppDIB.h"

#include <QByteArray>

int fuzzOne(std::span<const uint8_t> data)
{
    fuzz::ensureGuiApplication();
    QByteArray bytes(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    const QByteArray original = bytes;
    XrImage::c32bppDIB image;
    const bool loaded = image.LoadPicture_Stream(bytes, 0, 0, 0, 0, true, 0);
    fuzz::require(bytes == original, "the caller's array is left as it was");
    fuzz::require(loaded == (image.Handle() != 0), "the answer says whether an image was made");
    if (!loaded) {
        fuzz::require(image.ImageType() == XrImage::imgError, "a failed load leaves it empty");
        return 0;
    }
    QByteArray kept;
    image.GetOrginalFormat(kept);
    if (image.ImageType() != XrImage::imgPNG)
        fuzz::require(kept == original, "the kept bytes are the source's");
    return 0;
}
