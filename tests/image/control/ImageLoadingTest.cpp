// Loading files into the image control at their own size or fitted to the control, and the
// header record GetMyImageInfo fills.
#include "tests/image/control/ImageControlSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

using namespace XrImage;
using namespace imagecontroltest;

namespace {

struct FitCase {
    int imageWidth, imageHeight, boxWidth, boxHeight, fittedWidth, fittedHeight;
};

// The fitted picture keeps its aspect ratio within the single-precision factor's rounding
// down, is never enlarged, and sits centred on the back colour of a box-sized, opaque image.
TEST(ImageControlLoading, ForcedScaleFitsCentresAndKeepsTheWholeBox)
{
    testsupport::TempFolder folder;
    const QRgb red = qRgb(255, 0, 0);
    const FitCase cases[] = {
        {100, 50, 480, 480, 100, 50},    {640, 480, 480, 480, 480, 360},
        {1000, 500, 480, 480, 479, 239}, {500, 1000, 480, 480, 239, 479},
        {500, 200, 480, 480, 479, 191},  {100, 50, 480, 240, 100, 50},
        {640, 480, 480, 240, 320, 240},  {1000, 500, 480, 240, 479, 239},
        {500, 1000, 480, 240, 119, 239}, {500, 200, 480, 240, 479, 191},
        {1000, 400, 480, 240, 479, 191},
    };
    for (const FitCase& fit : cases) {
        SCOPED_TRACE(testing::Message() << fit.imageWidth << "x" << fit.imageHeight << " into "
                                        << fit.boxWidth << "x" << fit.boxHeight);
        const QString file =
            writeImage(folder.filePath(
                           QStringLiteral("fit%1x%2.png").arg(fit.imageWidth).arg(fit.imageHeight)),
                       fit.imageWidth, fit.imageHeight, red);
        auto control = controlOfSize(fit.boxWidth, fit.boxHeight);
        MyImageInformation request;
        request.sFile = file;
        control->LoadImageForcedScale(request);

        const QImage box = boxPixels(*control);
        const QRect drawn = boundsOf(box, red);
        EXPECT_EQ(drawn.size(), QSize(fit.fittedWidth, fit.fittedHeight));
        // Centred: the image's centre on the box's halved size, rounded as the control does.
        EXPECT_EQ(drawn.left(), fit.boxWidth / 2 - fit.fittedWidth / 2);
        EXPECT_EQ(drawn.top(), fit.boxHeight / 2 - fit.fittedHeight / 2);
        EXPECT_EQ(box.pixel(0, 0) & 0xFFFFFFu, boxRgb & 0xFFFFFFu);

        const c32bppDIB& image = control->image();
        EXPECT_EQ(image.Width(), fit.boxWidth);
        EXPECT_EQ(image.Height(), fit.boxHeight);
        EXPECT_FALSE(image.Alpha());
        EXPECT_EQ(control->Width(), fit.boxWidth * 15.0) << "the control keeps its size";
    }
}

// A picture with transparency is drawn over the back colour and taken back opaque; the
// picture the host receives has the box's size.
TEST(ImageControlLoading, ForcedScaleOfATransparentPictureGivesAnOpaqueBox)
{
    testsupport::TempFolder folder;
    QImage source(40, 20, QImage::Format_ARGB32);
    source.fill(Qt::transparent);
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 20; ++y)
            source.setPixel(x, y, qRgba(0, 0, 255, 255));
    const QString file = folder.filePath(QStringLiteral("half.png"));
    ASSERT_TRUE(source.save(file));

    auto control = controlOfSize(60, 40);
    MyImageInformation request;
    request.sFile = file;
    control->LoadImageForcedScale(request);
    const QImage box = boxPixels(*control);
    EXPECT_EQ(boundsOf(box, qRgb(0, 0, 255)), QRect(10, 10, 20, 20));
    EXPECT_EQ(box.pixel(40, 20) & 0xFFFFFFu, boxRgb & 0xFFFFFFu) << "transparent half";

    std::int32_t alpha = 0;
    for (int y = 0; y < 40; y += 7)
        for (int x = 0; x < 60; x += 7) {
            control->image().GetPixel(x, y, &alpha);
            ASSERT_EQ(alpha, 255) << x << "," << y;
        }
    const auto picture = control->Image();
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->image().size(), QSize(60, 40));
    EXPECT_EQ(picture->Type(), picture::PICTYPE_BITMAP);
}

// Taking the box back as the image keeps the picture upright: the image's top row is the
// box's top row.
TEST(ImageControlLoading, ForcedScaleKeepsThePictureUpright)
{
    testsupport::TempFolder folder;
    QImage source(8, 6, QImage::Format_RGB32);
    source.fill(qRgb(0, 0, 255));
    for (int x = 0; x < 8; ++x)
        source.setPixel(x, 0, qRgb(255, 0, 0));
    const QString file = folder.filePath(QStringLiteral("stripe.bmp"));
    ASSERT_TRUE(source.save(file));

    auto control = controlOfSize(8, 6);
    MyImageInformation request;
    request.sFile = file;
    control->LoadImageForcedScale(request);
    EXPECT_EQ(boundsOf(boxPixels(*control), qRgb(255, 0, 0)), QRect(0, 0, 8, 1));
    // GetPixel counts rows from the top and answers 0x00BBGGRR.
    EXPECT_EQ(control->image().GetPixel(3, 0), 0x0000FF);
    EXPECT_EQ(control->image().GetPixel(3, 5), 0xFF0000);
}

