// Tells the type, size and colour depth of a GIF, JPEG, PNG or BMP file from its first 64 KB,
// without decoding it.
#pragma once

#include <QString>
#include <cstdint>

namespace XrImage {

enum eImageType : std::int32_t {
    itUNKNOWN = 0,
    itGIF = 1,
    itJPEG = 2,
    itPNG = 3,
    itBMP = 4,
};

class CImageInfo {
public:
    std::int32_t Width() const { return m_width; }
    std::int32_t Height() const { return m_height; }
    std::uint8_t Depth() const { return m_depth; }
    eImageType ImageType() const { return m_imageType; }

    // Reads the file's header (opened read-only: a missing file is reported unknown and is
    // not created). A file that exists but cannot be read raises error 70.
    void ReadImageInfo(const QString& sFileName);

private:
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::uint8_t m_depth = 0;
    eImageType m_imageType = itUNKNOWN;
};

}  // namespace XrImage
