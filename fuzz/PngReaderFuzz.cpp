// Feeds arbitrary bytes to the PNG reader's own chunk walk and decoder (the GDI+ bridge is not
// involved), with zlib present or, when the first byte is odd, absent so that the own inflater
// runs. Every image it leaves must be a well-formed premultiplied image.
#include "fuzz/FuzzTarget.h"
#include "image/codecs/cPNGparser.h"
#include "platform/dynload/DynamicLibrary.h"

#include <cstdint>

int fuzzOne(std::span<const uint8_t> input)
{
    if (input.empty())
        return 0;
    const bool withoutZlib = (input[0] & 1) != 0;
    if (withoutZlib)
        dynload::setLibraryNames({});
    XrImage::c32bppDIB image;
    XrImage::cPNGparser parser;
    parser.decodeOwn(input.subspan(1), image);
    if (withoutZlib)
        dynload::resetLibraryNames();
    if (image.Handle() == 0)
        return 0;
    fuzz::require(image.Width() >= 1 && image.Height() >= 1, "a decoded image has a size");
    fuzz::require(std::int64_t(image.Width()) * image.Height() <= 67108863,
                  "a decoded image stays within the header's pixel limit");
    const std::uint8_t* bits = image.BitsPointer();
    const std::size_t bytes = std::size_t(image.Width()) * std::size_t(image.Height()) * 4;
    for (std::size_t i = 0; i < bytes; i += 4)
        fuzz::require(
            bits[i] <= bits[i + 3] && bits[i + 1] <= bits[i + 3] && bits[i + 2] <= bits[i + 3],
            "every colour is at most its alpha");
    return 0;
}