// A file that cannot be read leaves a blank box: the image becomes a box of the back colour.
TEST(ImageControlLoading, ForcedScaleOfAMissingFileTakesTheBlankBox)
{
    testsupport::TempFolder folder;
    auto control = controlOfSize(30, 20);
    MyImageInformation request;
    request.sFile = folder.filePath(QStringLiteral("missing.png"));
    control->LoadImageForcedScale(request);
    EXPECT_EQ(boundsOf(boxPixels(*control), boxRgb), QRect(0, 0, 30, 20));
    EXPECT_EQ(control->image().Width(), 30);
    EXPECT_EQ(control->image().GetPixel(5, 5), std::int32_t(0x00336699));

    // A control without area has no box to draw into or take back.
    auto empty = controlOfSize(0, 0);
    request.sFile = writeImage(folder.filePath(QStringLiteral("some.png")), 5, 5, qRgb(1, 2, 3));
    empty->LoadImageForcedScale(request);
    EXPECT_EQ(empty->image().Width(), 0);
    EXPECT_FALSE(empty->Image().has_value());
}

// The control takes the picture's size in twips, and the box shows the picture at its own
// size; an unreadable file shrinks the control to nothing.
TEST(ImageControlLoading, ActualSizeSizesTheControlToThePicture)
{
    testsupport::TempFolder folder;
    const QRgb green = qRgb(0, 200, 0);
    auto control = controlOfSize(200, 200);
    MyImageInformation request;
    request.sFile = writeImage(folder.filePath(QStringLiteral("small.bmp")), 32, 16, green,
                               QImage::Format_RGB32);
    control->LoadImageActualSize(request);
    EXPECT_EQ(control->Width(), 480.0);
    EXPECT_EQ(control->Height(), 240.0);
    EXPECT_EQ(control->Picture1().size(), QSize(32, 16));
    EXPECT_EQ(boundsOf(boxPixels(*control), green), QRect(0, 0, 32, 16));
    EXPECT_EQ(control->Picture1().Picture().size(), QSize(32, 16));
    EXPECT_EQ(control->image().Width(), 32);

    request.sFile = folder.filePath(QStringLiteral("none.png"));
    control->LoadImageActualSize(request);
    EXPECT_EQ(control->Width(), 0.0);
    EXPECT_EQ(control->Height(), 0.0);
    EXPECT_FALSE(control->Image().has_value());
}

// Partly transparent pixels are blended over the back colour; the box stays opaque.
TEST(ImageControlLoading, ActualSizeBlendsTransparencyOverTheBackColour)
{
    testsupport::TempFolder folder;
    QImage source(4, 2, QImage::Format_ARGB32);
    source.fill(qRgba(255, 0, 0, 255));
    source.setPixel(1, 0, qRgba(255, 0, 0, 128));
    source.setPixel(2, 0, qRgba(0, 0, 0, 0));
    const QString file = folder.filePath(QStringLiteral("alpha.png"));
    ASSERT_TRUE(source.save(file));

    auto control = controlOfSize(10, 10);
    MyImageInformation request;
    request.sFile = file;
    control->LoadImageActualSize(request);
    const QImage box = boxPixels(*control);
    ASSERT_EQ(box.size(), QSize(4, 2));
    EXPECT_EQ(box.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(box.pixel(2, 0), boxRgb);
    const QRgb half = box.pixel(1, 0);
    EXPECT_NEAR(qRed(half), (255 + 0x99) / 2, 2);
    EXPECT_NEAR(qGreen(half), 0x66 / 2, 2);
    EXPECT_NEAR(qBlue(half), 0x33 / 2, 2);
    EXPECT_EQ(qAlpha(half), 255);
    EXPECT_TRUE(control->image().Alpha()) << "the image itself keeps its transparency";
}

// The header's type, depth and size, as numbers and as the record's texts; the image and
// the box are left alone.
TEST(ImageControlLoading, ImageInfoFillsTheRecordFromTheHeader)
{
    testsupport::TempFolder folder;
    auto control = controlOfSize(20, 20);
    const QImage before = boxPixels(*control);
    MyImageInformation request;
    request.sFile = writeImage(folder.filePath(QStringLiteral("photo.png")), 640, 480,
                               qRgb(1, 2, 3), QImage::Format_RGB888);
    request.sImgType = QStringLiteral("stale");
    control->GetMyImageInfo(request);
    EXPECT_EQ(request.eImgType, itPNG);
    EXPECT_EQ(request.sImgType, QStringLiteral("PNG"));
    EXPECT_EQ(request.bDepth, 24);
    EXPECT_EQ(request.sDepth, QStringLiteral("24 Bit"));
    EXPECT_EQ(request.lWidth, 640);
    EXPECT_EQ(request.sWidth, QStringLiteral("640 W"));
    EXPECT_EQ(request.lHeight, 480);
    EXPECT_EQ(request.sHeight, QStringLiteral("480 H"));
    EXPECT_EQ(boxPixels(*control), before);
    EXPECT_EQ(control->image().Width(), 0);

    const QString text = folder.filePath(QStringLiteral("notes.txt"));
    QFile notes(text);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("no picture here");
    notes.close();
    request.sFile = text;
    control->GetMyImageInfo(request);
    EXPECT_EQ(request.eImgType, itUNKNOWN);
    EXPECT_EQ(request.sImgType, QStringLiteral("Unknown"));
}

}  // namespace
