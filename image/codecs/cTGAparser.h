// Truevision TGA: the reader (types 1, 2, 3 and their run-length forms 9, 10, 11; depths 8, 15,
// 16, 24 and 32; either origin) and the writer (grey, colour-mapped, 24 or 32 bits, optionally
// run-length encoded, always with the version 2 footer).
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace XrImage {

class c32bppDIB;

class cTGAparser {
public:
    // Decodes the TGA image of streamLength bytes at streamOffset into the host; true when the
    // host holds an image afterwards. A header that does not describe a TGA leaves the host
    // untouched; damaged pixel data empties it.
    bool LoadStream(const QByteArray& inStream, c32bppDIB* cHost, std::int32_t streamOffset,
                    std::int32_t streamLength);

    // Writes the host as TGA into outStream and, with a FileName, to that file (replacing it
    // only once the whole file is written). False for no image, a side over 65,535 pixels, or
    // a file that cannot be written.
    bool SaveAsTGA(const QString& FileName, QByteArray& outStream, c32bppDIB* cHost,
                   bool allowPreMultipliedAlpha, bool useCompression, bool useBitReduction);

private:
    // --- reading ---
    struct Header;
    bool ValidateTgaHeader(std::span<const std::uint8_t> data, Header& header) const;
    bool DecodeTrueColor(std::span<const std::uint8_t> data, const Header& header,
                         c32bppDIB& cHost);
    bool DecodeColorMapped(std::span<const std::uint8_t> data, const Header& header,
                           c32bppDIB& cHost);
    // Turns one stored pixel of pixelBytes bytes into blue, green, red, alpha.
    void ExpandPixel(const std::uint8_t* source, std::uint8_t* target, int pixelBytes,
                     bool alphaBitUsed, bool greyAlpha) const;
    // One run-length encoded row into row (width 4-byte pixels); false when the row's packets
    // overrun it or the data ends first. position advances through data.
    bool DecodeRleRow(std::span<const std::uint8_t> data, std::size_t& position,
                      std::span<std::uint8_t> row, int pixelBytes, bool alphaBitUsed,
                      bool greyAlpha) const;
    bool DecodeRleIndexRow(std::span<const std::uint8_t> data, std::size_t& position,
                           std::span<std::uint8_t> row,
                           const std::vector<std::uint32_t>& palette) const;
    // Copies a decoded row of 4-byte pixels into its place in the host.
    void PlaceRow(c32bppDIB& cHost, const Header& header, std::int32_t storedRow,
                  std::span<const std::uint8_t> row) const;
    void BuildFiveBitTable();
    bool IsAlphaUsed(std::span<const std::uint8_t> data) const;
    void FinishDecode(c32bppDIB& cHost) const;

    // --- writing ---
    bool EncodeTga(QByteArray& outStream, c32bppDIB& cHost, bool allowPreMultipliedAlpha,
                   bool useCompression, bool useBitReduction);
    void BuildTrueColorPixels(std::vector<std::uint8_t>& pixels, c32bppDIB& cHost) const;
    bool BuildPalettePixels(std::vector<std::int32_t>& palette, bool& isGrey, c32bppDIB& cHost,
                            std::vector<std::uint8_t>& pixels) const;
    std::size_t EncodeRle(std::vector<std::uint8_t>& output, std::span<const std::uint8_t> pixels,
                          int bytesPerPixel, std::int32_t width, std::int32_t height) const;
    int BuildExtensionArea(std::vector<std::uint8_t>& area) const;

    std::array<std::uint8_t, 32> m_fiveBit{};
    bool m_fiveBitBuilt = false;
};

}  // namespace XrImage
