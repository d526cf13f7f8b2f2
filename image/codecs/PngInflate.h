// The PNG codec's own inflater (RFC 1951 inside an RFC 1950 wrapper whose two header bytes are
// skipped and whose Adler-32 trailer is not read), used when zlib is missing or refuses the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace XrImage::png {

// Inflates `input` into `output`, which is the output limit: producing a byte past it fails,
// producing fewer leaves the rest as it was. `produced` (when given) receives the bytes
// written. With `deflate64` length code 285 takes 16 extra bits (3 + n) instead of meaning
// 258. False for any malformed stream; nothing outside either span is ever read or written.
bool InflateStream(std::span<std::uint8_t> output, std::span<const std::uint8_t> input,
                   bool deflate64, std::size_t* produced = nullptr);

}  // namespace XrImage::png
