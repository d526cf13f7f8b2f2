// Feeds arbitrary bytes to the image library's icon reader, with and without a host image:
// a refused directory leaves the host empty, and the directory the reader keeps is readable.
#include "fuzz/FuzzTarget.h"
#include "fuzz/GuiForFuzzing.h"
#include "image/codecs/cICOparser.h"
#include "image/core/c32bppDIB.h"

#include <QByteArray>

int fuzzOne(std::span<const uint8_t> data)
{
    fuzz::ensureGuiApplication();
    const QByteArray bytes(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    XrImage::cICOparser listing;
    std::int32_t offset = 0, length = 0, depth = 32, token = 0;
    const bool valid = listing.LoadStream(bytes, 32, 32, nullptr, offset, length, depth, token);
    fuzz::require(valid == (listing.IconCount() > 0), "a valid directory lists its entries");
    for (std::int32_t i = 1; i <= listing.IconCount(); ++i)
        fuzz::require(listing.Width(i) >= 1 && listing.Width(i) <= 256, "entry sizes fit a byte");

    XrImage::c32bppDIB host;
    XrImage::cICOparser reader;
    offset = 0;
    length = std::int32_t(bytes.size());
    const bool loaded = reader.LoadStream(bytes, 48, 48, &host, offset, length, depth, token);
    // A PNG entry the PNG decoder refuses makes a valid directory answer false.
    fuzz::require(valid || !loaded, "an invalid directory is refused");
    if (!loaded)
        fuzz::require(host.Handle() == 0, "a refused file leaves no image");
    return 0;
}
