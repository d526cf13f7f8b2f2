// Reads a PNG image from an open file or a byte range into a host image. The data is offered
// to the GDI+ bridge first; when the bridge cannot load it, the reader walks the chunks itself,
// inflates the image data (zlib when present, else its own inflater), undoes the row filters
// and the Adam7 interlace, and converts every colour type and depth to the host's premultiplied
// bottom-up BGRA pixels.
#pragma once

#include "image/codecs/PngZlib.h"
#include "image/core/c32bppDIB.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace XrImage {

class cPNGparser {
public:
    // Reads streamLength bytes from index streamOffset of Stream (an offset outside the array
    // raises error 9; a length past its end is cut there). True when the bytes start with the
    // PNG signature or GDI+ loaded them: a caller that gets True tries no other format, and
    // finds the host empty when the data could not be decoded.
    bool LoadStream(const QByteArray& Stream, c32bppDIB& dibClass, std::int32_t streamOffset,
                    std::int32_t streamLength, std::int32_t GlobalToken);
    // As LoadStream, from an open file (its position changes; it stays open). A file of 56
    // bytes or less gets no signature test.
    bool LoadFile(QFile& FileHandle, const QString& FileName, c32bppDIB& dibClass,
                  std::int32_t GlobalToken);

    // The chunk walk and decode alone, without the bridge: for the fuzz target and tests.
    void decodeOwn(std::span<const std::uint8_t> data, c32bppDIB& dibClass);

private:
    bool ParsePng(std::span<const std::uint8_t> data, std::int32_t GlobalToken);
    // The GDI+ bridge's load of the file (a non-empty name) or of the bytes.
    bool LoadThroughBridge(const QString& FileName, const QByteArray& stream,
                           std::int32_t GlobalToken);
    bool WalkChunks(std::span<const std::uint8_t> data);
    bool ReadIHDR(const std::uint8_t* chunk, std::uint32_t length, bool crcPresent);
    bool ReadPLTE(const std::uint8_t* chunk, std::uint32_t length, bool crcPresent);
    void ReadtRNS(const std::uint8_t* chunk, std::uint32_t length, bool crcPresent);
    bool chunkCrcOk(const std::uint8_t* chunk, std::uint32_t length);

    // Decoding (PngDecoding.cpp).
    bool InflatedSize(std::uint64_t& size) const;
    void DecodeImageData(std::vector<std::uint8_t>& imageData);
    void BuildDefaultPalette();
    bool DecodeNonInterlaced(std::uint8_t* data, std::size_t size);
    bool DecodeInterlaced(const std::uint8_t* data, std::size_t size);
    // Converts `rows` rows of a pass, from the pass's row `startRow` on.
    bool Convert(const std::uint8_t* source, int pass, std::int64_t startRow, std::int64_t rows,
                 std::size_t stride);
    bool ConvertTrueColor8(const std::uint8_t* source, int pass, std::int64_t startRow,
                           std::int64_t rows, std::size_t stride);
    bool ConvertIndexed(const std::uint8_t* source, int pass, std::int64_t startRow,
                        std::int64_t rows, std::size_t stride);
    bool Convert16bit(const std::uint8_t* source, int pass, std::int64_t startRow,
                      std::int64_t rows, std::size_t stride);

    c32bppDIB* Host = nullptr;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::uint8_t BitDepth = 0;
    std::uint8_t ColorType = 0;
    std::uint8_t Interlace = 0;
    std::vector<std::uint8_t> Palette;
    std::vector<std::uint8_t> TransData;
    std::int32_t TransKey = -1;
    std::uint64_t decompressedSize = 0;
    bool paletteLoaded = false;
    png::ZlibBinding Zlib;
    bool zlibFound = false;
};

}  // namespace XrImage
