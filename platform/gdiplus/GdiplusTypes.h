// Status codes, enumerations and records of the GDI+ stand-in, with the platform's values.
#pragma once

#include <QString>
#include <QUuid>
#include <cstdint>

namespace gdiplus {

enum Status : int {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    Win32Error = 7,
    FileNotFound = 10,
    UnknownImageFormat = 13,
    GdiplusNotInitialized = 18,
};

// The four orientations the image object uses.
enum RotateFlipType : int {
    RotateNoneFlipNone = 0,
    Rotate180FlipNone = 2,  // both axes flipped
    RotateNoneFlipX = 4,
    RotateNoneFlipY = 6,
};

// The orientations as two flips: composing two of them is an exclusive or per axis.
constexpr bool flipsX(int type)
{
    return type == RotateNoneFlipX || type == Rotate180FlipNone;
}
constexpr bool flipsY(int type)
{
    return type == RotateNoneFlipY || type == Rotate180FlipNone;
}
constexpr int orientationOf(bool flipX, bool flipY)
{
    return flipX ? (flipY ? Rotate180FlipNone : RotateNoneFlipX)
                 : (flipY ? RotateNoneFlipY : RotateNoneFlipNone);
}
// The one orientation that takes `from` to `to` (and, applied twice, undoes itself).
constexpr int orientationBetween(int from, int to)
{
    return orientationOf(flipsX(from) != flipsX(to), flipsY(from) != flipsY(to));
}

enum InterpolationMode : int {
    InterpolationModeNearestNeighbor = 5,
    InterpolationModeHighQualityBicubic = 7,
};

enum MatrixOrder : int { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };

enum Unit : int { UnitPixel = 2 };

enum ColorAdjustType : int { ColorAdjustTypeBitmap = 1 };

// 32 bits per pixel, premultiplied alpha.
constexpr int PixelFormat32bppPARGB = 0xE200B;

using Token = std::uintptr_t;

struct GdiplusStartupInput {
    std::uint32_t GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    bool SuppressBackgroundThread = false;
    bool SuppressExternalCodecs = false;
};

struct RectF {
    float X = 0;
    float Y = 0;
    float Width = 0;
    float Height = 0;
};

// Row i is the input component (red, green, blue, alpha, the constant 1), column j the output.
struct ColorMatrix {
    float m[5][5] = {};
};

// One installed encoder.
struct ImageCodecInfo {
    QUuid Clsid;
    QString MimeType;
    QByteArray FormatName;  // what the writer is asked for
};

// The quality parameter, the one encoder parameter the system passes.
inline const QUuid EncoderQuality = QUuid(QStringLiteral("{1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB}"));

struct EncoderParameters {
    // Quality 0..100, for JPEG; unset leaves the encoder's default.
    bool hasQuality = false;
    long quality = 0;
};

}  // namespace gdiplus
