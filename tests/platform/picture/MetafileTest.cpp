#include "platform/gdi/DeviceContext.h"
#include "platform/picture/Metafile.h"
#include "platform/picture/Picture.h"

#include "MetafileScenes.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <functional>
#include <limits>
#include <tuple>

using namespace picture;
using namespace metafiles;

namespace {

std::span<const std::uint8_t> span(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())};
}

Metafile parsed(const QByteArray& bytes, std::int32_t width = 0, std::int32_t height = 0)
{
    auto result = Metafile::parse(span(bytes), width, height);
    if (!result)
        ADD_FAILURE() << result.error().text.toStdString();
    return result ? result.value() : Metafile::parse(span(wmfShapes())).value();
}

// A WMF of a window 0..100 × 0..100 shown at 100 × 100 pixels, with the given records before a
// final full-size blue rectangle; what stops early leaves the rectangle out.
QByteArray wmfWithRecords(const std::function<void(WmfWriter&)>& records)
{
    WmfWriter w;
    w.record(SETWINDOWEXT, {100, 100});
    w.pen(5, 0, 0);
    w.record(SELECTOBJECT, {0});
    records(w);
    w.brush(0, rgb(0, 0, 255));
    w.record(SELECTOBJECT, {1});
    w.record(RECTANGLE, {100, 100, 0, 0});
    return w.placeable(0, 0, 100, 100, 96);
}

QRgb pixelOf(const QImage& image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000u;
}

}  // namespace

TEST(Metafile, ReadsSizesFromEveryHeader)
{
    // Placeable: the box in units of `inch` to the inch.
    const Metafile wmf = parsed(wmfShapes());
    EXPECT_EQ(wmf.kind(), MetafileKind::Wmf);
    EXPECT_EQ(wmf.widthHimetric(), 5080);  // 2000 units at 1000 to the inch
    EXPECT_EQ(wmf.heightHimetric(), 3810);
    EXPECT_EQ(wmf.pixelWidth(), 192);
    EXPECT_EQ(wmf.pixelHeight(), 144);

    // EMF: the frame in HIMETRIC.
    const Metafile emf = parsed(emfShapes());
    EXPECT_EQ(emf.kind(), MetafileKind::Emf);
    EXPECT_EQ(emf.pixelWidth(), 200);
    EXPECT_EQ(emf.pixelHeight(), 150);

    // Without the placeable header the caller's size counts and the window is the frame.
    WmfWriter bare;
    bare.record(SETWINDOWORG, {10, 20});
    bare.record(SETWINDOWEXT, {300, 400});
    const Metafile sized = parsed(bare.bare(), 2540, 1270);
    EXPECT_EQ(sized.pixelWidth(), 96);
    EXPECT_EQ(sized.pixelHeight(), 48);
    EXPECT_EQ(sized.logicalFrame(), QRectF(20, 10, 400, 300));
    // ... and without a size either, the window counts as pixels.
    EXPECT_EQ(parsed(bare.bare()).pixelWidth(), 400);

    // What is no metafile, or has no size at all, is refused.
    EXPECT_FALSE(Metafile::parse(span(QByteArray("BM\0\0\0\0", 6))).ok());
    EXPECT_FALSE(Metafile::parse(span(WmfWriter().bare())).ok());
    QByteArray emptyFrame = emfShapes();
    for (int at = 8; at < 40; ++at)
        emptyFrame[at] = at >= 16 && at < 24 ? char(0xFF) : 0;  // bounds end before they start
    EXPECT_FALSE(Metafile::parse(span(emptyFrame)).ok());
    QByteArray cutHeader = emfShapes().left(60);
    EXPECT_FALSE(Metafile::parse(span(cutHeader)).ok());
}

TEST(Metafile, MapsTheFrameOntoAnyTarget)
{
    // The same picture at twice its size: the rectangle's corner moves with it.
    const Metafile wmf = parsed(wmfWithRecords([](WmfWriter&) {}));
    const QImage small = wmf.render(50, 50);
    const QImage large = wmf.render(200, 100);
    EXPECT_EQ(pixelOf(small, 25, 25), qRgb(0, 0, 255));
    EXPECT_EQ(pixelOf(large, 190, 90), qRgb(0, 0, 255));

    // A y-up metric mode with the origin moved to the bottom: the shape stands on the bottom.
    const QImage mapped = parsed(emfMapping()).render(200, 150, qRgba(255, 255, 255, 255));
    // 30..230 tenths of a millimetre across (11..87 px), 30..350 up from the bottom (12..132 px).
    EXPECT_EQ(pixelOf(mapped, 15, 130), qRgb(200, 0, 200));
    EXPECT_EQ(pixelOf(mapped, 15, 145), qRgb(255, 255, 255));
    EXPECT_EQ(pixelOf(mapped, 15, 10), qRgb(255, 255, 255));
    // The anisotropic window puts the ellipse's centre at (150, 37).
    EXPECT_EQ(pixelOf(mapped, 150, 37), qRgb(0, 160, 160));
}

TEST(Metafile, HatchesShowTheBackgroundColourWhenOpaque)
{
    for (const bool opaque : {true, false}) {
        WmfWriter w;
        w.record(SETWINDOWEXT, {100, 100});
        w.record(SETBKMODE, {opaque ? 2 : 1});
        w.colourRecord(0x0201, rgb(255, 255, 0));  // background colour
        w.pen(5, 0, 0);
        w.brush(2, rgb(0, 0, 255), 5);  // diagonal cross hatch
        w.record(SELECTOBJECT, {0});
        w.record(SELECTOBJECT, {1});
        w.record(RECTANGLE, {100, 100, 0, 0});
        const QImage image = parsed(w.placeable(0, 0, 100, 100, 96)).render(100, 100);
        int yellow = 0;
        int clear = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                yellow += pixelOf(image, x, y) == qRgb(255, 255, 0);
                clear += qAlpha(image.pixel(x, y)) == 0;
            }
        EXPECT_EQ(yellow > 1000, opaque);
        EXPECT_EQ(clear > 1000, !opaque);
    }
}

