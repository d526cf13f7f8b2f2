// Feeds arbitrary bytes to the image library's GIF reader: whatever it answers, an image it
// leaves is a GIF frame with consistent alpha, and a refusal leaves no image.
#include "fuzz/FuzzTarget.h"
#include "fuzz/GuiForFuzzing.h"
#include "image/codecs/cGIFparser.h"
#include "image/core/c32bppDIB.h"

#include <QByteArray>

int fuzzOne(std::span<const uint8_t> data)
{
    fuzz::ensureGuiApplication();
    const QByteArray bytes(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    XrImage::c32bppDIB host;
    XrImage::cGIFparser reader;
    const bool taken = reader.LoadStream(bytes, &host, 0, std::int32_t(bytes.size()));
    if (!taken)
        fuzz::require(host.Handle() == 0, "a refused GIF leaves no image");
    if (host.Handle() != 0) {
        fuzz::require(host.ImageType() == XrImage::imgGIF, "a loaded frame is a GIF");
        const std::uint8_t* bits = host.BitsPointer();
        const std::size_t count = std::size_t(host.Width()) * std::size_t(host.Height());
        for (std::size_t i = 0; i < count; i += 31) {
            const std::uint8_t* p = bits + i * 4;
            fuzz::require(p[3] == 0 || p[3] == 255, "GIF pixels are opaque or transparent");
            if (p[3] == 0)
                fuzz::require((p[0] | p[1] | p[2]) == 0, "transparent pixels are black");
        }
    }
    return 0;
}
