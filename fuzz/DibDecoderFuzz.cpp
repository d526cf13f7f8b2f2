// Feeds arbitrary bytes to the DIB decoder, as a BMP file and as a packed DIB, and checks what
// every decoded image must satisfy: a size within the limits and the pixel data's reach.
#include "fuzz/FuzzTarget.h"
#include "platform/picture/DibDecoder.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    fuzz::require(condition, "the decoded image keeps its invariants");
}

void checkDecoded(const bytes::Result<picture::DecodedDib>& decoded, std::size_t size)
{
    if (!decoded)
        return;
    const QImage& image = decoded.value().image;
    check(!image.isNull());
    const auto bytes = std::uint64_t(image.width()) * std::uint64_t(image.height()) * 4;
    check(bytes <= std::max(picture::expansionFloorBytes, size * picture::maxExpansionRle));
}

}  // namespace

int fuzzOne(std::span<const uint8_t> input)
{
    const std::span<const std::uint8_t> bytes = input;
    const std::size_t size = input.size();
    checkDecoded(picture::decodeBmpFile(bytes), size);
    checkDecoded(picture::decodePackedDib(bytes), size);
    return 0;
}