TEST(Metafile, ClipsSavesAndRestores)
{
    const QImage clipped = parsed(wmfClipping()).render(192, 144, qRgba(255, 255, 255, 255));
    EXPECT_EQ(pixelOf(clipped, 96, 30), qRgb(220, 0, 0));      // inside the clip
    EXPECT_EQ(pixelOf(clipped, 10, 72), qRgb(255, 255, 255));  // outside it
    EXPECT_EQ(pixelOf(clipped, 96, 72), qRgb(255, 255, 255));  // in the excluded hole
    EXPECT_EQ(pixelOf(clipped, 5, 140), qRgb(0, 0, 220));      // drawn after the restore

    // A region of two bars in device units clips what follows to exactly them.
    EmfWriter e;
    QByteArray region;
    for (int v : {32, 1, 2, 32, 10, 10, 90, 90, 10, 10, 30, 90, 70, 10, 90, 90})
        put32(region, v);
    QByteArray clip;
    put32(clip, region.size());
    put32(clip, 5);
    e.raw(EXTSELECTCLIPRGN, clip + region);
    e.record(CREATEBRUSHINDIRECT, {1, 0, rgb(0, 170, 0), 0});
    e.record(SELECTOBJECTEMF, {1});
    e.record(RECTANGLEEMF, {0, 0, 100, 100});
    const QImage bars = parsed(e.file(100, 100)).render(100, 100, qRgba(255, 255, 255, 255));
    EXPECT_EQ(pixelOf(bars, 20, 50), qRgb(0, 170, 0));
    EXPECT_EQ(pixelOf(bars, 80, 50), qRgb(0, 170, 0));
    EXPECT_EQ(pixelOf(bars, 50, 50), qRgb(255, 255, 255));
    EXPECT_EQ(pixelOf(bars, 20, 95), qRgb(255, 255, 255));

    // A WMF region of one scan with two bars, as a clip and filled.
    WmfWriter w;
    w.record(SETWINDOWEXT, {100, 100});
    w.record(0x06FF, {0, 6, 0, 0, 40, 1, 8, 10, 10, 90, 90, 4, 10, 90, 10, 30, 70, 90, 4});
    w.brush(0, rgb(0, 170, 0));
    w.pen(5, 0, 0);
    w.record(SELECTOBJECT, {1});
    w.record(SELECTOBJECT, {2});
    w.record(0x012C, {0});
    w.record(RECTANGLE, {100, 100, 0, 0});
    w.record(0x012C, {7});  // no such region: the clip is lifted
    w.brush(0, rgb(200, 0, 0));
    w.record(0x0228, {0, 3});
    const QImage wmfBars =
        parsed(w.placeable(0, 0, 100, 100, 96)).render(100, 100, qRgba(255, 255, 255, 255));
    EXPECT_EQ(pixelOf(wmfBars, 20, 50), qRgb(200, 0, 0));
    EXPECT_EQ(pixelOf(wmfBars, 50, 50), qRgb(255, 255, 255));
    EXPECT_EQ(pixelOf(wmfBars, 20, 95), qRgb(255, 255, 255));

    // The same region filled with a brush of its own, and painted with a stock grey brush.
    EmfWriter f;
    f.record(CREATEBRUSHINDIRECT, {1, 0, rgb(200, 0, 0), 0});
    QByteArray fill;
    for (int v : {0, 0, 0, 0})
        put32(fill, v);
    put32(fill, region.size());
    put32(fill, 1);
    f.raw(71, fill + region);
    f.record(SELECTOBJECTEMF, {0x80000003});  // dark grey
    QByteArray paint;
    for (int v : {0, 0, 0, 0})
        put32(paint, v);
    QByteArray strip;  // one rectangle, 10..30 × 90..100
    for (int v : {32, 1, 1, 16, 10, 90, 30, 100, 10, 90, 30, 100})
        put32(strip, v);
    put32(paint, strip.size());
    f.raw(74, paint + strip);
    const QImage filled = parsed(f.file(100, 100)).render(100, 100, qRgba(255, 255, 255, 255));
    EXPECT_EQ(pixelOf(filled, 80, 50), qRgb(200, 0, 0));
    EXPECT_EQ(pixelOf(filled, 50, 50), qRgb(255, 255, 255));
    EXPECT_EQ(pixelOf(filled, 20, 95), qRgb(64, 64, 64));  // the painted strip 10..30 x 90..100
}

