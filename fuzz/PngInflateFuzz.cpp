// Feeds arbitrary bytes to the PNG codec's own inflater. The first two bytes set the output
// room (so that both the room running out and short streams are reached); zlib decides what
// the right answer is, and a stream zlib decodes in full must decode the same here.
#include "fuzz/FuzzTarget.h"
#include "image/codecs/PngInflate.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

int fuzzOne(std::span<const uint8_t> input)
{
    if (input.size() < 2)
        return 0;
    const std::size_t room = std::size_t(input[0]) << 8 | input[1];
    const std::span<const uint8_t> stream = input.subspan(2);
    std::vector<std::uint8_t> own(room);
    std::size_t produced = 0;
    const bool ok = XrImage::png::InflateStream(own, stream, false, &produced);
    fuzz::require(!ok || produced <= room, "the inflater stays within its room");

    // zlib on a copy whose header and trailer are made right, so that only the deflate data
    // decides: when zlib inflates it completely, the own inflater must agree.
    if (stream.size() < 2)
        return 0;
    std::vector<std::uint8_t> reference(room + 1);
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = const_cast<Bytef*>(stream.data() + 2);
    z.avail_in = uInt(stream.size() - 2);
    z.next_out = reference.data();
    z.avail_out = uInt(reference.size());
    const int result = inflate(&z, Z_FINISH);
    const std::size_t zlibProduced = z.total_out;
    inflateEnd(&z);
    if (result == Z_STREAM_END && zlibProduced <= room) {
        fuzz::require(ok, "a stream zlib inflates is inflated");
        fuzz::require(
            produced == zlibProduced && std::memcmp(own.data(), reference.data(), produced) == 0,
            "the own inflater gives zlib's bytes");
    }
    return 0;
}
