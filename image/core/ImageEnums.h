// Enumerations shared by the image object, its helpers and the codecs, with the values the
// library's type information declares.
#pragma once

#include <cstdint>

namespace XrImage {

// The source format of an image's current pixels.
enum eImageFormat : std::int32_t {
    imgError = -1,
    imgNone = 0,
    imgBitmap = 1,
    imgIcon = 3,
    imgWMF = 2,
    imgEMF = 4,
    imgCursor = 5,
    imgBmpARGB = 6,
    imgBmpPARGB = 7,
    imgIconARGB = 8,
    imgGIF = 9,
    imgPNG = 10,
    imgPNGicon = 11,
    imgCursorARGB = 12,
    imgCheckerBoard = 64,
    imgTGA = 128,
};

// How ScaleImage fits an image into a box.
enum eScaleOptions : std::int32_t {
    ScaleToSize = 0,
    scaleDownAsNeeded = 1,
    ScaleStretch = 2,
};

enum eConstants : std::int32_t {
    HIGH_COLOR = 16776960,
    TRUE_COLOR = -16777216,
    TRUE_COLOR_ALPHA = -1,
};

// Weight sets for turning colour into grey (see GrayscaleWeights).
enum eGrayScaleFormulas : std::int32_t {
    gsclNTSCPAL = 0,
    gsclCCIR709 = 1,
    gsclSimpleAvg = 2,
    gsclRedMask = 3,
    gsclGreenMask = 4,
    gsclBlueMask = 5,
    gsclRedGreenMask = 6,
    gsclBlueGreenMask = 7,
    gsclNone = -1,
};

}  // namespace XrImage
