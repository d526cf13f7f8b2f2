// The drawings the fidelity tests play and compare with reference renders made from the same
// bytes by an independent renderer (tests/data/metafiles/<name>.png).
#pragma once

#include "MetafileBuilder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QRgb>
#include <QString>
#include <utility>
#include <vector>

namespace metafiles {

enum Wmf : int {
    SETBKMODE = 0x0102,
    SETMAPMODE = 0x0103,
    SETSTRETCHBLTMODE = 0x0107,
    SETTEXTALIGN = 0x012E,
    SAVEDC = 0x001E,
    RESTOREDC = 0x0127,
    SELECTOBJECT = 0x012D,
    DELETEOBJECT = 0x01F0,
    SETTEXTCOLOR = 0x0209,
    SETWINDOWORG = 0x020B,
    SETWINDOWEXT = 0x020C,
    LINETO = 0x0213,
    MOVETO = 0x0214,
    POLYGON = 0x0324,
    POLYLINE = 0x0325,
    EXCLUDECLIPRECT = 0x0415,
    INTERSECTCLIPRECT = 0x0416,
    ELLIPSE = 0x0418,
    RECTANGLE = 0x041B,
    PIE = 0x081A,
};

// Shapes, fills and lines, in an anisotropic window of 2000 × 1500 units (192 × 144 pixels).
inline QByteArray wmfShapes()
{
    WmfWriter w;
    w.record(SETMAPMODE, {8});
    w.record(SETWINDOWORG, {0, 0});
    w.record(SETWINDOWEXT, {1500, 2000});
    w.brush(0, rgb(255, 255, 0));
    w.pen(0, 30, rgb(0, 0, 128));
    w.record(SELECTOBJECT, {0});
    w.record(SELECTOBJECT, {1});
    w.record(RECTANGLE, {700, 900, 100, 100});
    w.brush(0, rgb(255, 0, 0));
    w.record(SELECTOBJECT, {2});
    w.record(ELLIPSE, {700, 1900, 100, 1000});
    w.brush(0, rgb(0, 160, 0));
    w.record(SELECTOBJECT, {3});
    w.points(POLYGON, {{100, 1400}, {500, 800}, {900, 1400}});
    w.record(PIE, {1200, 1950, 800, 1950, 1200, 1950, 800, 1550});
    w.pen(0, 60, rgb(0, 0, 0));
    w.record(SELECTOBJECT, {4});
    w.points(POLYLINE, {{1000, 1450}, {1300, 900}, {1500, 1450}});
    w.record(MOVETO, {50, 50});
    w.record(LINETO, {50, 1950});
    return w.placeable(0, 0, 2000, 1500, 1000);
}

// Text and a bitmap inside, on a window of 2000 × 1500 units.
inline QByteArray wmfTextAndBitmap()
{
    WmfWriter w;
    w.record(SETMAPMODE, {8});
    w.record(SETWINDOWORG, {0, 0});
    w.record(SETWINDOWEXT, {1500, 2000});
    w.record(SETBKMODE, {1});
    w.font(-300, 700, "Liberation Sans");
    w.record(SELECTOBJECT, {0});
    w.colourRecord(SETTEXTCOLOR, rgb(0, 0, 200));
    w.record(SETTEXTALIGN, {0});
    w.textOut(100, 100, "Scrivet");
    const QByteArray dib =
        packedDib24(2, 2, {rgb(255, 0, 0), rgb(0, 200, 0), rgb(0, 0, 255), rgb(255, 255, 0)});
    w.record(SETSTRETCHBLTMODE, {4});  // HALFTONE: interpolated, as the reference shows it
    w.stretchDib(1000, 600, 800, 800, 2, 2, dib);
    return w.placeable(0, 0, 2000, 1500, 1000);
}

// A clip rectangle with a hole, saved and restored.
inline QByteArray wmfClipping()
{
    WmfWriter w;
    w.record(SETMAPMODE, {8});
    w.record(SETWINDOWORG, {0, 0});
    w.record(SETWINDOWEXT, {1500, 2000});
    w.pen(5, 0, 0);
    w.record(SELECTOBJECT, {0});
    w.brush(0, rgb(220, 0, 0));
    w.record(SELECTOBJECT, {1});
    w.record(SAVEDC, {});
    w.record(INTERSECTCLIPRECT, {1200, 1800, 200, 200});
    w.record(EXCLUDECLIPRECT, {900, 1200, 600, 800});
    w.record(ELLIPSE, {1500, 2000, 0, 0});
    w.record(RESTOREDC, {0xFFFF});
    w.brush(0, rgb(0, 0, 220));
    w.record(SELECTOBJECT, {2});
    w.record(RECTANGLE, {1500, 2000, 1350, 0});
    return w.placeable(0, 0, 2000, 1500, 1000);
}

enum Emf : std::uint32_t {
    POLYBEZIER = 2,
    EPOLYGON = 3,
    EPOLYLINE = 4,
    SETWINDOWEXTEX = 9,
    SETWINDOWORGEX = 10,
    SETVIEWPORTEXTEX = 11,
    SETVIEWPORTORGEX = 12,
    SETMAPMODEEMF = 17,
    SETBKMODEEMF = 18,
    SETTEXTALIGNEMF = 22,
    SETTEXTCOLOREMF = 24,
    INTERSECTCLIPRECTEMF = 30,
    SAVEDCEMF = 33,
    RESTOREDCEMF = 34,
    MODIFYWORLDTRANSFORM = 36,
    SELECTOBJECTEMF = 37,
    CREATEPEN = 38,
    CREATEBRUSHINDIRECT = 39,
    ELLIPSEEMF = 42,
    RECTANGLEEMF = 43,
    ROUNDRECT = 44,
    BEGINPATH = 59,
    ENDPATH = 60,
    CLOSEFIGURE = 61,
    FILLPATH = 62,
    EXTSELECTCLIPRGN = 75,
    MOVETOEX = 27,
    LINETOEMF = 54,
};

// Shapes in device pixels (200 × 150), a Bézier curve, a path and a round rectangle.
inline QByteArray emfShapes()
{
    EmfWriter e;
    e.record(CREATEPEN, {1, 0, 4, 0, rgb(0, 0, 0)});
    e.record(CREATEBRUSHINDIRECT, {2, 0, rgb(0, 120, 255), 0});
    e.record(SELECTOBJECTEMF, {1});
    e.record(SELECTOBJECTEMF, {2});
    e.record(RECTANGLEEMF, {10, 10, 90, 70});
    e.record(CREATEBRUSHINDIRECT, {3, 0, rgb(255, 128, 0), 0});
    e.record(SELECTOBJECTEMF, {3});
    e.record(ELLIPSEEMF, {110, 10, 190, 70});
    e.record(ROUNDRECT, {10, 85, 90, 140, 12, 12});
    e.points(POLYBEZIER, {{110, 140}, {120, 80}, {180, 80}, {190, 140}});
    e.record(CREATEBRUSHINDIRECT, {4, 0, rgb(0, 150, 0), 0});
    e.record(SELECTOBJECTEMF, {4});
    e.record(BEGINPATH, {});
    e.record(MOVETOEX, {130, 135});
    e.record(LINETOEMF, {150, 100});
    e.record(LINETOEMF, {170, 135});
    e.record(CLOSEFIGURE, {});
    e.record(ENDPATH, {});
    e.record(FILLPATH, {0, 0, 0, 0});
    return e.file(200, 150);
}

// Mapping modes: a y-up metric mode, an anisotropic window and a rotated world transform.
inline QByteArray emfMapping()
{
    EmfWriter e;
    e.record(CREATEBRUSHINDIRECT, {1, 0, rgb(200, 0, 200), 0});
    e.record(SELECTOBJECTEMF, {1});
    e.record(SAVEDCEMF, {});
    e.record(SETMAPMODEEMF, {2});          // tenths of a millimetre, y up
    e.record(SETVIEWPORTORGEX, {0, 150});  // the origin at the bottom left
    e.record(RECTANGLEEMF, {30, 350, 230, 30});
    e.record(RESTOREDCEMF, {-1});
    e.record(SAVEDCEMF, {});
    e.record(SETMAPMODEEMF, {8});
    e.record(SETWINDOWORGEX, {0, 0});
    e.record(SETWINDOWEXTEX, {1000, 1000});
    e.record(SETVIEWPORTORGEX, {100, 0});
    e.record(SETVIEWPORTEXTEX, {100, 75});
    e.record(CREATEBRUSHINDIRECT, {2, 0, rgb(0, 160, 160), 0});
    e.record(SELECTOBJECTEMF, {2});
    e.record(ELLIPSEEMF, {100, 100, 900, 900});
    e.record(RESTOREDCEMF, {-1});
    // Rotated 30 degrees about (150, 110).
    QByteArray xform;
    for (float v : {0.8660254f, 0.5f, -0.5f, 0.8660254f, 150.0f, 110.0f})
        putFloat(xform, v);
    put32(xform, 4);
    e.raw(MODIFYWORLDTRANSFORM, xform);
    e.record(CREATEBRUSHINDIRECT, {3, 0, rgb(90, 90, 90), 0});
    e.record(SELECTOBJECTEMF, {3});
    e.record(RECTANGLEEMF, {-30, -12, 30, 12});
    return e.file(200, 150);
}

// Text, a bitmap and a clip rectangle.
inline QByteArray emfTextClipBitmap()
{
    EmfWriter e;
    e.record(SETBKMODEEMF, {1});
    e.font(1, -28, 400, QStringLiteral("Liberation Serif"));
    e.record(SELECTOBJECTEMF, {1});
    e.record(SETTEXTCOLOREMF, {rgb(160, 0, 0)});
    e.record(SETTEXTALIGNEMF, {0});
    e.textOut(8, 4, QStringLiteral("Metafile"));
    const QByteArray dib =
        packedDib24(2, 2, {rgb(0, 0, 0), rgb(255, 255, 255), rgb(255, 255, 255), rgb(0, 0, 0)});
    e.stretchDiBits(130, 10, 60, 60, 2, 2, dib);
    e.record(SAVEDCEMF, {});
    e.record(INTERSECTCLIPRECTEMF, {10, 50, 110, 140});
    e.record(CREATEBRUSHINDIRECT, {2, 0, rgb(0, 100, 200), 0});
    e.record(SELECTOBJECTEMF, {2});
    e.record(ELLIPSEEMF, {0, 40, 120, 160});
    e.record(RESTOREDCEMF, {-1});
    return e.file(200, 150);
}

// A file of EMF+ records only: solid fills of rectangles and an ellipse, a pen's lines, a path.
inline QByteArray emfPlusOnly()
{
    QByteArray records = plusOpening(false);  // EMF+ only: the dual flag is clear
    records += plusFillRects(0xFF2060C0, {10, 10, 80, 50, 10, 80, 80, 60});
    QByteArray ellipse;
    put32(ellipse, 0xFFE0A000);
    for (float v : {110.f, 10.f, 80.f, 60.f})
        putFloat(ellipse, v);
    records += plusRecord(0x400E, 0x8000, ellipse);
    QByteArray pen;
    put32(pen, 0xDBC01002);
    put32(pen, 0);
    put32(pen, 0);  // no optional fields
    put32(pen, 0);
    putFloat(pen, 5);
    put32(pen, 0xDBC01002);
    put32(pen, 0);
    put32(pen, 0xFF000000);
    records += plusRecord(0x4008, 0x0200 | 1, pen);
    QByteArray lines;
    put32(lines, 3);
    for (float v : {110.f, 140.f, 150.f, 90.f, 190.f, 140.f})
        putFloat(lines, v);
    records += plusRecord(0x400D, 1, lines);
    records += plusRecord(0x4002, 0, {});
    EmfWriter e;
    e.plus(records);
    return e.file(200, 150);
}

// The records no other program at hand writes: extended pens of a hatched brush, a dash array
// and the alternate style; small and polygonal text; gradients; pixels; poly-draw in both
// widths; an angle arc; pattern brushes (monochrome and colour) from a brush origin; blits by
// raster operation with and without a bitmap; the stretch mode; and a closing blit that
// leaves everything as it is.
inline QByteArray emfRecords()
{
    constexpr std::uint32_t EXTCREATEPEN = 95;
    constexpr std::uint32_t Geometric = 0x10000;
    EmfWriter e;
    e.record(CREATEBRUSHINDIRECT, {1, 0, rgb(230, 40, 40), 0});
    e.record(SELECTOBJECTEMF, {1});
    e.record(EXTCREATEPEN, {2, 0, 0, 0, 0, Geometric | 7, 5, 0, rgb(0, 0, 0), 0, 2, 12, 6});
    e.record(SELECTOBJECTEMF, {2});
    e.record(ELLIPSEEMF, {10, 10, 70, 70});
    e.record(EXTCREATEPEN, {3, 0, 0, 0, 0, Geometric | 0x200, 8, 2, rgb(0, 0, 160), 4, 0});
    e.record(SELECTOBJECTEMF, {3});
    e.record(MOVETOEX, {80, 15});
    e.record(LINETOEMF, {105, 65});
    e.record(EXTCREATEPEN, {4, 0, 0, 0, 0, 8, 1, 0, rgb(0, 0, 0), 0, 0});
    e.record(SELECTOBJECTEMF, {4});
    e.record(MOVETOEX, {10, 76});
    e.record(LINETOEMF, {105, 76});
    e.record(SETBKMODEEMF, {1});
    e.font(5, -16, 700, QStringLiteral("Liberation Sans"));
    e.record(SELECTOBJECTEMF, {5});
    e.record(SETTEXTALIGNEMF, {0});
    e.record(SETTEXTCOLOREMF, {rgb(0, 90, 0)});
    e.smallText(112, 4, "Small");
    e.polyText({{112, 24}, {160, 24}}, QStringLiteral("Poly"));
    e.gradient(0, {{112, 46, 255, 0, 0}, {192, 62, 0, 0, 255}}, {0, 1});
    e.gradient(2, {{112, 100, 255, 200, 0}, {192, 100, 0, 160, 0}, {152, 66, 0, 0, 255}},
               {0, 1, 2});
    for (int x = 10; x < 100; x += 3)
        e.record(15, {x, 80, rgb(200, 0, 200)});
    e.record(CREATEPEN, {6, 0, 2, 0, rgb(120, 60, 0)});
    e.record(SELECTOBJECTEMF, {6});
    e.polyDraw({{12, 110}, {30, 84}, {50, 84}, {60, 110}, {40, 110}}, "\x06\x04\x04\x04\x03");
    e.polyDraw({{70, 86}, {100, 86}, {100, 110}}, "\x06\x02\x02", true);
    e.record(MOVETOEX, {110, 130});
    e.angleArc(150, 130, 16, 180, -270);
    // Pattern brushes from a moved origin, and blits by their operation.
    e.record(13, {3, 3});
    e.record(CREATEBRUSHINDIRECT, {7, 2, rgb(0, 0, 0), 5});
    e.record(SELECTOBJECTEMF, {7});
    e.record(SETBKMODEEMF, {2});
    e.bitBlt(10, 118, 30, 26, 0x00F00021);
    const QByteArray mono = packedDib1({"11110000", "11110000", "11110000", "11110000", "00001111",
                                        "00001111", "00001111", "00001111"},
                                       rgb(0, 0, 0), rgb(255, 255, 255));
    QByteArray monoBrush;
    for (std::int64_t v : std::initializer_list<std::int64_t>{8, 0, 32, 48, 80, mono.size() - 48})
        put32(monoBrush, v);
    e.raw(93, monoBrush + mono);
    e.record(SETTEXTCOLOREMF, {rgb(0, 120, 200)});
    e.record(0x19, {rgb(255, 255, 200)});  // background colour
    e.record(SELECTOBJECTEMF, {8});
    e.bitBlt(44, 118, 30, 26, 0x00F00021);
    const QByteArray colours =
        packedDib24(2, 2, {rgb(255, 0, 0), rgb(255, 255, 255), rgb(255, 255, 255), rgb(0, 0, 255)});
    QByteArray dibBrush;
    for (std::int64_t v :
         std::initializer_list<std::int64_t>{9, 0, 32, 40, 72, colours.size() - 40})
        put32(dibBrush, v);
    e.raw(94, dibBrush + colours);
    e.record(SELECTOBJECTEMF, {9});
    e.record(CREATEPEN, {10, 5, 0, 0, 0});
    e.record(SELECTOBJECTEMF, {10});
    e.record(RECTANGLEEMF, {78, 118, 104, 144});
    e.bitBlt(40, 40, 30, 20, 0x00550009);  // DSTINVERT over a corner of the disc
    e.record(21, {3});                     // COLORONCOLOR
    const QByteArray mask =
        packedDib24(2, 2, {rgb(255, 255, 255), rgb(0, 0, 0), rgb(0, 0, 0), rgb(255, 255, 255)});
    e.stretchDiBits(172, 110, 24, 34, 2, 2, mask, 0x008800C6);  // SRCAND
    e.bitBlt(0, 0, 200, 150, 0x00AA0029);
    return e.file(200, 150);
}

// A dual file whose own records draw nothing but a blit that leaves everything: only its EMF+
// records draw.
inline QByteArray emfPlusDual()
{
    QByteArray records = plusOpening(true);
    records += plusFillRects(0xFF2060C0, {10, 10, 120, 80});
    QByteArray ellipse;
    put32(ellipse, 0xFFE0A000);
    for (float v : {100.f, 60.f, 90.f, 80.f})
        putFloat(ellipse, v);
    records += plusRecord(0x400E, 0x8000, ellipse);
    records += plusRecord(0x4002, 0, {});
    EmfWriter e;
    e.plus(records);
    e.bitBlt(0, 0, 200, 150, 0x00AA0029);
    return e.file(200, 150);
}

// The EMF+ records no program at hand writes: polygons filled with a colour (16-bit points)
// and with a brush object, a bitmap of 32-bit pixels placed by its rectangle (16-bit) and
// smoothed, and a string from its layout rectangle's top left.
inline QByteArray emfPlusRecords()
{
    const auto data = [](std::initializer_list<std::int64_t> words,
                         std::initializer_list<float> reals) {
        QByteArray out;
        for (std::int64_t v : words)
            put32(out, v);
        for (float v : reals)
            putFloat(out, v);
        return out;
    };
    constexpr std::int64_t Version = 0xDBC01002;
    QByteArray records = plusRecord(0x4001, 0, data({Version, 0, 96, 96}, {}));
    records += plusRecord(0x4030, 2, data({}, {1}));
    QByteArray triangle = data({0xFF20A040, 3}, {});
    for (int v : {10, 60, 60, 60, 35, 10})
        put16(triangle, v);
    records += plusRecord(0x400C, 0x8000 | 0x4000, triangle);
    records += plusRecord(0x4008, 0x0100, data({Version, 0, 0xFFD02020}, {}));  // brush 0
    records += plusRecord(0x400C, 0, data({0, 4}, {70, 10, 110, 10, 110, 50, 70, 50}));
    QByteArray bitmap = data({Version, 1, 2, 2, 8, 0x0026200A, 0}, {});  // ARGB pixels
    for (std::int64_t v : {0xFFFF0000, 0xFF0000FF, 0xFF0000FF, 0xFFFF0000})
        put32(bitmap, v);
    records += plusRecord(0x4008, 0x0500 | 1, bitmap);
    QByteArray image = data({0xFFFFFFFF, 2}, {0, 0, 2, 2});
    for (int v : {120, 10, 60, 40})
        put16(image, v);
    records += plusRecord(0x401A, 0x4000 | 1, image);
    const QString face = QStringLiteral("Liberation Sans");
    QByteArray font = data({Version}, {20});
    for (std::int64_t v : {std::int64_t(2), std::int64_t(1), std::int64_t(0),
                           std::int64_t(face.size())})  // pixels, bold
        put32(font, v);
    for (QChar c : face)
        put16(font, c.unicode());
    records += plusRecord(0x4008, 0x0600 | 2, font);
    const QString text = QStringLiteral("Scrivet");
    QByteArray string =
        data({0xFF002080, 0xFFFFFFFF, std::int64_t(text.size())}, {10, 80, 180, 40});
    for (QChar c : text)
        put16(string, c.unicode());
    records += plusRecord(0x401C, 0x8000 | 2, string);
    records += plusRecord(0x4002, 0, {});
    EmfWriter e;
    e.plus(records);
    return e.file(200, 150);
}

// WMF blits by operation with and without a bitmap, pixels and a pattern brush.
inline QByteArray wmfRecords()
{
    WmfWriter w;
    w.record(SETMAPMODE, {8});
    w.record(SETWINDOWORG, {0, 0});
    w.record(SETWINDOWEXT, {150, 200});
    w.brush(0, rgb(0, 150, 0));
    w.record(SELECTOBJECT, {0});
    w.record(0x0940, {0x0021, 0x00F0, 0, 0, 0, 60, 80, 10, 10});  // PATCOPY
    w.record(0x0940, {0x0009, 0x0055, 0, 0, 0, 30, 40, 40, 50});  // DSTINVERT
    w.record(0x061D, {0x0049, 0x005A, 40, 60, 80, 110});          // PATBLT PATINVERT
    for (int x = 10; x < 190; x += 4)
        w.record(0x041F, {0x00FF, 0x0000, 140, x});  // SETPIXEL, red
    w.record(SETSTRETCHBLTMODE, {3});
    const QByteArray dib =
        packedDib24(2, 2, {rgb(255, 255, 255), rgb(0, 0, 0), rgb(0, 0, 0), rgb(255, 255, 255)});
    QByteArray blt;
    for (int v : {0x0046, 0x0066, 2, 2, 0, 0, 60, 60, 20, 120})  // SRCINVERT
        put16(blt, v);
    w.raw(0x0B41, blt + dib);
    QByteArray pattern;
    put16(pattern, 5);
    put16(pattern, 0);
    w.raw(0x0142, pattern + packedDib24(2, 2,
                                        {rgb(200, 0, 0), rgb(255, 255, 255), rgb(255, 255, 255),
                                         rgb(200, 0, 0)}));
    w.pen(5, 0, 0);
    w.record(SELECTOBJECT, {1});
    w.record(SELECTOBJECT, {2});
    w.record(RECTANGLE, {130, 110, 90, 10});
    return w.placeable(0, 0, 200, 150, 96);
}

struct Scene {
    const char* name;
    QByteArray (*make)();
};

inline const std::vector<Scene>& scenes()
{
    static const std::vector<Scene> all = {
        {"wmf-shapes", wmfShapes},     {"wmf-text-bitmap", wmfTextAndBitmap},
        {"wmf-clipping", wmfClipping}, {"emf-shapes", emfShapes},
        {"emf-mapping", emfMapping},   {"emf-text-clip-bitmap", emfTextClipBitmap},
        {"emfplus-only", emfPlusOnly}, {"emfplus-dual", emfPlusDual},
    };
    return all;
}

// The other EMF records the player draws or keeps state from, one small drawing each.
inline QByteArray emfCoverage()
{
    EmfWriter e;
    const auto small = [&](std::uint32_t type, const std::vector<std::pair<int, int>>& pts) {
        QByteArray p;
        for (int i = 0; i < 4; ++i)
            put32(p, 0);
        put32(p, std::int64_t(pts.size()));
        for (const auto& [x, y] : pts) {
            put16(p, x);
            put16(p, y);
        }
        e.raw(type, p);
    };
    // Polygon sets: two figures of counts given before their points.
    const auto polyPoly = [&](std::uint32_t type,
                              const std::vector<std::vector<std::pair<int, int>>>& figures) {
        const bool narrow = type >= 90;
        QByteArray p;
        for (int i = 0; i < 4; ++i)
            put32(p, 0);
        std::int64_t total = 0;
        for (const auto& f : figures)
            total += std::int64_t(f.size());
        put32(p, std::int64_t(figures.size()));
        put32(p, total);
        for (const auto& f : figures)
            put32(p, std::int64_t(f.size()));
        for (const auto& f : figures)
            for (const auto& [x, y] : f) {
                if (narrow) {
                    put16(p, x);
                    put16(p, y);
                } else {
                    put32(p, x);
                    put32(p, y);
                }
            }
        e.raw(type, p);
    };
    e.record(49, {1, 0x300 | (1 << 16), 0});  // a palette takes slot 1
    e.record(CREATEPEN, {2, 0, 3, 0, rgb(200, 0, 0)});
    e.record(SELECTOBJECTEMF, {2});
    e.points(EPOLYLINE, {{5, 5}, {35, 5}});
    small(87, {{5, 12}, {35, 12}});
    polyPoly(7, {{{5, 19}, {15, 19}}, {{25, 19}, {35, 19}}});
    polyPoly(90, {{{5, 26}, {15, 26}}, {{25, 26}, {35, 26}}});
    e.record(CREATEPEN, {3, 5, 0, 0, 0});
    e.record(SELECTOBJECTEMF, {3});
    e.record(CREATEBRUSHINDIRECT, {4, 0, rgb(240, 140, 0), 0});
    e.record(SELECTOBJECTEMF, {4});
    polyPoly(8, {{{45, 5}, {55, 5}, {55, 15}, {45, 15}}, {{60, 5}, {70, 5}, {70, 15}, {60, 15}}});
    polyPoly(91,
             {{{45, 20}, {55, 20}, {55, 30}, {45, 30}}, {{60, 20}, {70, 20}, {70, 30}, {60, 30}}});
    small(86, {{80, 5}, {100, 5}, {90, 25}});
    e.record(SELECTOBJECTEMF, {2});
    e.record(MOVETOEX, {110, 5});
    small(89, {{140, 5}});
    small(85, {{110, 12}, {120, 12}, {130, 12}, {140, 12}});
    e.record(MOVETOEX, {110, 19});
    small(88, {{120, 19}, {130, 19}, {140, 19}});
    // Arcs, chords and pies, anticlockwise and then clockwise.
    e.record(SELECTOBJECTEMF, {3});
    e.record(47, {10, 40, 50, 80, 50, 60, 30, 40});
    e.record(57, {2});
    e.record(47, {60, 40, 100, 80, 100, 60, 80, 40});
    e.record(57, {1});
    e.record(46, {110, 40, 150, 80, 150, 60, 110, 60});
    e.record(SELECTOBJECTEMF, {2});
    e.record(45, {160, 40, 200, 80, 200, 60, 160, 60});
    e.record(MOVETOEX, {150, 100});
    e.record(55, {160, 84, 196, 120, 196, 102, 178, 84});
    // Transforms: a world scale, then a viewport scaled by two, each undone.
    e.record(SELECTOBJECTEMF, {3});
    e.record(SAVEDCEMF, {});
    QByteArray world;
    for (float v : {2.f, 0.f, 0.f, 2.f, 0.f, 0.f})
        putFloat(world, v);
    e.raw(35, world);
    e.record(RECTANGLEEMF, {5, 45, 10, 50});
    e.record(RESTOREDCEMF, {-1});
    e.record(SAVEDCEMF, {});
    e.record(SETMAPMODEEMF, {8});
    e.record(SETWINDOWEXTEX, {100, 100});
    e.record(SETVIEWPORTEXTEX, {100, 100});
    e.record(31, {2, 1, 2, 1});
    e.record(32, {1, 1, 1, 1});
    e.record(RECTANGLEEMF, {12, 45, 17, 50});
    e.record(RESTOREDCEMF, {-1});
    // Clips: a region moved and cut, then a path.
    QByteArray region;
    for (int v : {32, 1, 1, 16, 40, 85, 60, 105, 40, 85, 60, 105})
        put32(region, v);
    QByteArray clip;
    put32(clip, region.size());
    put32(clip, 5);
    e.raw(EXTSELECTCLIPRGN, clip + region);
    e.record(26, {20, 0});
    e.record(29, {60, 85, 65, 105});
    e.record(CREATEBRUSHINDIRECT, {5, 0, rgb(0, 150, 0), 0});
    e.record(SELECTOBJECTEMF, {5});
    e.record(RECTANGLEEMF, {30, 85, 90, 105});
    e.record(EXTSELECTCLIPRGN, {0, 5});
    e.record(BEGINPATH, {});
    e.record(RECTANGLEEMF, {95, 85, 115, 105});
    e.record(ENDPATH, {});
    e.record(67, {5});
    e.record(RECTANGLEEMF, {90, 80, 120, 110});
    e.record(EXTSELECTCLIPRGN, {0, 5});
    e.record(BEGINPATH, {});
    e.record(RECTANGLEEMF, {125, 85, 145, 105});
    e.record(68, {});
    e.record(FILLPATH, {0, 0, 0, 0});
    // Regions filled with their own brush and painted with the selected one.
    QByteArray strip;
    for (int v : {32, 1, 1, 16, 125, 110, 145, 125, 125, 110, 145, 125})
        put32(strip, v);
    QByteArray fill;
    for (int v : {0, 0, 0, 0})
        put32(fill, v);
    put32(fill, strip.size());
    put32(fill, 0x80000004);  // the black stock brush
    e.raw(71, fill + strip);
    QByteArray other = strip;
    for (const int at : {16, 24, 32, 40})
        other[at] = char(other[at] + 25);
    QByteArray paint;
    for (int v : {0, 0, 0, 0})
        put32(paint, v);
    put32(paint, other.size());
    e.raw(74, paint + other);
    // Bitmaps: stretched, set unscaled, and blended at half opacity.
    const QByteArray quad =
        packedDib24(2, 2, {rgb(255, 0, 0), rgb(0, 0, 255), rgb(0, 0, 255), rgb(255, 0, 0)});
    const auto blit = [&](std::uint32_t type, int x, int y, int w, int h, std::uint32_t op,
                          const QByteArray& dib, int srcW, int srcH) {
        QByteArray p;
        for (std::int64_t v : std::initializer_list<std::int64_t>{0, 0, 0, 0, x, y, w, h, op, 0, 0})
            put32(p, v);
        for (float v : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f})
            putFloat(p, v);
        for (std::int64_t v :
             std::initializer_list<std::int64_t>{0, 0, 108, 40, 148, dib.size() - 40, srcW, srcH})
            put32(p, v);
        e.raw(type, p + dib);
    };
    e.record(21, {3});
    blit(77, 5, 110, 30, 34, 0x00CC0020, quad, 2, 2);
    QByteArray set;
    for (std::int64_t v : std::initializer_list<std::int64_t>{0, 0, 0, 0, 40, 110, 0, 0, 2, 2, 76,
                                                              40, 116, quad.size() - 40, 0, 0, 2})
        put32(set, v);
    e.raw(80, set + quad);
    blit(114, 60, 110, 20, 20, 0x00800000, packedDib24(1, 1, {rgb(255, 0, 0)}), 1, 1);
    // ANSI polygonal text.
    e.record(SETBKMODEEMF, {1});
    e.font(6, -16, 700, QStringLiteral("Liberation Sans"));
    e.record(SELECTOBJECTEMF, {6});
    QByteArray text;
    for (int i = 0; i < 4; ++i)
        put32(text, 0);
    put32(text, 1);
    putFloat(text, 1);
    putFloat(text, 1);
    put32(text, 1);
    for (std::int64_t v : std::initializer_list<std::int64_t>{90, 128, 3, 80, 0, 0, 0, 0, 0, 0})
        put32(text, v);
    e.raw(96, text + "MMM");
    return e.file(200, 150);
}

