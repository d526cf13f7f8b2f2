// The drawings the fidelity tests play and compare with reference renders made from the same
// bytes by an independent renderer (tests/data/metafiles/<name>.png).
#pragma once

#include "MetafileBuilder.h"

#include <QByteArray>
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
    QByteArray records;
    QByteArray header;
    put32(header, 0xDBC01002);
    put32(header, 0);
    put32(header, 96);
    put32(header, 96);
    records += plusRecord(0x4001, 0, header);  // EMF+ only: the dual flag is clear
    QByteArray page;
    putFloat(page, 1);
    records += plusRecord(0x4030, 2, page);  // unit: pixels
    QByteArray rects;
    put32(rects, 0xFF2060C0);
    put32(rects, 2);
    for (float v : {10.f, 10.f, 80.f, 50.f, 10.f, 80.f, 80.f, 60.f})
        putFloat(rects, v);
    records += plusRecord(0x400A, 0x8000, rects);
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
        {"emfplus-only", emfPlusOnly},
    };
    return all;
}

}  // namespace metafiles
