#include "image/codecs/cGDIPlus.h"

#include "image/core/ImageHelpers.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdiplus/Encoders.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Session.h"

#include <span>

namespace XrImage {

using namespace gdiplus;

cGDIPlus::~cGDIPlus()
{
    StartStopSession(OwnToken, true);
}

bool cGDIPlus::StartStopSession(std::int32_t& token, bool ShutDown)
{
    if (ShutDown) {
        HeldBitmap.reset();
        heldPixels = nullptr;
        if (token != 0)
            GdiplusShutdown(Token(token));
        AppliedRotateFlip = RotateNoneFlipNone;
        return false;
    }
    Token started = 0;
    if (GdiplusStartup(started, GdiplusStartupInput{}) != Ok || started > Token(INT32_MAX)) {
        token = 0;
        return false;
    }
    token = std::int32_t(started);
    return token != 0;
}

bool cGDIPlus::isGDIplusOk(std::int32_t* gdiToken, bool KeepToken)
{
    if (OwnToken != 0)
        return true;
    // The stand-in is part of the program: its switch is the probe for the library.
    if (!gdiplus::available())
        return false;
    std::int32_t local = 0;
    std::int32_t& token = gdiToken ? *gdiToken : local;
    const bool started = StartStopSession(token, false);
    if (!KeepToken)
        StartStopSession(token, true);
    return started;
}

bool cGDIPlus::getReady(std::int32_t GlobalToken, bool probe)
{
    if (GlobalToken != 0 || OwnToken != 0)
        return true;
    if (probe && !gdiplus::available())
        return false;
    return StartStopSession(OwnToken, false);
}

bool cGDIPlus::holdBitmapOf(c32bppDIB& host)
{
    // A bitmap laid over other memory than the host's current pixels would read freed memory.
    if (HeldBitmap && heldPixels == host.BitsPointer() && HeldBitmap->width() == host.Width() &&
        HeldBitmap->height() == host.Height())
        return true;
    HeldBitmap.reset();
    heldPixels = nullptr;
    AppliedRotateFlip = RotateNoneFlipNone;
    if (GdipCreateBitmapFromScan0(host.Width(), host.Height(), host.scanWidth(),
                                  PixelFormat32bppPARGB, host.BitsPointer(), HeldBitmap) != Ok)
        return false;
    heldPixels = host.BitsPointer();
    return true;
}

int cGDIPlus::GetEncoderClsid(const QString& mime, QUuid& clsid) const
{
    return findEncoder(mime, clsid);
}

void cGDIPlus::SetRotateFlip(int wanted)
{
    if (wanted == AppliedRotateFlip || !HeldBitmap)
        return;
    GdipImageRotateFlip(*HeldBitmap, orientationBetween(AppliedRotateFlip, wanted));
    AppliedRotateFlip = wanted;
}

bool cGDIPlus::save(const QString& mime, const EncoderParameters* parameters,
                    const QString& FileName, QByteArray& outStream, c32bppDIB& cHost,
                    std::int32_t GlobalToken)
{
    if (cHost.Handle() == 0 || !getReady(GlobalToken, true) || !holdBitmapOf(cHost))
        return false;
    QUuid encoder;
    if (GetEncoderClsid(mime, encoder) < 0)
        return false;
    SetRotateFlip(RotateNoneFlipY);
    if (!FileName.isEmpty())
        return GdipSaveImageToFile(*HeldBitmap, FileName, encoder, parameters) == Ok;
    outStream.clear();
    return GdipSaveImageToStream(*HeldBitmap, outStream, encoder, parameters) == Ok;
}

bool cGDIPlus::SaveToPNG(const QString& FileName, QByteArray& outStream, c32bppDIB& cHost,
                         std::int32_t GlobalToken)
{
    return save(QStringLiteral("image/png"), nullptr, FileName, outStream, cHost, GlobalToken);
}

bool cGDIPlus::SaveToJPG(const QString& FileName, QByteArray& outStream, c32bppDIB& cHost,
                         std::int32_t Quality, std::int32_t GlobalToken)
{
    EncoderParameters parameters;
    parameters.hasQuality = true;
    parameters.quality = Quality < 30 ? 30 : Quality > 100 ? 100 : Quality;
    return save(QStringLiteral("image/jpeg"), &parameters, FileName, outStream, cHost, GlobalToken);
}

namespace {

// Grayscale weights in the colour rows (or the identity), lightness in the constant row.
ColorMatrix colourMatrix(std::int32_t grayScale, float LightAdjustment)
{
    ColorMatrix matrix;
    if (grayScale == gsclNone) {
        for (int i = 0; i < 3; ++i)
            matrix.m[i][i] = 1.0f;
    } else {
        float weights[3];
        GrayscaleWeights(grayScale, weights[0], weights[1], weights[2]);
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                matrix.m[row][column] = weights[row];
    }
    matrix.m[3][3] = 1.0f;
    matrix.m[4][4] = 1.0f;
    if (LightAdjustment != 0.0f)
        for (int column = 0; column < 3; ++column)
            matrix.m[4][column] = LightAdjustment / 100.0f;
    return matrix;
}

}  // namespace

bool cGDIPlus::RenderToDC(c32bppDIB& cHost, gdi::DeviceContext* hDC, float Angle,
                          std::int32_t Opacity, std::int32_t DestX, std::int32_t DestY,
                          std::int32_t DestWidth, std::int32_t DestHeight, std::int32_t SrcX,
                          std::int32_t SrcY, std::int32_t SrcWidth, std::int32_t SrcHeight,
                          bool HighQuality, std::int32_t grayScale, std::int32_t GlobalToken,
                          float LightAdjustment)
{
    if (Opacity == 0)
        return true;
    if (cHost.Handle() == 0 || !getReady(GlobalToken, false) || !holdBitmapOf(cHost))
        return false;
    std::unique_ptr<Graphics> graphics;
    if (GdipCreateFromHDC(hDC, graphics) != Ok || !graphics)
        return false;
    GdipSetInterpolationMode(*graphics, HighQuality ? InterpolationModeHighQualityBicubic
                                                    : InterpolationModeNearestNeighbor);
    const std::int32_t w = DestWidth < 0 ? -DestWidth : DestWidth;
    const std::int32_t h = DestHeight < 0 ? -DestHeight : DestHeight;
    int wanted = DestHeight >= 0 ? RotateNoneFlipY : RotateNoneFlipNone;
    if (DestWidth < 0)
        wanted ^= RotateNoneFlipX;
    SetRotateFlip(wanted);

    std::unique_ptr<ImageAttributes> attributes;
    if (grayScale != gsclNone || LightAdjustment != 0.0f || Opacity != 100) {
        if (GdipCreateImageAttributes(attributes) != Ok)
            return false;
        ColorMatrix matrix = colourMatrix(grayScale, LightAdjustment);
        matrix.m[3][3] = float(double(Opacity) / 100.0);
        GdipSetImageAttributesColorMatrix(*attributes, ColorAdjustTypeBitmap, true, &matrix);
    }
    if (Angle == 0.0f)
        return GdipDrawImageRectRectI(*graphics, *HeldBitmap, DestX, DestY, w, h, SrcX, SrcY,
                                      SrcWidth, SrcHeight, UnitPixel, attributes.get()) == Ok;
    // Half a turn more, drawn mirrored on both axes about the origin: the image ends up
    // turned by Angle about the destination's centre.
    if (GdipRotateWorldTransform(*graphics, Angle + 180.0f, MatrixOrderPrepend) != Ok)
        return false;
    GdipTranslateWorldTransform(*graphics, float(DestX + w / 2), float(DestY + h / 2),
                                MatrixOrderAppend);
    return GdipDrawImageRectRectI(*graphics, *HeldBitmap, w / 2, h / 2, -w, -h, SrcX, SrcY,
                                  SrcWidth, SrcHeight, UnitPixel, attributes.get()) == Ok;
}

bool cGDIPlus::LoadIntoDIB(const QString& FileName, const QByteArray& stream, c32bppDIB& cHost,
                           std::int32_t GlobalToken)
{
    if (!getReady(GlobalToken, true))
        return false;
    std::unique_ptr<GpImage> image;
    const Status loaded = FileName.isEmpty() ? GdipLoadImageFromStream(stream, image)
                                             : GdipLoadImageFromFile(FileName, image);
    if (loaded != Ok || !image)
        return false;
    RectF bounds;
    bool drawn = false;
    if (GdipGetImageBounds(*image, bounds) == Ok) {
        const auto width = std::int32_t(std::lround(bounds.Width));
        const auto height = std::int32_t(std::lround(bounds.Height));
        if (cHost.InitializeDIB(width, height)) {
            std::unique_ptr<Graphics> graphics;
            if (GdipCreateFromHDC(cHost.LoadDIBinDC(true), graphics) == Ok) {
                GdipDrawImageRectRectI(
                    *graphics, *image, 0, 0, width, height, std::int32_t(std::lround(bounds.X)),
                    std::int32_t(std::lround(bounds.Y)), width, height, UnitPixel, nullptr);
                drawn = true;
            }
            graphics.reset();
            cHost.LoadDIBinDC(false);
        }
    }
    if (!drawn) {
        cHost.DestroyDIB();
        return false;
    }
    // The drawn pixels are premultiplied; an image without transparency counts as opaque.
    bool hasAlpha = false;
    std::int32_t format = imgNone;
    ClassifyAlpha(std::span(cHost.BitsPointer(), std::size_t(cHost.scanWidth()) * cHost.Height()),
                  true, hasAlpha, format);
    cHost.LetAlpha(hasAlpha);
    cHost.SetImageType(imgPNG);
    return true;
}

}  // namespace XrImage
