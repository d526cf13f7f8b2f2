// The image control's interface: registration and persistence, the redraw after each
// operation, the selection dragged with the mouse, centring and saving.
#include "image/core/XrImageLibrary.h"
#include "platform/host/ControlFactory.h"
#include "tests/image/control/ImageControlSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace XrImage;
using namespace imagecontroltest;

namespace {

const QRgb red = qRgb(255, 0, 0);
const QRgb blue = qRgb(0, 0, 255);

// A control of 60 x 40 pixels showing, at its own size, a 40 x 20 picture whose left half is
// red and right half blue (opaque), so that mirrors and shifts show.
struct LoadedControl {
    testsupport::TempFolder folder;
    std::unique_ptr<XrImageControl> control;

    LoadedControl()
    {
        QImage picture(40, 20, QImage::Format_ARGB32);
        picture.fill(blue);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                picture.setPixel(x, y, red);
        const QString file = folder.filePath(QStringLiteral("halves.png"));
        picture.save(file);
        control = controlOfSize(60, 40);
        MyImageInformation request;
        request.sFile = file;
        control->LoadImageActualSize(request);
        // Back to a size larger than the picture, so that the box shows its back colour too.
        control->LetWidth(60 * 15);
        control->LetHeight(40 * 15);
        control->ImageInverse();
        control->ImageInverse();
    }

    QImage box() { return boxPixels(*control); }
    PictureBox& picture1() { return control->Picture1(); }
};

TEST(ImageControl, RegistersByClassNameAndPersistsItsBackColor)
{
    XrImage::registerClasses();
    std::unique_ptr<QWidget> created(host::createControl(QStringLiteral("XrImage.XrImageControl")));
    auto* control = qobject_cast<XrImageControl*>(created.get());
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->BackColor(), 0x8000000Fu);

    host::PropertyBag bag;
    control->WriteProperties(bag);
    EXPECT_TRUE(bag.isEmpty()) << "the default is not stored";

    QSignalSpy changed(control, &XrImageControl::PropertyChanged);
    control->LetBackColor(0x00112233);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("BackColor"));
    control->WriteProperties(bag);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("BackColor")).toInt(), 0x00112233);

    XrImageControl reloaded;
    reloaded.LetWidth(150);
    reloaded.LetHeight(150);
    reloaded.ReadProperties(bag);
    EXPECT_EQ(reloaded.BackColor(), 0x00112233u);
    EXPECT_EQ(boxPixels(reloaded).pixel(3, 3), qRgb(0x33, 0x22, 0x11));
    reloaded.ReadProperties(host::PropertyBag());
    EXPECT_EQ(reloaded.BackColor(), 0x8000000Fu);
}

// Effects change the image for good and show it at the box's top-left; the drawing becomes
// the box's picture.
TEST(ImageControl, EffectsRedrawTheWholeImageAtTheTopLeft)
{
    LoadedControl loaded;
    QImage box = loaded.box();
    EXPECT_EQ(boundsOf(box, red), QRect(0, 0, 20, 20));
    EXPECT_EQ(boundsOf(box, blue), QRect(20, 0, 20, 20));
    EXPECT_EQ(boundsOf(box, boxRgb), QRect(0, 0, 60, 40));
    EXPECT_EQ(loaded.picture1().Picture(), box.convertToFormat(QImage::Format_RGB32));

    // Two horizontal mirrors give back the pixels as they were.
    const QByteArray original = imageBytes(loaded.control->image());
    MyImageInformation request;
    request.horzFlip = true;
    loaded.control->MirrorImage(request);
    EXPECT_EQ(boundsOf(loaded.box(), blue), QRect(0, 0, 20, 20));
    EXPECT_NE(imageBytes(loaded.control->image()), original);
    loaded.control->MirrorImage(request);
    EXPECT_EQ(imageBytes(loaded.control->image()), original);
    EXPECT_EQ(loaded.box(), box);

    // Inverting twice is the identity, and the box follows each step.
    loaded.control->ImageInverse();
    EXPECT_EQ(boundsOf(loaded.box(), qRgb(0, 255, 255)), QRect(0, 0, 20, 20));
    loaded.control->ImageInverse();
    EXPECT_EQ(imageBytes(loaded.control->image()), original);

    // Both transparency members make the colour transparent, showing the back colour.
    for (int member = 0; member < 2; ++member) {
        LoadedControl again;
        MyImageInformation transparent;
        transparent.lColor = 0xFF0000;  // blue as an RGB value
        if (member == 0)
            again.control->MakeImgTransparentF(transparent);
        else
            again.control->MakeImgTransparentT(transparent);
        EXPECT_EQ(boundsOf(again.box(), blue), QRect()) << "member " << member;
        EXPECT_EQ(boundsOf(again.box(), red), QRect(0, 0, 20, 20));
    }

    // A new size keeps what was drawn; the new area shows the back colour.
    loaded.control->LetWidth(80 * 15);
    EXPECT_EQ(boundsOf(loaded.box(), red), QRect(0, 0, 20, 20));
    EXPECT_EQ(loaded.box().pixel(79, 0), boxRgb);
    EXPECT_FALSE(loaded.control->hDC()->bitmap() == loaded.picture1().Image())
        << "hDC is the control's own surface";

    std::int32_t formula = 0;
    loaded.control->ConvertToGrayScaling(formula);
    const QRgb grey = loaded.box().pixel(5, 5);
    EXPECT_EQ(qRed(grey), qGreen(grey));
    EXPECT_EQ(qGreen(grey), qBlue(grey));
}

