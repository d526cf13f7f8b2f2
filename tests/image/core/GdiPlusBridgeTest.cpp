#include "image/codecs/cGDIPlus.h"
#include "image/core/c32bppDIB.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdiplus/Session.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <array>

using namespace XrImage;

namespace {

using Bgra = std::array<int, 4>;

// Image memory is bottom-up: upright row y lies at memory row Height - 1 - y.
std::uint8_t* at(const c32bppDIB& image, int x, int y)
{
    return image.BitsPointer() + std::size_t(image.Height() - 1 - y) * image.scanWidth() + x * 4;
}

void put(c32bppDIB& image, int x, int y, Bgra bgra)
{
    for (int i = 0; i < 4; ++i)
        at(image, x, y)[i] = std::uint8_t(bgra[i]);
}

Bgra get(const c32bppDIB& image, int x, int y)
{
    const std::uint8_t* p = at(image, x, y);
    return {p[0], p[1], p[2], p[3]};
}

// A 4 x 2 picture whose every pixel tells where it is: blue = x, green = y (times 60), opaque;
// the top-left pixel is red.
void fillMarked(c32bppDIB& image)
{
    ASSERT_TRUE(image.InitializeDIB(4, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            put(image, x, y, {x * 60, y * 60, 0, 255});
    put(image, 0, 0, {0, 0, 255, 255});
}

bool near(Bgra a, Bgra b, int tolerance)
{
    for (int i = 0; i < 4; ++i)
        if (std::abs(a[i] - b[i]) > tolerance)
            return false;
    return true;
}

class GdiPlusBridge : public ::testing::Test {
protected:
    void TearDown() override { gdiplus::setAvailable(true); }
};

}  // namespace

TEST_F(GdiPlusBridge, ProbeAndTokensFollowTheLibrarySwitch)
{
    cGDIPlus bridge;
    std::int32_t token = 0;
    EXPECT_TRUE(bridge.isGDIplusOk(&token, true));
    EXPECT_NE(token, 0);
    EXPECT_TRUE(gdiplus::sessionActive());
    EXPECT_FALSE(bridge.StartStopSession(token, true));  // a shutdown answers False
    EXPECT_FALSE(gdiplus::sessionActive());

    // Without KeepToken the probe's session does not outlive the probe.
    EXPECT_TRUE(bridge.isGDIplusOk());
    EXPECT_FALSE(gdiplus::sessionActive());

    gdiplus::setAvailable(false);
    token = 0;
    EXPECT_FALSE(bridge.isGDIplusOk(&token, true));
    EXPECT_EQ(token, 0);
    c32bppDIB host;
    fillMarked(host);
    QByteArray png;
    EXPECT_FALSE(bridge.SaveToPNG({}, png, host));
    EXPECT_FALSE(bridge.LoadIntoDIB({}, QByteArray("x"), host, 0));
}

TEST_F(GdiPlusBridge, SavesTheHostUprightAsPngAndJpeg)
{
    c32bppDIB host;
    fillMarked(host);
    put(host, 3, 1, {0, 0, 0, 0});  // one transparent pixel
    put(host, 2, 1, {40, 20, 10, 128});
    cGDIPlus bridge;
    QByteArray png("stale");
    ASSERT_TRUE(bridge.SaveToPNG({}, png, host));
    const QImage decoded = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(decoded.size(), QSize(4, 2));
    EXPECT_EQ(decoded.pixel(0, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(decoded.pixel(1, 1), qRgba(0, 60, 60, 255));
    EXPECT_EQ(qAlpha(decoded.pixel(3, 1)), 0);
    // Straight in the file: 10 * 255 / 128 red.
    EXPECT_NEAR(qRed(decoded.pixel(2, 1)), 20, 1);
    EXPECT_EQ(qAlpha(decoded.pixel(2, 1)), 128);

    // Saving again keeps the orientation right (the flip is not applied twice).
    QByteArray again;
    ASSERT_TRUE(bridge.SaveToPNG({}, again, host));
    EXPECT_EQ(again, png);

    QByteArray low;
    QByteArray floor;
    ASSERT_TRUE(bridge.SaveToJPG({}, low, host, 0));
    ASSERT_TRUE(bridge.SaveToJPG({}, floor, host, 30));
    EXPECT_EQ(low, floor);  // quality is held at 30 and above
    QByteArray best;
    ASSERT_TRUE(bridge.SaveToJPG({}, best, host, 500));
    EXPECT_NE(best, floor);
    EXPECT_EQ(QImage::fromData(best, "JPEG").size(), QSize(4, 2));

    QTemporaryDir dir;
    const QString file = dir.filePath("out.png");
    QByteArray untouched("keep");
    ASSERT_TRUE(bridge.SaveToPNG(file, untouched, host));
    EXPECT_EQ(untouched, QByteArray("keep"));
    EXPECT_EQ(QImage(file).convertToFormat(QImage::Format_ARGB32).pixel(0, 0),
              qRgba(255, 0, 0, 255));

    // And back from the file: the same pixels, bottom-up again.
    c32bppDIB reloaded;
    ASSERT_TRUE(bridge.LoadIntoDIB(file, {}, reloaded, 0));
    EXPECT_EQ(get(reloaded, 0, 0), get(host, 0, 0));
    EXPECT_EQ(get(reloaded, 1, 1), get(host, 1, 1));
    EXPECT_FALSE(bridge.LoadIntoDIB(dir.filePath("missing.png"), {}, reloaded, 0));

    c32bppDIB empty;
    EXPECT_FALSE(bridge.SaveToPNG({}, png, empty));
}

TEST_F(GdiPlusBridge, LoadsIntoTheHostAsPngWithItsAlpha)
{
    QImage source(3, 2, QImage::Format_ARGB32);
    source.fill(qRgba(0, 0, 255, 255));
    source.setPixel(0, 0, qRgba(200, 0, 0, 128));
    source.setPixel(2, 1, qRgba(0, 0, 0, 0));
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(source.save(&buffer, "PNG"));
    }
    c32bppDIB host;
    cGDIPlus bridge;
    ASSERT_TRUE(bridge.LoadIntoDIB({}, bytes, host, 0));
    EXPECT_EQ(host.Width(), 3);
    EXPECT_EQ(host.Height(), 2);
    EXPECT_EQ(host.ImageType(), imgPNG);
    EXPECT_TRUE(host.Alpha());
    EXPECT_TRUE(near(get(host, 0, 0), {0, 0, 100, 128}, 1));  // premultiplied
    EXPECT_EQ(get(host, 1, 0), (Bgra{255, 0, 0, 255}));
    EXPECT_EQ(get(host, 2, 1), (Bgra{0, 0, 0, 0}));

    // An opaque picture: no alpha, every alpha byte 255.
    source.fill(qRgba(10, 20, 30, 255));
    bytes.clear();
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(source.save(&buffer, "BMP"));
    }
    ASSERT_TRUE(bridge.LoadIntoDIB({}, bytes, host, 0));
    EXPECT_FALSE(host.Alpha());
    EXPECT_EQ(host.ImageType(), imgPNG);
    EXPECT_EQ(get(host, 2, 1), (Bgra{30, 20, 10, 255}));

    // Data no reader takes: False, and the host keeps what it held.
    EXPECT_FALSE(bridge.LoadIntoDIB({}, QByteArray("not an image at all"), host, 0));
    EXPECT_EQ(host.Width(), 3);
}

TEST_F(GdiPlusBridge, RendersMirroredRotatedAndThroughTheColourMatrix)
{
    c32bppDIB host;
    fillMarked(host);
    cGDIPlus bridge;
    c32bppDIB canvas;
    auto render = [&](float angle, int opacity, int dw, int dh, int gray, float light) {
        EXPECT_TRUE(canvas.InitializeDIB(4, 2));
        gdi::DeviceContext* dc = canvas.LoadDIBinDC(true);
        const bool drawn = bridge.RenderToDC(host, dc, angle, opacity, 0, 0, dw, dh, 0, 0,
                                             host.Width(), host.Height(), false, gray, 0, light);
        canvas.LoadDIBinDC(false);
        return drawn;
    };

    ASSERT_TRUE(render(0, 100, 4, 2, gsclNone, 0));
    EXPECT_EQ(get(canvas, 0, 0), get(host, 0, 0));
    EXPECT_EQ(get(canvas, 3, 1), get(host, 3, 1));

    ASSERT_TRUE(render(0, 100, -4, 2, gsclNone, 0));  // mirrored left to right
    EXPECT_EQ(get(canvas, 3, 0), get(host, 0, 0));
    EXPECT_EQ(get(canvas, 0, 1), get(host, 3, 1));

    ASSERT_TRUE(render(0, 100, 4, -2, gsclNone, 0));  // upside down
    EXPECT_EQ(get(canvas, 0, 1), get(host, 0, 0));

    ASSERT_TRUE(render(180, 100, 4, 2, gsclNone, 0));  // half a turn about the centre
    EXPECT_EQ(get(canvas, 3, 1), get(host, 0, 0));
    EXPECT_EQ(get(canvas, 0, 0), get(host, 3, 1));

    // Back to upright after the flips: the held bitmap's orientation is tracked.
    ASSERT_TRUE(render(0, 100, 4, 2, gsclNone, 0));
    EXPECT_EQ(get(canvas, 0, 0), get(host, 0, 0));

    ASSERT_TRUE(render(0, 50, 4, 2, gsclNone, 0));
    EXPECT_TRUE(near(get(canvas, 0, 0), {0, 0, 128, 128}, 1));

    ASSERT_TRUE(render(0, 100, 4, 2, gsclNTSCPAL, 0));
    const int grey = int(0.299f * 255 + 0.5f);
    EXPECT_TRUE(near(get(canvas, 0, 0), {grey, grey, grey, 255}, 1));

    ASSERT_TRUE(render(0, 100, 4, 2, gsclNone, 50));
    EXPECT_TRUE(near(get(canvas, 1, 0), {188, 128, 128, 255}, 1));

    // Opacity 0 draws nothing and succeeds.
    ASSERT_TRUE(render(0, 0, 4, 2, gsclNone, 0));
    EXPECT_EQ(get(canvas, 0, 0), (Bgra{0, 0, 0, 0}));

    // A host that was made anew is drawn from its new pixels, not the old memory.
    fillMarked(host);
    ASSERT_TRUE(host.InitializeDIB(2, 2));
    put(host, 0, 0, {1, 2, 3, 255});
    ASSERT_TRUE(render(0, 100, 2, 2, gsclNone, 0));
    EXPECT_EQ(get(canvas, 0, 0), (Bgra{1, 2, 3, 255}));

    c32bppDIB empty;
    gdi::DeviceContext* dc = canvas.LoadDIBinDC(true);
    EXPECT_FALSE(
        bridge.RenderToDC(empty, dc, 0, 100, 0, 0, 2, 2, 0, 0, 2, 2, false, gsclNone, 0, 0));
    canvas.LoadDIBinDC(false);
}
