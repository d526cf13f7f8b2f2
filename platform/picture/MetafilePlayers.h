// The record players behind Metafile::play: each walks its format's records through the
// bounds-checked reader and drives a MetafileDevice. They answer false when the records stop
// early (a record past the end, a broken size, the record limit).
#pragma once

#include "platform/bytes/ByteReader.h"
#include "platform/picture/MetafileDevice.h"

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <span>

namespace picture {

// Walks an EMF's records from its start, calling each(type, record bytes) until it answers
// false or the end record comes. False when a record is damaged (a size that is not a whole
// number of 32-bit words, or one past the end) or more than maxRecords come.
template <class Each>
bool forEachEmfRecord(std::span<const std::uint8_t> data, std::uint64_t maxRecords, Each each)
{
    constexpr std::uint32_t EndRecord = 14;
    const bytes::ByteReader reader(data);
    std::size_t position = 0;
    std::uint64_t count = 0;
    while (position < data.size()) {
        if (++count > maxRecords)
            return false;
        const auto type = reader.u32leAt(position);
        const auto size = reader.u32leAt(position + 4);
        if (!type || !size || size.value() < 8 || size.value() % 4 != 0)
            return false;
        const auto record = reader.bytesAt(position, size.value());
        if (!record)
            return false;
        if (type.value() == EndRecord || !each(type.value(), record.value()))
            return true;
        position += size.value();
    }
    return true;
}

bool playWmfRecords(std::span<const std::uint8_t> data, std::size_t start, MetafileDevice& device);
bool playEmfRecords(std::span<const std::uint8_t> data, MetafileDevice& device);

// EMF+ records carried in the comments of an EMF; played instead of the EMF's own records when
// the file says it holds only these (the EMF+ header's dual flag is clear), or when it says it
// holds both but its own records draw nothing.
bool playsEmfPlus(std::span<const std::uint8_t> data, std::uint64_t maxRecords);
// Whether any of an EMF's own records draws (a blit that leaves the destination does not).
bool emfRecordsDraw(std::span<const std::uint8_t> data, std::uint64_t maxRecords);
bool playEmfPlusRecords(std::span<const std::uint8_t> data, MetafileDevice& device,
                        const QRectF& target);

// How a record's bitmap gives its colour table: RGB colours, or 16-bit indices into the logical
// palette, which are taken through the default palette.
enum DibColourUse : std::uint32_t { DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1 };

// A device-independent bitmap held as a header (with masks and palette) and its bits in two
// places of a record; null when it does not decode within the limits.
QImage decodeRecordBitmap(std::span<const std::uint8_t> header, std::span<const std::uint8_t> bits,
                          std::uint32_t colourUse, const bytes::DecodeLimits& limits);
// A packed one, as WMF records hold it: the bits follow the colour table (of 2-byte entries
// when they are palette indices).
QImage decodePackedRecordBitmap(std::span<const std::uint8_t> dib, std::uint32_t colourUse,
                                const bytes::DecodeLimits& limits);

}  // namespace picture