// Opacity and rotation only change the drawing: the image keeps its pixels, and a plain
// redraw at full opacity shows it upright again.
TEST(ImageControl, OpacityAndRotationLeaveThePixelsAlone)
{
    LoadedControl loaded;
    const QImage upright = loaded.box();
    const QByteArray original = imageBytes(loaded.control->image());

    MyImageInformation request;
    request.my360 = 90;
    loaded.control->Rotation(request);
    EXPECT_NE(loaded.box(), upright);
    EXPECT_EQ(imageBytes(loaded.control->image()), original);

    request.lOpacity = 50;
    loaded.control->ImageOpacity(request);
    const QRgb faded = loaded.box().pixel(5, 5);
    EXPECT_NEAR(qRed(faded), (255 + 0x99) / 2, 2);
    EXPECT_NEAR(qBlue(faded), 0x33 / 2, 2);
    EXPECT_EQ(imageBytes(loaded.control->image()), original);

    request.lOpacity = 100;
    loaded.control->ImageOpacity(request);
    EXPECT_EQ(loaded.box(), upright);
}

// The silhouette is only drawn: the next redraw starts from the unchanged image.
TEST(ImageControl, SilhouetteThenInverseShowsTheInvertedImage)
{
    LoadedControl loaded;
    MyImageInformation request;
    request.lColor = 0x00FF00;  // green
    const QByteArray original = imageBytes(loaded.control->image());
    loaded.control->ChangeColorPNG(request);
    EXPECT_EQ(boundsOf(loaded.box(), qRgb(0, 255, 0)), QRect(0, 0, 40, 20));
    EXPECT_EQ(imageBytes(loaded.control->image()), original);

    loaded.control->ImageInverse();
    EXPECT_EQ(boundsOf(loaded.box(), qRgb(0, 255, 255)), QRect(0, 0, 20, 20));
    EXPECT_EQ(boundsOf(loaded.box(), qRgb(255, 255, 0)), QRect(20, 0, 20, 20));
    EXPECT_EQ(boundsOf(loaded.box(), qRgb(0, 255, 0)), QRect());

    request.mBlurDepth = 3;
    request.lOpacity = 100;
    loaded.control->SpecialBlurPNG(request);
    const QImage shadow = loaded.box();
    EXPECT_EQ(boundsOf(shadow, red), QRect());
    EXPECT_NE(shadow.pixel(10, 10), loaded.picture1().Picture().pixel(59, 39))
        << "the shadow is drawn over the back colour";
}

// The selection is made with real mouse events on the picture box, in the box's pixels.
TEST(ImageControl, DraggingSelectsAndCropAndResizeUseTheSelection)
{
    LoadedControl loaded;
    loaded.control->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(loaded.control.get()));
    PictureBox& box = loaded.picture1();
    const QImage whole = loaded.box();

    // Without a selection neither member changes anything.
    loaded.control->CropImage();
    loaded.control->CustomResize();
    EXPECT_EQ(loaded.box(), whole);

    QSignalSpy clicks(loaded.control.get(), &XrImageControl::Click);
    QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(10, 5));
    QTest::mouseMove(&box, QPoint(20, 10));
    QTest::mouseMove(&box, QPoint(30, 15));
    // Up and left of the press point: the rectangle keeps its last extent.
    QTest::mouseMove(&box, QPoint(4, 2));
    QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(4, 2));
    EXPECT_TRUE(loaded.control->SelectionVisible());
    EXPECT_TRUE(box.Shape1().isVisible());
    EXPECT_EQ(loaded.control->selection(), QRect(10, 5, 20, 10));
    EXPECT_EQ(clicks.count(), 1);

    // Crop keeps the part under the selection in place; the rest shows the back colour.
    loaded.control->CropImage();
    QImage cropped = loaded.box();
    EXPECT_EQ(boundsOf(cropped, red), QRect(10, 5, 10, 10));
    EXPECT_EQ(boundsOf(cropped, blue), QRect(20, 5, 10, 10));
    EXPECT_EQ(loaded.control->image().Width(), 40) << "the image itself is not cropped";

    // Resize stretches the whole image into the selection.
    loaded.control->CustomResize();
    const QImage resized = loaded.box();
    EXPECT_EQ(boundsOf(resized, red), QRect(10, 5, 10, 10));
    EXPECT_EQ(boundsOf(resized, blue), QRect(20, 5, 10, 10));
    EXPECT_EQ(resized.pixel(5, 2), boxRgb) << "outside the selection";
    EXPECT_EQ(loaded.control->image().Width(), 40);

    // A press over the shown selection only hides it; crop then changes nothing.
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(50, 30));
    EXPECT_FALSE(loaded.control->SelectionVisible());
    EXPECT_FALSE(box.Shape1().isVisible());
    loaded.control->CropImage();
    EXPECT_EQ(loaded.box(), resized);

    // A press and release without moving: a selection of no size at the press point, into
    // which the whole image is drawn at its own size.
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(15, 12));
    EXPECT_EQ(loaded.control->selection(), QRect(15, 12, 0, 0));
    loaded.control->CustomResize();
    EXPECT_EQ(boundsOf(loaded.box(), red), QRect(15, 12, 20, 20));
    EXPECT_EQ(boundsOf(loaded.box(), blue), QRect(35, 12, 20, 20));
    EXPECT_EQ(clicks.count(), 3);

    // Any button selects; the right one clicks too, the middle one does not.
    QTest::mouseClick(&box, Qt::RightButton, {}, QPoint(1, 1));
    EXPECT_EQ(clicks.count(), 4);
    QTest::mousePress(&box, Qt::MiddleButton, {}, QPoint(2, 3));
    QTest::mouseMove(&box, QPoint(7, 9));
    QTest::mouseRelease(&box, Qt::MiddleButton, {}, QPoint(7, 9));
    EXPECT_EQ(loaded.control->selection(), QRect(2, 3, 5, 6));
    EXPECT_EQ(clicks.count(), 4);
}

