// The request record of the image control: the host fills the file, the colours and the
// amounts an operation reads; GetMyImageInfo fills what the file's header tells.
#pragma once

#include "image/codecs/CImageInfo.h"

#include <QString>
#include <cstdint>

namespace XrImage {

struct MyImageInformation {
    QString sFile;
    eImageType eImgType = itUNKNOWN;
    QString sImgType;
    std::uint8_t bDepth = 0;
    QString sDepth;
    std::int32_t lWidth = 0;
    QString sWidth;
    std::int32_t lHeight = 0;
    QString sHeight;
    bool horzFlip = false;
    bool vertFlip = false;
    std::int32_t lOpacity = 0;
    std::int32_t lColor = 0;  // an OLE colour
    std::int32_t eGrayN = 0;  // no member reads it
    QString sFileSaveLoc;
    std::int32_t my360 = 0;
    std::int32_t mBlurDepth = 0;
    float mLightAdj = 0;
};

}  // namespace XrImage
