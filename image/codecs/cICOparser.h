// Windows icon (.ico) and cursor (.cur) files: the directory, the choice of the entry closest
// to a wanted size and depth, and its decoding into a host image as premultiplied BGRA. Bitmap
// entries are decoded with their AND mask or, at 32 bits, their own alpha; PNG entries go to
// the PNG decoder. Without a host image only the directory is read, for listing the entries.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>
#include <vector>

namespace picture {
class Picture;
}

namespace XrImage {

class c32bppDIB;

class cICOparser {
public:
    // The indexed getters raise the subscript error (9) for an Index outside 1..IconCount;
    // ColorCount and ColorByteOffset also while no icon bytes are held (outside the calls).
    std::int32_t Height(std::int32_t Index) const;
    std::int32_t Width(std::int32_t Index) const;
    bool IsIconPNG(std::int32_t Index) const;
    std::int32_t bitDepth(std::int32_t Index) const;
    std::int32_t IconCount() const { return std::int32_t(m_entries.size()); }
    std::int32_t ColorCount(std::int32_t Index) const;
    std::int32_t ColorByteOffset(std::int32_t Index) const;

    // False for data that is no valid icon directory (the host untouched). True otherwise:
    // with a host, the chosen entry is decoded into it (and a bitmap that cannot be made
    // leaves it empty). A streamLength of 0 is replaced by the array's size.
    bool LoadStream(const QByteArray& inStream, std::int32_t desiredWidth,
                    std::int32_t desiredHeight, c32bppDIB* cHost, std::int32_t& streamOffset,
                    std::int32_t& streamLength, std::int32_t& icoBitDepth,
                    std::int32_t& GlobalToken);
    // An icon picture (the platform's icon object) as a 32-bit image.
    bool ConvertstdPicTo32bpp(const picture::Picture* Handle, c32bppDIB* cHost);

private:
    struct Entry {
        std::uint8_t width = 0;
        std::uint8_t height = 0;
        std::uint8_t colourCount = 0;
        std::uint16_t planes = 0;
        std::uint16_t bitCount = 0;
        std::uint32_t bytesInResource = 0;
        std::uint32_t imageOffset = 0;
    };

    const Entry& entryAt(std::int32_t Index) const;
    bool ReadPngEntryHeader(Entry& entry) const;
    std::int32_t SelectBestEntry(std::int32_t desiredWidth, std::int32_t desiredHeight,
                                 std::int32_t icoBitDepth) const;
    void DecodeBitmapEntry(std::int32_t u, c32bppDIB& cHost) const;
    void ApplyAlphaMask(std::int32_t u, c32bppDIB& cHost) const;
    void ApplyAndMask(std::int32_t u, c32bppDIB& cHost) const;
    // A byte of the held icon data; 0 outside it.
    std::uint8_t byteAt(std::int64_t offset) const;

    std::int32_t m_type = 0;
    std::vector<Entry> m_entries;
    std::span<const std::uint8_t> m_bytes;
};

}  // namespace XrImage
