// The record players behind Metafile::play: each walks its format's records through the
// bounds-checked reader and drives a MetafileDevice. They answer false when the records stop
// early (a record past the end, a broken size, the record limit).
#pragma once

#include "platform/picture/MetafileDevice.h"

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <span>

namespace picture {

bool playWmfRecords(std::span<const std::uint8_t> data, std::size_t start, MetafileDevice& device);
bool playEmfRecords(std::span<const std::uint8_t> data, MetafileDevice& device);

// EMF+ records carried in the comments of an EMF; played instead of the EMF's own records when
// the file says it holds only these (the EMF+ header's dual flag is clear).
bool emfPlusOnly(std::span<const std::uint8_t> data);
bool playEmfPlusRecords(std::span<const std::uint8_t> data, MetafileDevice& device,
                        const QRectF& target);

// A device-independent bitmap held as a header (with masks and palette) and its bits in two
// places of a record; null when it does not decode within the limits.
QImage decodeRecordBitmap(std::span<const std::uint8_t> header, std::span<const std::uint8_t> bits,
                          const bytes::DecodeLimits& limits);

}  // namespace picture
