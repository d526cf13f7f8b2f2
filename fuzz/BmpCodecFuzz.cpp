// Feeds arbitrary bytes to the image library's BMP reader (its own 32-bit path and the picture
// loader behind it): an answer of true always leaves an image of consistent type and alpha.
#include "fuzz/FuzzTarget.h"
#include "fuzz/GuiForFuzzing.h"
#include "image/codecs/cBMPparser.h"
#include "image/core/c32bppDIB.h"

#include <QByteArray>

int fuzzOne(std::span<const uint8_t> data)
{
    fuzz::ensureGuiApplication();
    const QByteArray bytes(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    XrImage::c32bppDIB host;
    XrImage::cBMPparser reader;
    const bool loaded = reader.LoadStream(bytes, &host, 0, std::int32_t(bytes.size()));
    fuzz::require(loaded == (host.Handle() != 0), "the answer says whether an image was made");
    if (loaded && host.ImageType() == XrImage::imgBitmap) {
        const std::uint8_t* bits = host.BitsPointer();
        const std::size_t count = std::size_t(host.Width()) * std::size_t(host.Height());
        for (std::size_t i = 0; i < count; i += 97)
            fuzz::require(bits[i * 4 + 3] == 255, "an image without alpha is opaque");
    }
    return 0;
}