// The other WMF records the player draws or keeps state from.
inline QByteArray wmfCoverage()
{
    WmfWriter w;
    w.record(SETMAPMODE, {8});
    w.record(SETWINDOWORG, {0, 0});
    w.record(SETWINDOWEXT, {150, 200});
    w.raw(0x00F7, QByteArray("\x00\x03\x01\x00\x00\x00\x00\x00", 8));  // palette: slot 0
    w.record(0x0035, {});                                              // realised
    w.raw(0x01F9, QByteArray(14, '\0'));                               // a bitmap brush: slot 1
    w.pen(0, 3, rgb(200, 0, 0));                                       // slot 2
    w.brush(0, rgb(240, 140, 0));                                      // slot 3
    w.record(SELECTOBJECT, {2});
    w.record(SELECTOBJECT, {3});
    w.record(0x061C, {30, 30, 40, 50, 10, 10});  // round rectangle 10..50 × 10..40
    w.record(0x0830,
             {20, 100, 20, 60, 40, 100, 0, 60});  // chord: the lower half of 60..100 × 0..40
    w.record(0x0817, {20, 150, 20, 110, 40, 150, 0, 110});  // arc under 110..150 × 0..40
    // The window moved and its extent halved: the next rectangle lands at twice its size.
    w.record(SAVEDC, {});
    w.record(0x020F, {0, -80});
    w.record(0x0410, {2, 1, 2, 1});
    w.record(RECTANGLE, {10, 10, 0, 0});  // 160..180 × 0..20
    w.record(RESTOREDC, {-1});
    // Regions: one selected as the clip and moved, one filled, one painted.
    w.record(0x06FF, {0, 6, 0, 0, 40, 1, 8, 10, 50, 40, 70, 2, 50, 70, 10, 40, 2});  // slot 4
    w.record(0x012C, {4});
    w.record(0x0220, {0, 10});  // moved 10 to the right: 20..50 × 50..70
    w.record(RECTANGLE, {80, 60, 40, 0});
    w.record(0x012C, {0xFFFF});
    w.record(0x06FF, {0, 6, 0, 0, 40, 1, 8, 10, 80, 40, 100, 2, 80, 100, 10, 40, 2});  // slot 5
    w.brush(0, rgb(0, 0, 200));                                                        // slot 6
    w.record(0x0228, {5, 6});
    w.record(0x06FF, {0, 6, 0, 0, 40, 1, 8, 60, 80, 90, 100, 2, 80, 100, 60, 90, 2});  // slot 7
    w.record(0x012B, {7});
    // Blits without a bitmap in the old form, and a bitmap set unscaled.
    w.record(0x0922, {0x0009, 0x0055, 0, 0, 0, 20, 20, 110, 110});        // DSTINVERT
    w.record(0x0B23, {0x0042, 0x0000, 0, 0, 0, 0, 0, 20, 20, 110, 140});  // BLACKNESS
    QByteArray set;
    for (int v : {0, 2, 0, 0, 0, 2, 2, 140, 10})
        put16(set, v);
    w.raw(
        0x0D33,
        set + packedDib24(2, 2, {rgb(255, 0, 0), rgb(0, 0, 255), rgb(0, 0, 255), rgb(255, 0, 0)}));
    // Text with a background colour filling its opaque box.
    w.colourRecord(0x0201, rgb(255, 255, 0));
    w.font(-16, 700, "Liberation Sans");  // slot 8
    w.record(SELECTOBJECT, {8});
    QByteArray text;
    for (int v : {120, 40, 3, 2, 40, 120, 100, 140})
        put16(text, v);
    w.raw(0x0A32, text + QByteArray("MMM\0", 4));
    return w.placeable(0, 0, 200, 150, 96);
}