TEST(Metafile, DamagedFilesDrawWhatCameBeforeTheDamage)
{
    // A record whose size runs past the end stops the playback: the shape before it stays.
    WmfWriter w;
    w.record(SETWINDOWEXT, {100, 100});
    w.brush(0, rgb(255, 0, 0));
    w.record(SELECTOBJECT, {0});
    w.record(RECTANGLE, {50, 50, 0, 0});
    QByteArray bytes = w.placeable(0, 0, 100, 100, 96);
    bytes.chop(6);  // no end record
    QByteArray overlong;
    put32(overlong, 0x7FFFFFFF);
    put16(overlong, 0x041B);
    bytes += overlong;
    const Metafile damaged = parsed(bytes);
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    EXPECT_FALSE(damaged.play(painter, QRectF(0, 0, 100, 100)));
    painter.end();
    EXPECT_EQ(pixelOf(image, 10, 10), qRgb(255, 0, 0));

    // An EMF record whose size is not a multiple of four, or zero, stops too.
    QByteArray emf = emfShapes();
    emf[88 + 4] = 3;
    EXPECT_FALSE(parsed(emf).play(painter, QRectF()));

    // Text given as the writer's glyph numbers draws nothing rather than other glyphs.
    EmfWriter glyphs;
    glyphs.record(SETBKMODEEMF, {1});
    glyphs.textOut(0, 0, QStringLiteral("\x24\x25\x26"));
    QByteArray asGlyphs = glyphs.file(100, 40);
    const auto optionsAt = asGlyphs.indexOf(QByteArray("\x4C\0\0\0", 4)) + 4;  // after offString
    asGlyphs[optionsAt] = 0x10;
    const QImage none = parsed(asGlyphs).render(100, 40);
    bool anyDrawn = false;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            anyDrawn = anyDrawn || qAlpha(none.pixel(x, y)) != 0;
    EXPECT_FALSE(anyDrawn);

    // Records too short for their parameters are passed over.
    const QImage shortRecords = parsed(wmfWithRecords([](WmfWriter& w) {
                                    w.record(RECTANGLE, {1});
                                    w.raw(0x0324, QByteArray("\xFF\xFF", 2));
                                    w.raw(0x0538, QByteArray("\xFF\xFF\x01\x00", 4));
                                    w.raw(0x0A32, QByteArray("\0\0\0\0\xFF\xFF\x06\0", 8));
                                    w.raw(0x0F43, QByteArray(22, '\x7F'));
                                })).render(100, 100);
    EXPECT_EQ(pixelOf(shortRecords, 50, 50), qRgb(0, 0, 255));
}

TEST(Metafile, HostileSizesAndDepthsAreBounded)
{
    // A huge picture renders only at a size the raster limits allow.
    const Metafile huge = parsed(wmfWithRecords([](WmfWriter&) {}));
    EXPECT_TRUE(huge.render(1 << 21, 10).isNull());
    EXPECT_TRUE(huge.render(0, 10).isNull());

    // A bitmap whose header claims a million by a million pixels is not allocated.
    QByteArray dib = packedDib24(1, 1, {rgb(255, 0, 0)});
    dib[4] = 0x40, dib[5] = 0x42, dib[6] = 0x0F;  // width 1,000,000
    dib[8] = 0x40, dib[9] = 0x42, dib[10] = 0x0F;
    const QImage withBitmap = parsed(wmfWithRecords([&](WmfWriter& w) {
                                  w.stretchDib(0, 0, 100, 100, 1000000 & 0x7FFF, 1, dib);
                              })).render(100, 100);
    EXPECT_EQ(pixelOf(withBitmap, 50, 50), qRgb(0, 0, 255));

    // Deep save stacks and clip after clip: bounded, quick, and the picture still draws.
    const QImage deep = parsed(wmfWithRecords([](WmfWriter& w) {
                            for (int i = 0; i < 20000; ++i) {
                                w.record(SAVEDC, {});
                                w.record(EXCLUDECLIPRECT, {i % 97 + 1, i % 89 + 1, i % 97, i % 89});
                            }
                            for (int i = 0; i < 20000; ++i)
                                w.record(RESTOREDC, {0xFFFF});
                        })).render(100, 100);
    EXPECT_FALSE(deep.isNull());

    // Object numbers far past anything created select nothing and do not allocate.
    EmfWriter e;
    e.record(SELECTOBJECTEMF, {0x7FFFFFFF});
    e.record(CREATEBRUSHINDIRECT, {0xFFFFFFF0, 0, rgb(1, 2, 3), 0});
    e.record(SELECTOBJECTEMF, {0xFFFFFFF0 & 0x7FFFFFFF});
    e.record(RECTANGLEEMF, {0, 0, 10, 10});
    EXPECT_FALSE(parsed(e.file(10, 10)).render(10, 10).isNull());

    // Thousands of full-size shaded triangles and masked blits: those past a budget of
    // pixels computed one by one are left out, so the picture stays quick to draw.
    EmfWriter shaded;
    std::vector<EmfWriter::Vertex> corners = {
        {0, 0, 255, 0, 0}, {400, 0, 0, 255, 0}, {0, 400, 0, 0, 255}};
    std::vector<int> triangles;
    for (int i = 0; i < 3000; ++i)
        triangles.insert(triangles.end(), {0, 1, 2});
    shaded.gradient(2, corners, triangles);
    for (int i = 0; i < 1000; ++i)
        shaded.stretchDiBits(0, 0, 400, 400, 1, 1, packedDib24(1, 1, {rgb(255, 255, 255)}),
                             0x008800C6);
    QElapsedTimer clock;
    clock.start();
    const QImage many = parsed(shaded.file(400, 400)).render(400, 400);
    EXPECT_LT(clock.elapsed(), 20000);
    EXPECT_GT(qRed(many.pixel(5, 5)), 240);  // the first triangles are drawn
    EXPECT_LT(qGreen(many.pixel(5, 5)), 10);

    // A non-finite or absurd world transform is not taken.
    EmfWriter t;
    QByteArray xform;
    for (float v : {std::numeric_limits<float>::infinity(), 0.f, 0.f, 1.f, 0.f, 0.f})
        putFloat(xform, v);
    t.raw(35, xform);
    t.record(CREATEBRUSHINDIRECT, {1, 0, rgb(0, 0, 255), 0});
    t.record(SELECTOBJECTEMF, {1});
    t.record(RECTANGLEEMF, {0, 0, 10, 10});
    EXPECT_EQ(pixelOf(parsed(t.file(10, 10)).render(10, 10), 5, 5), qRgb(0, 0, 255));
}

TEST(Metafile, PlaysEmfPlusOnlyFilesFromTheirPlusRecords)
{
    const QImage image = parsed(emfPlusOnly()).render(200, 150, qRgba(255, 255, 255, 255));
    EXPECT_EQ(pixelOf(image, 50, 30), qRgb(0x20, 0x60, 0xC0));   // a filled rectangle
    EXPECT_EQ(pixelOf(image, 150, 40), qRgb(0xE0, 0xA0, 0x00));  // the ellipse
    EXPECT_EQ(pixelOf(image, 150, 91), qRgb(0, 0, 0));           // the pen's peak
}