// The image's centre lands on the control's halved size, rounded halves to even.
TEST(ImageControl, ForcedScaleCentresInSquareAndWideControls)
{
    testsupport::TempFolder folder;
    const QString dot = writeImage(folder.filePath(QStringLiteral("dot.png")), 1, 1, red);
    const struct {
        int width, height;
        QPoint expected;
    } cases[] = {
        {101, 101, {50, 50}}, {103, 103, {52, 52}}, {206, 103, {103, 52}}, {202, 101, {101, 50}}};
    for (const auto& one : cases) {
        auto control = controlOfSize(one.width, one.height);
        MyImageInformation request;
        request.sFile = dot;
        control->LoadImageForcedScale(request);
        EXPECT_EQ(boundsOf(boxPixels(*control), red), QRect(one.expected, QSize(1, 1)))
            << one.width << " x " << one.height;
    }
}

TEST(ImageControl, SaveMembersWriteOrReportFailure)
{
    LoadedControl loaded;
    testsupport::TempFolder& folder = loaded.folder;
    MyImageInformation request;

    // Unwritable: a folder that does not exist.
    request.sFileSaveLoc = folder.filePath(QStringLiteral("no/such/folder/out.bmp"));
    EXPECT_FALSE(loaded.control->SaveImageUCASEBMP(request));
    EXPECT_FALSE(loaded.control->SaveMyImage(request));
    EXPECT_FALSE(loaded.control->SpecialSave(request));
    EXPECT_FALSE(QFile::exists(request.sFileSaveLoc));

    // The box's picture as a BMP: what the box shows, back colour included.
    request.sFileSaveLoc = folder.filePath(QStringLiteral("box.bmp"));
    ASSERT_TRUE(loaded.control->SaveImageUCASEBMP(request));
    QImage written(request.sFileSaveLoc);
    ASSERT_EQ(written.size(), QSize(60, 40));
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), loaded.box());
    QFile bmp(request.sFileSaveLoc);
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    EXPECT_EQ(quint8(bmp.read(30).at(28)), 24) << "24 bits per pixel";

    request.sFileSaveLoc = folder.filePath(QStringLiteral("shown.png"));
    ASSERT_TRUE(loaded.control->SpecialSave(request));
    EXPECT_EQ(QImage(request.sFileSaveLoc).convertToFormat(QImage::Format_RGB32), loaded.box());

    // The image members save the image alone, at its own size.
    request.sFileSaveLoc = folder.filePath(QStringLiteral("image.png"));
    ASSERT_TRUE(loaded.control->SaveMyImageAsPNG(request));
    EXPECT_EQ(QImage(request.sFileSaveLoc).size(), QSize(40, 20));
    request.sFileSaveLoc = folder.filePath(QStringLiteral("image.jpg"));
    ASSERT_TRUE(loaded.control->SaveMyImageAsJPG(request));
    EXPECT_EQ(QImage(request.sFileSaveLoc).size(), QSize(40, 20));
    request.sFileSaveLoc = folder.filePath(QStringLiteral("image.bmp"));
    ASSERT_TRUE(loaded.control->SaveMyImage(request));
    EXPECT_EQ(QImage(request.sFileSaveLoc).pixel(30, 10), blue);

    // Before anything is drawn the box has no picture to save.
    XrImageControl fresh;
    EXPECT_FALSE(fresh.SaveImageUCASEBMP(request));
}

}  // namespace
