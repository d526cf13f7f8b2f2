#include "image/codecs/cGDIPlus.h"
#include "image/core/GdiplusSession.h"
#include "image/core/c32bppDIB.h"
#include "platform/dynload/DynamicLibrary.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdiplus/Session.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

using namespace XrImage;

namespace {

class GdiplusSessions : public ::testing::Test {
protected:
    void TearDown() override
    {
        gdiplus::setAvailable(true);
        dynload::resetLibraryNames();
    }
};

gdi::Bitmap redBitmap()
{
    QImage image(5, 3, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    return gdi::Bitmap::fromImage(image);
}

}  // namespace

TEST_F(GdiplusSessions, ControlsOnOneThreadKeepTheSessionUntilTheLastStops)
{
    StartGdiplus(1);
    EXPECT_TRUE(GdiplusStarted());
    StartGdiplus(1);  // a second control
    StopGdiplus();
    EXPECT_TRUE(gdiplus::sessionActive());  // the first control's session is still there
    StopGdiplus();
    EXPECT_FALSE(gdiplus::sessionActive());
    StopGdiplus();  // more stops than starts end nothing else
    EXPECT_FALSE(gdiplus::sessionActive());

    StartGdiplus(2);
    EXPECT_FALSE(GdiplusStarted());
    StopGdiplus();
}

TEST_F(GdiplusSessions, SaveChoosesTheEncoderByTheLastFourCharacters)
{
    QTemporaryDir dir;
    const gdi::Bitmap bitmap = redBitmap();
    EXPECT_FALSE(SaveBitmapViaGdiplus(bitmap, dir.filePath("early.png")));  // no session

    StartGdiplus(1);
    const QString jpg = dir.filePath("photo.JPG");
    ASSERT_TRUE(SaveBitmapViaGdiplus(bitmap, jpg));
    EXPECT_EQ(QImageReader(jpg).format(), QByteArray("jpeg"));
    const QString gif = dir.filePath("x.gif");
    ASSERT_TRUE(SaveBitmapViaGdiplus(bitmap, gif));
    EXPECT_EQ(QImageReader(gif).format(), QByteArray("gif"));
    EXPECT_EQ(QImage(gif).pixel(4, 2), qRgb(255, 0, 0));
    ASSERT_TRUE(SaveBitmapViaGdiplus(bitmap, dir.filePath("x.tif")));
    ASSERT_TRUE(SaveBitmapViaGdiplus(bitmap, dir.filePath("x.Bmp")));
    EXPECT_EQ(QImage(dir.filePath("x.Bmp")).size(), QSize(5, 3));

    EXPECT_FALSE(SaveBitmapViaGdiplus(bitmap, dir.filePath("photo.jpeg")));
    EXPECT_FALSE(SaveBitmapViaGdiplus(bitmap, dir.filePath("scan.tiff")));
    EXPECT_FALSE(QFile::exists(dir.filePath("photo.jpeg")));
    EXPECT_FALSE(SaveBitmapViaGdiplus(gdi::Bitmap(), dir.filePath("none.png")));

    QUuid lower;
    QUuid upper;
    ASSERT_TRUE(FindEncoderClsid("image/png", lower));
    ASSERT_TRUE(FindEncoderClsid("IMAGE/PNG", upper));
    EXPECT_EQ(lower, upper);
    EXPECT_FALSE(FindEncoderClsid("image/webp", upper));
    StopGdiplus();
}

TEST_F(GdiplusSessions, ImageTokensAndTheGdiplusSwitch)
{
    c32bppDIB image;
    EXPECT_TRUE(image.isGDIplusEnabled());
    EXPECT_TRUE(image.HighQualityInterpolation());

    EXPECT_FALSE(image.DestroyGDIplusToken(0));
    const std::int32_t token = image.CreateGDIplusToken();
    ASSERT_NE(token, 0);
    EXPECT_TRUE(gdiplus::sessionActive());
    EXPECT_FALSE(image.DestroyGDIplusToken(token));
    EXPECT_FALSE(gdiplus::sessionActive());

    image.LetKeepGDIplusActive(true);
    EXPECT_TRUE(image.KeepGDIplusActive());
    image.LetisGDIplusEnabled(false);
    EXPECT_FALSE(image.isGDIplusEnabled());
    image.LetKeepGDIplusActive(true);
    EXPECT_FALSE(image.KeepGDIplusActive());  // not while GDI+ is off

    gdiplus::setAvailable(false);
    image.LetisGDIplusEnabled(true);
    EXPECT_FALSE(image.isGDIplusEnabled());
    EXPECT_EQ(image.CreateGDIplusToken(), 0);
    c32bppDIB withoutGdiplus;
    EXPECT_FALSE(withoutGdiplus.isGDIplusEnabled());
    EXPECT_FALSE(withoutGdiplus.HighQualityInterpolation());
    gdiplus::setAvailable(true);

    // A platform without GDI+ makes no probe at all.
    c32bppDIB win95(PlatformVersion{PlatformVersion::Win9xPlatform, 4, 0, 0});
    win95.LetisGDIplusEnabled(true);
    EXPECT_FALSE(win95.isGDIplusEnabled());
}

TEST_F(GdiplusSessions, ZlibProbeAsksTheLibraryTableEveryTime)
{
    c32bppDIB image;
    EXPECT_TRUE(image.isZlibEnabled());
    dynload::setLibraryNames({});
    EXPECT_FALSE(image.isZlibEnabled());
    dynload::addLibraryName({QStringLiteral("zlib.dll"), QStringLiteral("libz.so.1"), {}});
    EXPECT_TRUE(image.isZlibEnabled());
}
