// Feeds arbitrary bytes to the GIF decoder and checks that the pixels and the indexes it
// returns cover the same canvas and that transparent indexes are transparent pixels.
#include "fuzz/FuzzTarget.h"
#include "platform/picture/GifDecoder.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    fuzz::require(condition, "the decoded GIF keeps its invariants");
}

}  // namespace

int fuzzOne(std::span<const uint8_t> input)
{
    const std::uint8_t* data = input.data();
    const std::size_t size = input.size();
    const auto decoded = picture::decodeGif(std::span<const std::uint8_t>(data, size));
    if (!decoded)
        return 0;
    const picture::DecodedGif& gif = decoded.value();
    check(!gif.image.isNull());
    check(gif.indexes.size() == std::size_t(gif.image.width()) * std::size_t(gif.image.height()));
    check(!gif.colours.isEmpty());
    for (int y = 0; y < gif.image.height(); y += 7)
        for (int x = 0; x < gif.image.width(); x += 5) {
            const int index =
                gif.indexes[std::size_t(y) * std::size_t(gif.image.width()) + std::size_t(x)];
            if (index == gif.transparentIndex)
                check(qAlpha(gif.image.pixel(x, y)) == 0);
        }
    return 0;
}