TEST(Metafile, EmfPlusPathsImagesTransformsAndClips)
{
    QByteArray records;
    QByteArray header;
    for (std::int64_t v : {0xDBC01002ll, 0ll, 96ll, 96ll})
        put32(header, v);
    records += plusRecord(0x4001, 0, header);
    // Path object 0: a closed triangle of float points.
    QByteArray path;
    put32(path, 0xDBC01002);
    put32(path, 3);
    put32(path, 0);
    for (float v : {10.f, 90.f, 50.f, 10.f, 90.f, 90.f})
        putFloat(path, v);
    path += QByteArray("\x00\x01\x81\x00", 4);  // start, line, line closing the figure
    records += plusRecord(0x4008, 0x0300, path);
    // Image object 1: a 2 x 2 PNG.
    QImage tiny(2, 2, QImage::Format_RGB32);
    tiny.fill(qRgb(255, 0, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    tiny.save(&buffer, "PNG");
    QByteArray image;
    for (std::int64_t v : {0xDBC01002ll, 1ll, 2ll, 2ll, 8ll, 0x0026200All, 1ll})
        put32(image, v);
    records += plusRecord(0x4008, 0x0501, image + png);
    // The page in pixels; the world moved 100 to the right for the image.
    QByteArray page;
    putFloat(page, 1);
    records += plusRecord(0x4030, 2, page);
    QByteArray fill;
    put32(fill, 0xFF00A000);
    records += plusRecord(0x4014, 0x8000, fill);  // fill path 0 in green
    QByteArray move;
    putFloat(move, 100);
    putFloat(move, 0);
    records += plusRecord(0x402D, 0, move);
    QByteArray clip;
    for (float v : {0.f, 0.f, 40.f, 100.f})
        putFloat(clip, v);
    records += plusRecord(0x4032, 0x0100, clip);  // intersect: only x 100..140 stays
    QByteArray draw;
    put32(draw, 0);
    put32(draw, 2);  // source unit: pixels
    for (float v : {0.f, 0.f, 2.f, 2.f, 0.f, 0.f, 80.f, 80.f})
        putFloat(draw, v);
    records += plusRecord(0x401A, 1, draw);
    EmfWriter e;
    e.plus(records);
    const QImage out = parsed(e.file(200, 100)).render(200, 100, qRgba(255, 255, 255, 255));
    EXPECT_EQ(pixelOf(out, 50, 60), qRgb(0, 0xA0, 0));      // inside the triangle
    EXPECT_EQ(pixelOf(out, 15, 20), qRgb(255, 255, 255));   // outside it
    EXPECT_EQ(pixelOf(out, 120, 40), qRgb(255, 0, 0));      // the image, clipped...
    EXPECT_EQ(pixelOf(out, 160, 40), qRgb(255, 255, 255));  // ...to its first 40 pixels
}

TEST(PictureLoader, LoadsMetafilesAsPicturesThatDrawAtAnySize)
{
    auto wmf = loadPicture(span(wmfShapes()));
    ASSERT_TRUE(wmf.has_value());
    EXPECT_EQ(wmf->Type(), PICTYPE_METAFILE);
    EXPECT_EQ(wmf->Width(), 5080);
    EXPECT_EQ(wmf->Height(), 3810);
    EXPECT_TRUE(wmf->image().isNull());  // kept as records, not pixels

    auto emf = loadPicture(span(emfShapes()));
    ASSERT_TRUE(emf.has_value());
    EXPECT_EQ(emf->Type(), PICTYPE_ENHMETAFILE);

    // Rendered into a bottom-up context at twice the size, the right way up.
    gdi::DeviceContext dc;
    gdi::Bitmap target = gdi::Bitmap::createDIBSection(400, 300);
    dc.selectBitmap(target);
    ASSERT_TRUE(emf->Render(dc, 0, 0, 400, 300, 0, emf->Height(), emf->Width(), -emf->Height()));
    const QImage drawn = dc.bitmap().image().mirrored(false, true);
    EXPECT_EQ(pixelOf(drawn, 100, 80), qRgb(0, 120, 255));  // the blue rectangle, top left
    EXPECT_EQ(qAlpha(drawn.pixel(395, 5)), 0);              // untouched

    // A bare WMF has no size of its own: the loader refuses it, as does a damaged header.
    EXPECT_FALSE(loadPicture(span(WmfWriter().bare())).has_value());
    EXPECT_FALSE(loadPicture(span(emfShapes().left(50))).has_value());

    // Handles: a picture of the matching type only.
    const Metafile handle = parsed(emfShapes());
    EXPECT_TRUE(pictureFromMetafile(handle, PICTYPE_ENHMETAFILE).has_value());
    EXPECT_FALSE(pictureFromMetafile(handle, PICTYPE_METAFILE).has_value());
}

namespace {

QImage renderedOnWhite(const QByteArray& bytes, int width, int height)
{
    return parsed(bytes).render(width, height, qRgba(255, 255, 255, 255));
}

// Each channel within a few levels.
bool near(QRgb a, QRgb b, int tolerance = 8)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

constexpr std::uint32_t EXTCREATEPEN = 95;
constexpr std::uint32_t Geometric = 0x10000;

}  // namespace

TEST(Metafile, ExtendedPensDrawWithTheirWidthStyleCapsAndBrush)
{
    // A red disc outlined by a geometric black pen 8 wide.
    EmfWriter disc;
    disc.record(EXTCREATEPEN, {1, 0, 0, 0, 0, Geometric, 8, 0, rgb(0, 0, 0), 0, 0});
    disc.record(CREATEBRUSHINDIRECT, {2, 0, rgb(255, 0, 0), 0});
    disc.record(SELECTOBJECTEMF, {1});
    disc.record(SELECTOBJECTEMF, {2});
    disc.record(ELLIPSEEMF, {10, 10, 90, 90});
    const QImage outlined = renderedOnWhite(disc.file(100, 100), 100, 100);
    EXPECT_EQ(pixelOf(outlined, 50, 50), qRgb(255, 0, 0));
    EXPECT_EQ(pixelOf(outlined, 11, 50), qRgb(0, 0, 0));
    EXPECT_EQ(pixelOf(outlined, 3, 50), qRgb(255, 255, 255));

    // A user style of 10 on, 10 off with flat caps, 6 wide, in a hatched green brush of
    // vertical lines: dashes and gaps where the array puts them.
    EmfWriter dashed;
    dashed.record(EXTCREATEPEN,
                  {1, 0, 0, 0, 0, Geometric | 0x200 | 7, 6, 0, rgb(0, 128, 0), 0, 2, 10, 10});
    dashed.record(SELECTOBJECTEMF, {1});
    dashed.record(MOVETOEX, {0, 20});
    dashed.record(LINETOEMF, {100, 20});
    // Square caps reach half the width past the line's end; flat ones stop at it.
    dashed.record(EXTCREATEPEN, {2, 0, 0, 0, 0, Geometric | 0x100, 10, 0, rgb(0, 0, 255), 0, 0});
    dashed.record(SELECTOBJECTEMF, {2});
    dashed.record(MOVETOEX, {20, 60});
    dashed.record(LINETOEMF, {60, 60});
    dashed.record(EXTCREATEPEN, {3, 0, 0, 0, 0, Geometric | 0x200, 10, 2, rgb(0, 0, 255), 1, 0});
    dashed.record(SELECTOBJECTEMF, {3});
    dashed.record(MOVETOEX, {20, 85});
    dashed.record(LINETOEMF, {60, 85});
    // The null brush makes the pen draw nothing.
    dashed.record(EXTCREATEPEN, {4, 0, 0, 0, 0, Geometric, 10, 1, rgb(255, 0, 0), 0, 0});
    dashed.record(SELECTOBJECTEMF, {4});
    dashed.record(MOVETOEX, {70, 40});
    dashed.record(LINETOEMF, {70, 95});
    const QImage lines = renderedOnWhite(dashed.file(100, 100), 100, 100);
    EXPECT_EQ(pixelOf(lines, 5, 20), qRgb(0, 128, 0));
    EXPECT_EQ(pixelOf(lines, 15, 20), qRgb(255, 255, 255));
    EXPECT_EQ(pixelOf(lines, 25, 20), qRgb(0, 128, 0));
    EXPECT_EQ(pixelOf(lines, 63, 60), qRgb(0, 0, 255));
    EXPECT_EQ(pixelOf(lines, 63, 85), qRgb(255, 255, 255));
    int hatchGaps = 0;  // a hatched pen leaves gaps along its stroke
    for (int x = 22; x < 58; ++x)
        hatchGaps += pixelOf(lines, x, 85) == qRgb(255, 255, 255);
    EXPECT_GT(hatchGaps, 10);
    EXPECT_LT(hatchGaps, 36);
    EXPECT_EQ(pixelOf(lines, 70, 70), qRgb(255, 255, 255));

    // A sharp miter join reaches its tip under the default limit of 10, and is cut off (bevelled)
    // under a limit of 1.
    const auto joined = [](int limit) {
        EmfWriter e;
        if (limit)
            e.record(58, {limit});
        e.record(EXTCREATEPEN, {1, 0, 0, 0, 0, Geometric | 0x2000 | 0x200, 8, 0, 0, 0, 0});
        e.record(SELECTOBJECTEMF, {1});
        e.points(EPOLYLINE, {{20, 90}, {50, 20}, {80, 90}});
        return renderedOnWhite(e.file(100, 100), 100, 100);
    };
    EXPECT_EQ(pixelOf(joined(0), 50, 13), qRgb(0, 0, 0));
    EXPECT_EQ(pixelOf(joined(1), 50, 13), qRgb(255, 255, 255));
}

TEST(Metafile, BlitsComputeTheirRasterOperation)
{
    const QByteArray checker =
        packedDib24(2, 1, {rgb(255, 255, 255), rgb(0, 0, 0)});  // white left, black right
    struct Case {
        std::uint32_t operation;
        QRgb left;   // where the source is white (or over the left half)
        QRgb right;  // where it is black
        bool source;
    };
    // Over a red rectangle, with a blue brush selected.
    const Case cases[] = {
        {0x00AA0029, qRgb(255, 0, 0), qRgb(255, 0, 0), false},          // leaves the destination
        {0x00F00021, qRgb(0, 0, 255), qRgb(0, 0, 255), false},          // PATCOPY
        {0x005A0049, qRgb(255, 0, 255), qRgb(255, 0, 255), false},      // PATINVERT
        {0x00550009, qRgb(0, 255, 255), qRgb(0, 255, 255), false},      // DSTINVERT
        {0x00000042, qRgb(0, 0, 0), qRgb(0, 0, 0), false},              // BLACKNESS
        {0x00FF0062, qRgb(255, 255, 255), qRgb(255, 255, 255), false},  // WHITENESS
        {0x000F0001, qRgb(255, 255, 0), qRgb(255, 255, 0), false},      // NOT pattern
        {0x00A000C9, qRgb(0, 0, 0), qRgb(0, 0, 0), false},              // pattern AND dest
        {0x008800C6, qRgb(255, 0, 0), qRgb(0, 0, 0), true},             // SRCAND
        {0x00EE0086, qRgb(255, 255, 255), qRgb(255, 0, 0), true},       // SRCPAINT
        {0x00660046, qRgb(0, 255, 255), qRgb(255, 0, 0), true},         // SRCINVERT
        {0x00C000CA, qRgb(0, 0, 255), qRgb(0, 0, 0), true},             // MERGECOPY
        {0x00330008, qRgb(0, 0, 0), qRgb(255, 255, 255), true},         // NOTSRCCOPY
        {0x00BB0226, qRgb(255, 0, 0), qRgb(255, 255, 255), true},       // MERGEPAINT
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        EmfWriter e;
        e.record(CREATEPEN, {1, 5, 0, 0, 0});
        e.record(SELECTOBJECTEMF, {1});
        e.record(CREATEBRUSHINDIRECT, {2, 0, rgb(255, 0, 0), 0});
        e.record(SELECTOBJECTEMF, {2});
        e.record(RECTANGLEEMF, {0, 0, 100, 100});
        e.record(CREATEBRUSHINDIRECT, {3, 0, rgb(0, 0, 255), 0});
        e.record(SELECTOBJECTEMF, {3});
        if (c.source)
            e.stretchDiBits(0, 0, 100, 100, 2, 1, checker, c.operation);
        else
            e.bitBlt(0, 0, 100, 100, c.operation);
        const QImage image = renderedOnWhite(e.file(100, 100), 100, 100);
        EXPECT_EQ(pixelOf(image, 25, 50), c.left);
        EXPECT_EQ(pixelOf(image, 75, 50), c.right);
    }

    // A WMF blit without a bitmap has a reserved word before its rectangle.
    WmfWriter w;
    w.record(SETWINDOWEXT, {100, 100});
    w.brush(0, rgb(0, 160, 0));
    w.record(SELECTOBJECT, {0});
    w.record(0x0940, {0x0021, 0x00F0, 0, 0, 0, 40, 50, 10, 20});  // PATCOPY 50 × 40 at (20, 10)
    const QImage wmf =
        parsed(w.placeable(0, 0, 100, 100, 96)).render(100, 100, qRgba(255, 255, 255, 255));
    EXPECT_EQ(pixelOf(wmf, 25, 15), qRgb(0, 160, 0));
    EXPECT_EQ(pixelOf(wmf, 65, 45), qRgb(0, 160, 0));
    EXPECT_EQ(pixelOf(wmf, 75, 15), qRgb(255, 255, 255));
    EXPECT_EQ(pixelOf(wmf, 25, 55), qRgb(255, 255, 255));
}

TEST(Metafile, PlaysTextPixelGradientPolyDrawAndArcRecords)
{
    EmfWriter e;
    e.record(SETBKMODEEMF, {1});
    e.font(1, -30, 700, QStringLiteral("Liberation Sans"));
    e.record(SELECTOBJECTEMF, {1});
    e.record(SETTEXTALIGNEMF, {0});
    e.smallText(4, 0, "MMM");
    e.polyText({{4, 40}, {64, 40}}, QStringLiteral("MM"));
    // A pixel, gradients across a rectangle and over a triangle.
    e.record(15, {150, 10, rgb(255, 0, 255)});
    // The second rectangle names a vertex past the table and is passed over.
    e.gradient(0, {{100, 100, 255, 0, 0}, {200, 120, 0, 0, 255}}, {0, 1, 0, 9});
    e.gradient(2, {{100, 130, 255, 0, 0}, {200, 130, 0, 255, 0}, {150, 190, 0, 0, 255}}, {0, 1, 2});
    // PolyDraw: a closed triangle's outline from a move; AngleArc: a line to the arc, then a
    // half circle anticlockwise over the top.
    e.record(CREATEPEN, {2, 0, 3, 0, rgb(0, 0, 0)});
    e.record(SELECTOBJECTEMF, {2});
    e.polyDraw({{10, 190}, {50, 110}, {90, 190}}, QByteArray("\x06\x02\x03", 3));
    e.record(MOVETOEX, {210, 60});
    e.angleArc(250, 60, 30, 0, 180);
    const QImage image = renderedOnWhite(e.file(300, 200), 300, 200);
    const auto darkIn = [&](const QRect& area) {
        int dark = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 100;
        return dark;
    };
    EXPECT_GT(darkIn(QRect(4, 0, 70, 32)), 100);   // the small text
    EXPECT_GT(darkIn(QRect(4, 40, 40, 32)), 60);   // the first polygonal string
    EXPECT_GT(darkIn(QRect(64, 40, 40, 32)), 60);  // and the second
    EXPECT_EQ(pixelOf(image, 150, 10), qRgb(255, 0, 255));
    EXPECT_TRUE(near(pixelOf(image, 101, 110), qRgb(252, 0, 3)));
    EXPECT_TRUE(near(pixelOf(image, 198, 110), qRgb(3, 0, 252)));
    EXPECT_TRUE(near(pixelOf(image, 150, 110), qRgb(128, 0, 128), 12));
    EXPECT_TRUE(near(pixelOf(image, 150, 150), qRgb(85, 85, 85), 30));  // the triangle's middle
    EXPECT_EQ(pixelOf(image, 110, 185), qRgb(255, 255, 255));           // outside it
    EXPECT_EQ(pixelOf(image, 50, 190), qRgb(0, 0, 0));                  // the closing edge
    EXPECT_EQ(pixelOf(image, 50, 150), qRgb(255, 255, 255));
    EXPECT_EQ(pixelOf(image, 250, 30), qRgb(0, 0, 0));  // the arc's top
    EXPECT_EQ(pixelOf(image, 250, 90), qRgb(255, 255, 255));
    EXPECT_EQ(pixelOf(image, 215, 60), qRgb(0, 0, 0));  // the line to its start
}

TEST(Metafile, BitmapsFollowTheStretchModeAndPatternsTheBrushOrigin)
{
    const QByteArray bars = packedDib24(2, 1, {rgb(0, 0, 0), rgb(255, 255, 255)});
    const auto stretched = [&](int mode) {
        EmfWriter e;
        if (mode)
            e.record(21, {mode});
        e.stretchDiBits(0, 0, 100, 10, 2, 1, bars);
        return renderedOnWhite(e.file(100, 10), 100, 10);
    };
    for (const int mode : {0, 1, 3}) {  // the default, BLACKONWHITE and COLORONCOLOR
        const QImage crisp = stretched(mode);
        EXPECT_EQ(pixelOf(crisp, 48, 5), qRgb(0, 0, 0));
        EXPECT_EQ(pixelOf(crisp, 52, 5), qRgb(255, 255, 255));
    }
    const QImage smooth = stretched(4);  // HALFTONE
    EXPECT_NE(pixelOf(smooth, 48, 5), qRgb(0, 0, 0));

    // A hatched pattern starts at the brush origin: moved by its period it is the same.
    const auto hatched = [](int originY) {
        EmfWriter e;
        e.record(13, {0, originY});
        e.record(CREATEBRUSHINDIRECT, {1, 2, rgb(0, 0, 0), 0});  // horizontal lines
        e.record(SELECTOBJECTEMF, {1});
        e.bitBlt(0, 0, 16, 16, 0x00F00021);
        return renderedOnWhite(e.file(16, 16), 16, 16);
    };
    EXPECT_NE(hatched(0), hatched(3));
    EXPECT_EQ(hatched(0), hatched(8));
}

TEST(Metafile, DualFilesPlayTheirPlusRecordsWhenTheirOwnDrawNothing)
{
    const auto dual = [](bool gdiDraws) {
        QByteArray records = plusOpening(true);
        records += plusFillRects(0xFF2060C0, {10, 10, 80, 80});
        records += plusRecord(0x4002, 0, {});
        EmfWriter e;
        e.plus(records);
        if (gdiDraws) {
            e.record(CREATEBRUSHINDIRECT, {1, 0, rgb(200, 0, 0), 0});
            e.record(SELECTOBJECTEMF, {1});
            e.record(RECTANGLEEMF, {0, 0, 100, 100});
        }
        e.bitBlt(0, 0, 100, 100, 0x00AA0029);  // the closing blit that leaves everything
        return renderedOnWhite(e.file(100, 100), 100, 100);
    };
    EXPECT_EQ(pixelOf(dual(false), 50, 50), qRgb(0x20, 0x60, 0xC0));
    EXPECT_EQ(pixelOf(dual(true), 50, 50), qRgb(200, 0, 0));
}

namespace {

// The highest resident size the process has had, in kilobytes.
long peakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QByteArray worldTransform(std::initializer_list<float> values)
{
    QByteArray xform;
    for (const float v : values)
        putFloat(xform, v);
    return xform;
}

}  // namespace

TEST(Metafile, ClipsUnderAnEnormousShearStayWithinTheDevice)
{
    // A clip rectangle under a world transform, then a red fill of the whole picture.
    const auto clippedFill = [](std::initializer_list<float> world, bool exclude, int width) {
        EmfWriter e;
        e.raw(35, worldTransform(world));
        e.record(exclude ? 29u : std::uint32_t(INTERSECTCLIPRECTEMF), {0, 0, width, 100});
        e.record(MODIFYWORLDTRANSFORM, {0, 0, 0, 0, 0, 0, 1});  // back to the identity
        e.record(CREATEBRUSHINDIRECT, {1, 0, rgb(200, 0, 0), 0});
        e.record(SELECTOBJECTEMF, {1});
        e.record(RECTANGLEEMF, {0, 0, 100, 100});
        return renderedOnWhite(e.file(100, 100), 100, 100);
    };
    // A shear that sends the rectangle millions of pixels past the picture: the clip's region
    // ends at the device, so playing takes neither time nor memory.
    const long before = peakResidentKb();
    QElapsedTimer clock;
    clock.start();
    for (const float shear : {3e4f, 5e8f})
        for (const bool exclude : {false, true}) {
            SCOPED_TRACE(shear);
            const QImage image = clippedFill({1, shear, 0, 1, 0, 0}, exclude, 100);
            // y' = shear·x + y: only the first column's sliver of the rectangle stays on the page.
            EXPECT_EQ(pixelOf(image, 50, 50), exclude ? qRgb(200, 0, 0) : qRgb(255, 255, 255));
        }
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_LT(peakResidentKb() - before, 200 * 1024);

    // A modest shear keeps the clip's exact shape: x' = x + 2y over 0..20 × 0..100.
    const QImage slanted = clippedFill({1, 0, 2, 1, 0, 0}, false, 20);
    EXPECT_EQ(pixelOf(slanted, 10, 2), qRgb(200, 0, 0));
    EXPECT_EQ(pixelOf(slanted, 95, 45), qRgb(200, 0, 0));
    EXPECT_EQ(pixelOf(slanted, 10, 50), qRgb(255, 255, 255));
}

TEST(Metafile, ObjectsTheRecordsMakeStayWithinABudget)
{
    // Two thousand pattern brushes, each a 4096 × 1024 run-length bitmap of two bytes that
    // decodes to 16 MiB: those past the budget of kept objects hold nothing, and the rectangle
    // after them still draws.
    QByteArray info;
    for (std::int64_t v : {40, 4096, 1024})
        put32(info, v);
    put16(info, 1);
    put16(info, 8);
    put32(info, 1);  // BI_RLE8
    for (int i = 0; i < 5; ++i)
        put32(info, 0);
    EmfWriter e;
    for (std::int64_t brush = 1; brush <= 2000; ++brush) {
        QByteArray fields;
        for (std::int64_t v : {brush, std::int64_t(0), std::int64_t(32), std::int64_t(40),
                               std::int64_t(72), std::int64_t(2)})
            put32(fields, v);
        e.raw(94, fields + info + QByteArray("\x00\x01", 2));  // the end of the bitmap at once
    }
    e.record(CREATEBRUSHINDIRECT, {3000, 0, rgb(0, 0, 220), 0});
    e.record(SELECTOBJECTEMF, {3000});
    e.record(RECTANGLEEMF, {0, 0, 100, 100});
    const long before = peakResidentKb();
    QElapsedTimer clock;
    clock.start();
    const QImage image = renderedOnWhite(e.file(100, 100), 100, 100);
    EXPECT_LT(clock.elapsed(), 20000);
    EXPECT_LT(peakResidentKb() - before, 700 * 1024);
    EXPECT_EQ(pixelOf(image, 50, 50), qRgb(0, 0, 220));
}

TEST(Metafile, RecordBitmapsAreReadAtTheirOwnOffsets)
{
    // Markers drawn as a plot program draws them: the marker by SRCINVERT, its mask (black where
    // the marker is) by SRCAND, the marker again by SRCINVERT. Each info block is padded past its
    // header and colour table, and the bits come after the padding.
    const QByteArray marker = packedDib24(2, 2, {rgb(0, 0, 220), 0, 0, 0});
    const QByteArray mask = packedDib1({"01", "11"}, rgb(0, 0, 0), rgb(255, 255, 255));
    const QByteArray padding(24, '\0');
    EmfWriter e;
    for (const auto& [dib, header, operation] :
         {std::tuple(marker, 40, 0x00660046u), std::tuple(mask, 48, 0x008800C6u),
          std::tuple(marker, 40, 0x00660046u)})
        e.stretchDiBits(20, 20, 40, 40, 2, 2, dib.left(header) + padding, dib.mid(header),
                        operation);
    const QImage markers = renderedOnWhite(e.file(100, 100), 100, 100);
    EXPECT_EQ(pixelOf(markers, 30, 30), qRgb(0, 0, 220));      // the marker's quarter
    EXPECT_EQ(pixelOf(markers, 50, 30), qRgb(255, 255, 255));  // the rest of its box
    EXPECT_EQ(pixelOf(markers, 30, 50), qRgb(255, 255, 255));
    EXPECT_EQ(pixelOf(markers, 10, 10), qRgb(255, 255, 255));

    // A WMF bitmap whose colour table holds palette indices (two bytes each): its rows start
    // after them, and the indices take the default palette's black and white.
    QByteArray indexed = packedDib1({"11110000", "00001111"}, 0, 0);
    indexed.remove(40, 8);
    indexed.insert(40, QByteArray("\x00\x00\x13\x00", 4));
    WmfWriter w;
    w.record(SETWINDOWEXT, {2, 8});
    QByteArray p;
    put32(p, 0x00CC0020);
    put16(p, 1);  // colour usage: palette indices
    for (int v : {2, 8, 0, 0, 2, 8, 0, 0})
        put16(p, v);
    w.raw(0x0F43, p + indexed);
    const QImage rows = renderedOnWhite(w.placeable(0, 0, 8, 2, 96), 80, 20);
    EXPECT_EQ(pixelOf(rows, 5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(pixelOf(rows, 75, 5), qRgb(0, 0, 0));
    EXPECT_EQ(pixelOf(rows, 5, 15), qRgb(0, 0, 0));
    EXPECT_EQ(pixelOf(rows, 75, 15), qRgb(255, 255, 255));

    // SETDIBITSTODEVICE in two bands of a 4 × 8 bitmap, each record holding only its rows (from
    // the bottom): the lower band red, the upper blue, and neither paints the other's rows.
    EmfWriter bands;
    for (const auto& [first, colour] :
         {std::pair(0, rgb(220, 0, 0)), std::pair(4, rgb(0, 0, 220))}) {
        const QByteArray band = packedDib24(4, 4, std::vector<std::uint32_t>(16, colour));
        QByteArray info = band.left(40);
        info[8] = 8;  // the whole bitmap's height
        QByteArray fields;
        for (std::int64_t v : {0, 0, 0, 0, 0, 0, 0, 0, 4, 8, 76, 40, 116})
            put32(fields, v);
        for (std::int64_t v : {std::int64_t(band.size() - 40), std::int64_t(0), std::int64_t(first),
                               std::int64_t(4)})
            put32(fields, v);
        bands.raw(80, fields + info + band.mid(40));
    }
    const QImage banded = renderedOnWhite(bands.file(4, 8), 4, 8);
    EXPECT_EQ(pixelOf(banded, 1, 1), qRgb(0, 0, 220));
    EXPECT_EQ(pixelOf(banded, 1, 6), qRgb(220, 0, 0));
}

TEST(Metafile, MonochromeBrushesWithoutColoursTakeTheTextAndBackgroundColours)
{
    // A recorder's CREATEMONOBRUSH: palette indices, a 40-byte info block with no colour table,
    // then 8 rows of bits alternating all 0 (the text colour) and all 1 (the background colour).
    QByteArray info = packedDib1({"00000000"}, 0, 0).left(40);
    info[4] = 8;
    info[8] = 8;
    QByteArray bits;
    for (int row = 0; row < 8; ++row)
        put32(bits, row % 2 ? 0 : 0xFF);
    QByteArray brush;
    for (std::int64_t v : {std::int64_t(1), std::int64_t(1), std::int64_t(32), std::int64_t(40),
                           std::int64_t(72), std::int64_t(bits.size())})
        put32(brush, v);
    EmfWriter e;
    e.raw(93, brush + info + bits);
    e.record(SETTEXTCOLOREMF, {rgb(220, 0, 0)});
    e.record(25, {rgb(0, 0, 220)});  // the background colour
    e.record(SELECTOBJECTEMF, {1});
    e.bitBlt(0, 0, 16, 16, 0x00F00021);  // PATCOPY
    const QImage filled = renderedOnWhite(e.file(16, 16), 16, 16);
    for (int y = 0; y < 16; ++y) {
        SCOPED_TRACE(y);
        // Bottom-up rows: the file's first row (background) is the pattern's last.
        EXPECT_EQ(pixelOf(filled, 3, y), y % 2 ? qRgb(0, 0, 220) : qRgb(220, 0, 0));
    }
}