// What a hand-made file (or one another program wrote) must show, derived from its records'
// definitions or its drawing calls rather than from another renderer (none at hand computes
// raster operations or draws these records right): at least `atLeast` pixels of an area within
// `tolerance` levels of a colour.
struct Expectation {
    QRect area;
    QRgb colour;
    int atLeast = 1;
    int tolerance = 8;
};

struct HandMade {
    const char* name;
    QByteArray (*make)();  // none for a file another program wrote
    std::vector<Expectation> expected;
};

inline const std::vector<HandMade>& handMade()
{
    const auto at = [](int x, int y, QRgb colour, int tolerance = 8) {
        return Expectation{QRect(x, y, 1, 1), colour, 1, tolerance};
    };
    static const std::vector<HandMade> all = {
        {"emf-records",
         emfRecords,
         {
             at(25, 40, qRgb(230, 40, 40)),                 // the disc
             at(55, 50, qRgb(25, 215, 215)),                // inverted by DSTINVERT
             {QRect(10, 10, 60, 60), qRgb(0, 0, 0), 100},   // its dashed outline
             {QRect(80, 15, 25, 50), qRgb(0, 0, 160), 50},  // the hatched pen
             at(10, 80, qRgb(200, 0, 200)),                 // set pixels
             at(13, 80, qRgb(200, 0, 200)),
             {QRect(112, 4, 48, 16), qRgb(0, 90, 0), 20, 40},   // small text
             {QRect(112, 24, 40, 16), qRgb(0, 90, 0), 20, 40},  // both polygonal strings
             {QRect(160, 24, 36, 16), qRgb(0, 90, 0), 20, 40},
             at(113, 54, qRgb(252, 0, 3), 10),  // the gradient across
             at(191, 54, qRgb(3, 0, 252), 10),
             at(152, 54, qRgb(128, 0, 128), 12),
             at(114, 99, qRgb(250, 197, 0), 12),  // the shaded triangle
             at(115, 70, qRgb(255, 255, 255)),
             at(36, 110, qRgb(120, 60, 0)),  // poly-draw's closing edge
             at(36, 100, qRgb(255, 255, 255)),
             at(85, 86, qRgb(120, 60, 0)),                 // its 16-bit lines
             at(120, 130, qRgb(120, 60, 0)),               // the angle arc's line
             at(150, 114, qRgb(120, 60, 0)),               // and its top
             {QRect(10, 118, 30, 26), qRgb(0, 0, 0), 80},  // the hatch blit
             {QRect(10, 118, 30, 26), qRgb(255, 255, 255), 80},
             // The monochrome brush from its origin (3, 3): 1 bits in the background colour,
             // 0 bits in the text colour.
             at(44, 118, qRgb(255, 255, 200)),
             at(48, 118, qRgb(0, 120, 200)),
             at(48, 122, qRgb(255, 255, 200)),
             {QRect(78, 118, 26, 26), qRgb(255, 0, 0), 100},  // the colour pattern brush
             {QRect(78, 118, 26, 26), qRgb(0, 0, 255), 100},
             at(178, 118, qRgb(255, 255, 255)),  // the SRCAND mask, crisp
             at(190, 118, qRgb(0, 0, 0)),
             at(178, 136, qRgb(0, 0, 0)),
             at(190, 136, qRgb(255, 255, 255)),
         }},
        {"emf-coverage",
         emfCoverage,
         {
             at(20, 5, qRgb(200, 0, 0)),  // polylines in both widths
             at(20, 12, qRgb(200, 0, 0)),
             at(10, 19, qRgb(200, 0, 0)),  // polyline sets
             at(20, 19, qRgb(255, 255, 255)),
             at(30, 26, qRgb(200, 0, 0)),
             at(50, 10, qRgb(240, 140, 0)),  // polygon sets
             at(65, 25, qRgb(240, 140, 0)),
             at(57, 10, qRgb(255, 255, 255)),
             at(90, 12, qRgb(240, 140, 0)),  // the 16-bit polygon
             at(125, 5, qRgb(200, 0, 0)),    // 16-bit line and Bézier runs
             at(125, 12, qRgb(200, 0, 0)),
             at(125, 19, qRgb(200, 0, 0)),
             at(38, 52, qRgb(240, 140, 0)),  // the anticlockwise pie's quarter
             at(22, 68, qRgb(255, 255, 255)),
             at(88, 52, qRgb(255, 255, 255)),  // the clockwise pie leaves that quarter
             at(72, 68, qRgb(240, 140, 0)),
             at(130, 50, qRgb(240, 140, 0)),  // the chord's upper half
             at(130, 70, qRgb(255, 255, 255)),
             at(180, 40, qRgb(200, 0, 0)),  // the arc over the top
             at(180, 78, qRgb(255, 255, 255)),
             at(155, 100, qRgb(200, 0, 0)),    // arc-to's line from the current position
             at(15, 95, qRgb(240, 140, 0)),    // drawn through the world transform
             at(29, 95, qRgb(240, 140, 0)),    // and through the scaled viewport
             at(70, 95, qRgb(0, 150, 0)),      // the moved region clip
             at(62, 95, qRgb(255, 255, 255)),  // less the excluded strip
             at(50, 95, qRgb(255, 255, 255)),
             at(105, 95, qRgb(0, 150, 0)),  // the path clip
             at(92, 95, qRgb(255, 255, 255)),
             at(135, 95, qRgb(255, 255, 255)),  // an aborted path fills nothing
             at(135, 118, qRgb(0, 0, 0)),       // a region filled with the black stock brush
             at(160, 118, qRgb(0, 150, 0)),     // and one painted with the selected brush
             at(12, 118, qRgb(255, 0, 0)),      // the stretched bitmap, crisp
             at(28, 118, qRgb(0, 0, 255)),
             at(40, 110, qRgb(255, 0, 0)),  // the bitmap set unscaled
             at(41, 110, qRgb(0, 0, 255)),
             at(70, 120, qRgb(255, 128, 128), 12),             // blended at half opacity
             {QRect(90, 128, 50, 20), qRgb(0, 0, 0), 30, 60},  // the ANSI text
         }},
        {"wmf-coverage",
         wmfCoverage,
         {
             at(30, 25, qRgb(240, 140, 0)),    // the round rectangle
             at(11, 11, qRgb(255, 255, 255)),  // rounded off at its corner
             at(80, 30, qRgb(240, 140, 0)),    // the chord's lower half
             at(80, 12, qRgb(255, 255, 255)),
             at(130, 39, qRgb(200, 0, 0)),    // the arc's bottom
             at(170, 10, qRgb(240, 140, 0)),  // the rectangle of the moved, scaled window
             at(190, 10, qRgb(255, 255, 255)),
             at(25, 60, qRgb(240, 140, 0)),  // clipped to the moved region
             at(15, 60, qRgb(255, 255, 255)),
             at(70, 60, qRgb(255, 255, 255)),
             at(15, 90, qRgb(0, 0, 200)),    // the filled region
             at(75, 90, qRgb(240, 140, 0)),  // and the painted one
             at(120, 120, qRgb(0, 0, 0)),    // DSTINVERT over white
             at(150, 120, qRgb(0, 0, 0)),    // BLACKNESS
             at(170, 120, qRgb(255, 255, 255)),
             at(10, 140, qRgb(255, 0, 0)),  // the bitmap set unscaled
             at(11, 140, qRgb(0, 0, 255)),
             {QRect(40, 120, 60, 20), qRgb(255, 255, 0), 100},  // the opaque text box
             {QRect(40, 120, 60, 20), qRgb(0, 0, 0), 30, 60},   // and its text
         }},
        {"emfplus-records",
         emfPlusRecords,
         {
             at(35, 45, qRgb(32, 160, 64)),  // the 16-bit triangle
             at(12, 15, qRgb(255, 255, 255)),
             at(90, 30, qRgb(208, 32, 32)),  // the polygon of a brush object
             at(122, 12, qRgb(255, 0, 0)),   // the bitmap's corners
             at(178, 12, qRgb(0, 0, 255)),
             at(122, 48, qRgb(0, 0, 255)),
             at(178, 48, qRgb(255, 0, 0)),
             at(150, 30, qRgb(128, 0, 128), 30),                  // smoothed between them
             {QRect(10, 80, 100, 26), qRgb(0, 32, 128), 30, 60},  // the string
         }},
        // Wine's GDI+ drawing (tools/gdiplus-drawing.c): what its calls define.
        {"wine-gdiplus",
         nullptr,
         {
             at(10, 25, qRgb(0, 0, 192)),  // the outlined rectangle
             at(8, 8, qRgb(0, 0, 192)),    // with mitred corners
             at(30, 25, qRgb(255, 255, 255)),
             at(50, 25, qRgb(0, 0, 192)),
             at(80, 30, qRgb(32, 160, 64)),  // the filled triangle
             at(62, 10, qRgb(255, 255, 255)),
             at(130, 5, qRgb(0, 0, 192)),  // the ellipse's outline
             at(130, 25, qRgb(255, 255, 255)),
             at(112, 7, qRgb(255, 255, 255)),
             at(175, 15, qRgb(208, 32, 32)),  // the path, filled down into its curve
             at(175, 32, qRgb(208, 32, 32)),
             at(160, 15, qRgb(0, 0, 192)),  // and outlined
             at(175, 42, qRgb(255, 255, 255)),
             at(12, 52, qRgb(255, 0, 0)),  // the bitmap, crisp
             at(28, 52, qRgb(255, 0, 0)),
             at(32, 52, qRgb(0, 0, 255)),
             at(28, 88, qRgb(0, 0, 255)),
             at(48, 88, qRgb(255, 0, 0)),
             at(62, 52, qRgb(0, 0, 255)),  // and mirrored by its three points
             at(78, 52, qRgb(0, 0, 255)),
             at(82, 52, qRgb(255, 0, 0)),
             at(65, 85, qRgb(255, 0, 0)),
             {QRect(112, 58, 60, 19), qRgb(0, 96, 0), 40, 60},  // the text above its baseline
             at(25, 110, qRgb(240, 144, 0)),  // translated and scaled twice across
             at(35, 110, qRgb(255, 255, 255)),
             at(45, 105, qRgb(128, 0, 160)),  // after the saved state's return
             at(85, 110, qRgb(0, 128, 128)),  // turned a quarter clockwise
             at(75, 110, qRgb(255, 255, 255)),
             at(85, 135, qRgb(0, 128, 128)),  // then moved down after it
             at(60, 110, qRgb(255, 255, 255)),
             at(130, 120, qRgb(64, 96, 160)),  // clipped to a rectangle
             at(105, 120, qRgb(255, 255, 255)),
             at(155, 120, qRgb(255, 255, 255)),
             at(180, 120, qRgb(64, 96, 160)),  // and to a path
             at(197, 120, qRgb(255, 255, 255)),
             at(105, 146, qRgb(0, 0, 0)),  // and no more
             at(152, 146, qRgb(0, 0, 0)),
         }},
        // Its drawing in millimetres: 1 mm is 96 / 25.4 pixels.
        {"wine-gdiplus-units",
         nullptr,
         {
             at(56, 38, qRgb(208, 32, 32)),  // 5..25 × 5..15 mm
             at(100, 38, qRgb(255, 255, 255)),
             at(56, 60, qRgb(255, 255, 255)),
             at(56, 73, qRgb(0, 0, 192)),  // a pen 2 mm wide about 20 mm
             at(56, 78, qRgb(0, 0, 192)),
             at(56, 94, qRgb(255, 255, 255)),
             at(113, 60, qRgb(32, 160, 64)),  // one 3 pixels wide at 30 mm
             at(117, 60, qRgb(255, 255, 255)),
             {QRect(138, 26, 30, 3), qRgb(0, 0, 0), 6, 60},  // the top of a 24-point H
         }},
        {"wmf-records",
         wmfRecords,
         {
             at(20, 20, qRgb(0, 150, 0)),        // PATCOPY without a bitmap
             at(70, 55, qRgb(255, 105, 255)),    // DSTINVERT over it
             at(140, 100, qRgb(255, 105, 255)),  // PATINVERT over white
             at(10, 140, qRgb(255, 0, 0)),       // set pixels
             at(135, 35, qRgb(0, 0, 0)),         // SRCINVERT over white
             at(165, 35, qRgb(255, 255, 255)),
             at(135, 65, qRgb(255, 255, 255)),
             at(165, 65, qRgb(0, 0, 0)),
             {QRect(10, 90, 100, 40), qRgb(200, 0, 0), 500},  // the pattern brush
             {QRect(10, 90, 100, 40), qRgb(255, 255, 255), 500},
         }},
    };
    return all;
}

