// GIF: the first image of the file and its transparency. The image is cut out into a small
// single-image GIF that the platform picture loader decodes; the pixels then take their colours
// from the source's own colour table, and the transparent index becomes fully transparent.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>

namespace XrImage {

class c32bppDIB;

class cGIFparser {
public:
    // False when the data is no GIF the reader can use (the host stays as it was). True when
    // the data was taken as GIF: the host then holds the first frame, or nothing when the data
    // is damaged.
    bool LoadStream(const QByteArray& inStream, c32bppDIB* cHost, std::int32_t streamOffset,
                    std::int32_t streamLength);

private:
    enum class Answer { NotGif, Taken, Damaged };
    Answer Parse(std::span<const std::uint8_t> source, c32bppDIB& cHost);
};

}  // namespace XrImage