// A document for printing: a line of text, an EMF and a WMF that each draw a filled shape and
// a word ("Emfword", "Wmfword"), and an opaque PNG of PngWidth × PngHeight pixels.
constexpr int PngWidth = 37;
constexpr int PngHeight = 23;

inline QString rtfWithPictures()
{
    EmfWriter e;
    e.record(CREATEBRUSHINDIRECT, {1, 0, rgb(0, 0, 0), 0});
    e.record(SELECTOBJECTEMF, {1});
    e.record(ELLIPSEEMF, {10, 10, 90, 70});
    e.record(SETBKMODEEMF, {1});
    e.font(2, -20, 400, QStringLiteral("Liberation Sans"));
    e.record(SELECTOBJECTEMF, {2});
    e.record(SETTEXTALIGNEMF, {0});
    e.textOut(100, 30, QStringLiteral("Emfword"));

    WmfWriter w;
    w.record(SETMAPMODE, {8});
    w.record(SETWINDOWORG, {0, 0});
    w.record(SETWINDOWEXT, {1500, 2000});
    w.brush(0, rgb(0, 0, 0));
    w.record(SELECTOBJECT, {0});
    w.record(RECTANGLE, {700, 900, 100, 100});
    w.record(SETBKMODE, {1});
    w.font(-300, 400, "Liberation Sans");
    w.record(SELECTOBJECT, {1});
    w.record(SETTEXTALIGN, {0});
    w.textOut(1000, 300, "Wmfword");

    QImage image(PngWidth, PngHeight, QImage::Format_RGB32);
    for (int y = 0; y < PngHeight; ++y)
        for (int x = 0; x < PngWidth; ++x)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");

    return QStringLiteral(
               "{\\rtf1{\\fonttbl{\\f0 Liberation Sans;}}\\f0\\fs24 Textword before "
               "the pictures.\\par "
               "{\\pict\\emfblip\\picwgoal2880\\pichgoal2160 %1}\\par "
               "{\\pict\\wmetafile8\\picwgoal2880\\pichgoal2160 %2}\\par "
               "{\\pict\\pngblip\\picw%3\\pich%4\\picwgoal1110\\pichgoal690 %5}"
               "\\par Textword after.}")
        .arg(QString::fromLatin1(e.file(200, 80).toHex()),
             QString::fromLatin1(w.placeable(0, 0, 2000, 1500, 1000).toHex()))
        .arg(PngWidth)
        .arg(PngHeight)
        .arg(QString::fromLatin1(png.toHex()));
}

}  // namespace metafiles
