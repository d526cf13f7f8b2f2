#include "platform/picture/MetafilePlayers.h"

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/CheckedSize.h"
#include "platform/picture/DibDecoder.h"
#include "platform/picture/RasterOperation.h"
#include "platform/runtime/Windows1252.h"

#include <QByteArray>
#include <bit>
#include <cmath>

namespace picture {
namespace {

enum EmfRecord : std::uint32_t {
    EMR_HEADER = 1,
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_SETBRUSHORGEX = 13,
    EMR_SETPIXELV = 15,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETSTRETCHBLTMODE = 21,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ANGLEARC = 41,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_CREATEPALETTE = 49,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_POLYDRAW = 56,
    EMR_SETARCDIRECTION = 57,
    EMR_SETMITERLIMIT = 58,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_FILLRGN = 71,
    EMR_PAINTRGN = 74,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_SETDIBITSTODEVICE = 80,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_POLYDRAW16 = 92,
    EMR_CREATEMONOBRUSH = 93,
    EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95,
    EMR_POLYTEXTOUTA = 96,
    EMR_POLYTEXTOUTW = 97,
    EMR_SMALLTEXTOUT = 108,
    EMR_ALPHABLEND = 114,
    EMR_GRADIENTFILL = 118,
};

constexpr std::uint32_t StockObjectFlag = 0x80000000u;
constexpr int ETO_GLYPH_INDEX = 0x10;
constexpr int ETO_NO_RECT = 0x100;
constexpr int ETO_SMALL_CHARS = 0x200;
constexpr int ETO_PDY = 0x2000;
// A user-styled pen of more dashes than this is taken for damage.
constexpr std::uint32_t MaxPenDashes = 64;
constexpr std::uint32_t SRCCOPY = 0x00CC0020;
// A transform past this scale or offset is taken for damage, not drawn.
constexpr double MaxTransformValue = 1e9;

// One record, read by byte offset from its start; a field past its end reads as absent.
class Record {
public:
    explicit Record(std::span<const std::uint8_t> data) : m_reader(data) {}
    std::size_t size() const { return m_reader.size(); }
    bool has(std::size_t bytes) const { return m_reader.size() >= bytes; }
    std::int32_t i32(std::size_t at) const { return m_reader.i32leAt(at).valueOr(0); }
    std::uint32_t u32(std::size_t at) const { return m_reader.u32leAt(at).valueOr(0); }
    std::int16_t i16(std::size_t at) const { return m_reader.i16leAt(at).valueOr(0); }
    float f32(std::size_t at) const { return std::bit_cast<float>(u32(at)); }
    QPointF point(std::size_t at) const { return QPointF(i32(at), i32(at + 4)); }
    QRectF box(std::size_t at) const
    {
        return QRectF(QPointF(i32(at), i32(at + 4)), QPointF(i32(at + 8), i32(at + 12)));
    }
    // count bytes at an offset the record gives; empty when they are not all inside it.
    std::span<const std::uint8_t> slice(std::uint64_t at, std::uint64_t count) const
    {
        if (!bytes::rangeFits(at, count, m_reader.size()))
            return {};
        return m_reader.data().subspan(std::size_t(at), std::size_t(count));
    }
    // count points of 32-bit (or 16-bit) coordinates from an offset; empty when they do not fit.
    QPolygonF points(std::size_t at, std::uint64_t count, bool small) const
    {
        const std::uint64_t each = small ? 4 : 8;
        QPolygonF out;
        if (count == 0 || !bytes::rangeFits(at, count * each, m_reader.size()))
            return out;
        out.reserve(qsizetype(count));
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::size_t p = at + std::size_t(i * each);
            out.append(small ? QPointF(i16(p), i16(p + 2)) : point(p));
        }
        return out;
    }

private:
    bytes::ByteReader m_reader;
};

std::optional<QTransform> transformAt(const Record& r, std::size_t at)
{
    const double values[6] = {r.f32(at),      r.f32(at + 4),  r.f32(at + 8),
                              r.f32(at + 12), r.f32(at + 16), r.f32(at + 20)};
    for (double value : values)
        if (!std::isfinite(value) || std::abs(value) > MaxTransformValue)
            return std::nullopt;
    return QTransform(values[0], values[1], values[2], values[3], values[4], values[5]);
}

GdiFont fontAt(const Record& r, std::size_t at)
{
    GdiFont font;
    font.height = r.i32(at);
    font.width = r.i32(at + 4);
    font.escapement = r.i32(at + 8);
    font.weight = r.i32(at + 16);
    const auto flags = r.slice(at + 20, 3);
    if (!flags.empty()) {
        font.italic = flags[0] != 0;
        font.underline = flags[1] != 0;
        font.strikeOut = flags[2] != 0;
    }
    const auto face = r.slice(at + 28, 64);
    for (std::size_t i = 0; i + 1 < face.size(); i += 2) {
        const char16_t unit = char16_t(face[i] | (face[i + 1] << 8));
        if (unit == 0)
            break;
        font.face.append(QChar(unit));
    }
    return font;
}

// count characters at an offset: UTF-16 units, or Windows-1252 bytes; short when they do not
// fit.
QString recordString(const Record& r, std::uint64_t at, std::uint64_t count, bool wide)
{
    QString text;
    if (wide) {
        const auto units = r.slice(at, count * 2);
        for (std::size_t i = 0; i + 1 < units.size(); i += 2)
            text.append(QChar(char16_t(units[i] | (units[i + 1] << 8))));
    } else {
        const auto chars = r.slice(at, count);
        text = vb::fromWindows1252(
            QByteArray(reinterpret_cast<const char*>(chars.data()), qsizetype(chars.size())));
    }
    return text;
}

class EmfPlayer {
public:
    explicit EmfPlayer(MetafileDevice& device) : m_device(device) {}
    void play(std::uint32_t type, const Record& r);

private:
    void poly(std::uint32_t type, const Record& r);
    void polyPoly(std::uint32_t type, const Record& r);
    // One EmrText (reference, count, string offset, options, box, advances offset) at an
    // offset; offsets inside it count from the record's start.
    void text(const Record& r, std::size_t at, bool wide);
    void smallText(const Record& r);
    void polyDraw(std::uint32_t type, const Record& r);
    void gradientFill(const Record& r);
    GdiPen extendedPen(const Record& r) const;
    GdiBrush patternBrush(std::uint32_t type, const Record& r) const;
    void bitmap(std::uint32_t type, const Record& r);
    void clipRegion(const Record& r);
    void fillRegion(std::uint32_t type, const Record& r);
    std::optional<std::vector<QRectF>> regionRects(const Record& r, std::size_t at,
                                                   std::uint32_t size) const;
    // The bitmap whose header and bits the fields at these offsets give; `kept` when an object
    // keeps it.
    QImage recordBitmap(const Record& r, std::size_t headerField, std::size_t bitsField,
                        std::uint32_t colourUse, bool kept) const;
    QImage scanBand(const Record& r, QRectF& destination, QRectF& source) const;

    MetafileDevice& m_device;
};

void EmfPlayer::play(std::uint32_t type, const Record& r)
{
    DeviceState& s = m_device.state();
    switch (type) {
        case EMR_POLYBEZIER:
        case EMR_POLYGON:
        case EMR_POLYLINE:
        case EMR_POLYBEZIERTO:
        case EMR_POLYLINETO:
        case EMR_POLYBEZIER16:
        case EMR_POLYGON16:
        case EMR_POLYLINE16:
        case EMR_POLYBEZIERTO16:
        case EMR_POLYLINETO16:
            poly(type, r);
            break;
        case EMR_POLYPOLYLINE:
        case EMR_POLYPOLYGON:
        case EMR_POLYPOLYLINE16:
        case EMR_POLYPOLYGON16:
            polyPoly(type, r);
            break;
        case EMR_SETWINDOWEXTEX:
            if (r.has(16) && r.i32(8) != 0 && r.i32(12) != 0)
                s.windowExt = QSizeF(r.i32(8), r.i32(12));
            break;
        case EMR_SETWINDOWORGEX:
            if (r.has(16))
                s.windowOrg = r.point(8);
            break;
        case EMR_SETVIEWPORTEXTEX:
            if (r.has(16) && r.i32(8) != 0 && r.i32(12) != 0)
                s.viewportExt = QSizeF(r.i32(8), r.i32(12));
            break;
        case EMR_SETVIEWPORTORGEX:
            if (r.has(16))
                s.viewportOrg = r.point(8);
            break;
        case EMR_SCALEVIEWPORTEXTEX:
        case EMR_SCALEWINDOWEXTEX:
            if (r.has(24) && r.i32(8) != 0 && r.i32(12) != 0 && r.i32(16) != 0 && r.i32(20) != 0) {
                QSizeF& ext = type == EMR_SCALEWINDOWEXTEX ? s.windowExt : s.viewportExt;
                ext = QSizeF(ext.width() * r.i32(8) / r.i32(12),
                             ext.height() * r.i32(16) / r.i32(20));
            }
            break;
        case EMR_SETMAPMODE:
            if (r.has(12) && r.u32(8) >= MM_TEXT && r.u32(8) <= MM_ANISOTROPIC)
                s.mapMode = int(r.u32(8));
            break;
        case EMR_SETBKMODE:
            if (r.has(12))
                s.opaqueBackground = r.u32(8) == 2;
            break;
        case EMR_SETPOLYFILLMODE:
            if (r.has(12))
                s.windingFill = r.u32(8) == 2;
            break;
        case EMR_SETTEXTALIGN:
            if (r.has(12))
                s.textAlign = int(r.u32(8) & 0xFFFF);
            break;
        case EMR_SETTEXTCOLOR:
            if (r.has(12))
                s.textColour = colourFromRef(r.u32(8));
            break;
        case EMR_SETBKCOLOR:
            if (r.has(12))
                s.backColour = colourFromRef(r.u32(8));
            break;
        case EMR_SETMITERLIMIT:
            if (r.has(12) && r.u32(8) >= 1 && r.u32(8) <= 1000)
                s.miterLimit = double(r.u32(8));
            break;
        case EMR_SETARCDIRECTION:
            if (r.has(12))
                s.clockwiseArcs = r.u32(8) == 2;
            break;
        case EMR_OFFSETCLIPRGN:
            if (r.has(16))
                m_device.offsetClip(r.point(8));
            break;
        case EMR_EXCLUDECLIPRECT:
            if (r.has(24))
                m_device.excludeClip(r.box(8));
            break;
        case EMR_INTERSECTCLIPRECT:
            if (r.has(24))
                m_device.intersectClip(r.box(8));
            break;
        case EMR_FILLRGN:
        case EMR_PAINTRGN:
            fillRegion(type, r);
            break;
        case EMR_EXTSELECTCLIPRGN:
            clipRegion(r);
            break;
        case EMR_SAVEDC:
            m_device.save();
            break;
        case EMR_RESTOREDC:
            if (r.has(12))
                m_device.restore(r.i32(8));
            break;
        case EMR_SETWORLDTRANSFORM:
            if (const auto world = transformAt(r, 8))
                s.world = *world;
            break;
        case EMR_MODIFYWORLDTRANSFORM:
            if (const auto change = transformAt(r, 8); change && r.has(36)) {
                switch (r.u32(32)) {
                    case 1:
                        s.world = QTransform();
                        break;
                    case 2:
                        s.world = *change * s.world;
                        break;
                    case 3:
                        s.world = s.world * *change;
                        break;
                    case 4:
                        s.world = *change;
                        break;
                    default:
                        break;
                }
            }
            break;
        case EMR_SELECTOBJECT:
            if (r.has(12)) {
                const std::uint32_t index = r.u32(8);
                if (index & StockObjectFlag)
                    m_device.selectStockObject(index & ~StockObjectFlag);
                else
                    m_device.selectObject(index);
            }
            break;
        case EMR_DELETEOBJECT:
            if (r.has(12))
                m_device.deleteObject(r.u32(8));
            break;
        case EMR_CREATEPEN:
            if (r.has(28))
                m_device.storeObject(
                    r.u32(8),
                    GdiPen{int(r.u32(12)), double(r.i32(16)), colourFromRef(r.u32(24)), {}, {}});
            break;
        case EMR_EXTCREATEPEN:
            if (r.has(52))
                m_device.storeObject(r.u32(8), extendedPen(r));
            break;
        case EMR_CREATEBRUSHINDIRECT:
            if (r.has(24))
                m_device.storeObject(
                    r.u32(8),
                    GdiBrush{int(r.u32(12)), colourFromRef(r.u32(16)), int(r.u32(20)), {}, {}});
            break;
        case EMR_CREATEMONOBRUSH:
        case EMR_CREATEDIBPATTERNBRUSHPT:
            if (r.has(32))
                m_device.storeObject(r.u32(8), patternBrush(type, r));
            break;
        case EMR_EXTCREATEFONTINDIRECTW:
            if (r.has(12 + 92))
                m_device.storeObject(r.u32(8), fontAt(r, 12));
            break;
        case EMR_CREATEPALETTE:
            if (r.has(12))
                m_device.storeObject(r.u32(8), GdiPlaceholder{});
            break;
        case EMR_MOVETOEX:
            if (r.has(16))
                m_device.moveTo(r.point(8));
            break;
        case EMR_LINETO:
            if (r.has(16))
                m_device.lineTo(r.point(8));
            break;
        case EMR_ELLIPSE:
            if (r.has(24))
                m_device.ellipse(r.box(8));
            break;
        case EMR_RECTANGLE:
            if (r.has(24))
                m_device.rectangle(r.box(8));
            break;
        case EMR_ROUNDRECT:
            if (r.has(32))
                m_device.roundRect(r.box(8), QSizeF(r.i32(24), r.i32(28)));
            break;
        case EMR_ARC:
        case EMR_CHORD:
        case EMR_PIE:
        case EMR_ARCTO:
            if (r.has(40)) {
                using Kind = MetafileDevice::ArcKind;
                const Kind kind = type == EMR_ARC     ? Kind::Arc
                                  : type == EMR_CHORD ? Kind::Chord
                                  : type == EMR_PIE   ? Kind::Pie
                                                      : Kind::ArcTo;
                m_device.arc(kind, r.box(8), r.point(24), r.point(32));
            }
            break;
        case EMR_BEGINPATH:
            m_device.beginPath();
            break;
        case EMR_ENDPATH:
            m_device.endPath();
            break;
        case EMR_ABORTPATH:
            m_device.abortPath();
            break;
        case EMR_CLOSEFIGURE:
            m_device.closeFigure();
            break;
        case EMR_FILLPATH:
            m_device.fillPath(true, false);
            break;
        case EMR_STROKEANDFILLPATH:
            m_device.fillPath(true, true);
            break;
        case EMR_STROKEPATH:
            m_device.fillPath(false, true);
            break;
        case EMR_SELECTCLIPPATH:
            if (r.has(12))
                m_device.selectClipPath(int(r.u32(8)));
            break;
        case EMR_EXTTEXTOUTA:
        case EMR_EXTTEXTOUTW:
            text(r, 36, type == EMR_EXTTEXTOUTW);
            break;
        case EMR_POLYTEXTOUTA:
        case EMR_POLYTEXTOUTW:
            if (r.has(40)) {
                const std::uint64_t count = r.u32(36);
                for (std::uint64_t i = 0; i < count && bytes::rangeFits(40, (i + 1) * 40, r.size());
                     ++i)
                    text(r, 40 + std::size_t(i) * 40, type == EMR_POLYTEXTOUTW);
            }
            break;
        case EMR_SMALLTEXTOUT:
            smallText(r);
            break;
        case EMR_SETPIXELV:
            if (r.has(20))
                m_device.setPixel(r.point(8), colourFromRef(r.u32(16)));
            break;
        case EMR_SETBRUSHORGEX:
            if (r.has(16))
                s.brushOrigin = r.point(8);
            break;
        case EMR_SETSTRETCHBLTMODE:
            if (r.has(12))
                s.stretchMode = int(r.u32(8));
            break;
        case EMR_ANGLEARC:
            if (r.has(28))
                m_device.angleArc(r.point(8), double(r.u32(16)), r.f32(20), r.f32(24));
            break;
        case EMR_POLYDRAW:
        case EMR_POLYDRAW16:
            polyDraw(type, r);
            break;
        case EMR_GRADIENTFILL:
            gradientFill(r);
            break;
        case EMR_BITBLT:
        case EMR_STRETCHBLT:
        case EMR_SETDIBITSTODEVICE:
        case EMR_STRETCHDIBITS:
        case EMR_ALPHABLEND:
            bitmap(type, r);
            break;
        default:
            break;
    }
}

void EmfPlayer::poly(std::uint32_t type, const Record& r)
{
    if (!r.has(28))
        return;
    const bool small = type >= EMR_POLYBEZIER16;
    const QPolygonF points = r.points(28, r.u32(24), small);
    if (points.isEmpty())
        return;
    switch (small ? type - (EMR_POLYBEZIER16 - EMR_POLYBEZIER) : type) {
        case EMR_POLYBEZIER:
            m_device.bezier(points, false);
            break;
        case EMR_POLYBEZIERTO:
            m_device.bezier(points, true);
            break;
        case EMR_POLYGON:
            m_device.polygon(points);
            break;
        case EMR_POLYLINE:
            m_device.polyline(points);
            break;
        case EMR_POLYLINETO:
            m_device.polylineTo(points);
            break;
        default:
            break;
    }
}

void EmfPlayer::polyPoly(std::uint32_t type, const Record& r)
{
    if (!r.has(32))
        return;
    const bool small = type == EMR_POLYPOLYLINE16 || type == EMR_POLYPOLYGON16;
    const std::uint64_t count = r.u32(24);
    const std::uint64_t total = r.u32(28);
    if (!bytes::rangeFits(32, count * 4, r.size()))
        return;
    std::size_t at = 32 + std::size_t(count) * 4;
    std::uint64_t used = 0;
    std::vector<QPolygonF> shapes;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t n = r.u32(32 + std::size_t(i) * 4);
        used += n;
        if (used > total)
            return;
        QPolygonF points = r.points(at, n, small);
        if (points.size() != qsizetype(n))
            return;
        at += std::size_t(n) * (small ? 4 : 8);
        shapes.push_back(std::move(points));
    }
    if (type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16)
        m_device.polyPolygon(shapes);
    else
        m_device.polyPolyline(shapes);
}

void EmfPlayer::text(const Record& r, std::size_t at, bool wide)
{
    if (!r.has(at + 40))
        return;
    const QPointF reference = r.point(at);
    const std::uint64_t count = r.u32(at + 8);
    const std::uint32_t stringAt = r.u32(at + 12);
    const int options = int(r.u32(at + 16));
    // Glyph numbers of the writer's font mean other glyphs in any font here: not drawn.
    if (options & ETO_GLYPH_INDEX)
        return;
    const QRectF box = r.box(at + 20);
    const std::uint32_t dxAt = r.u32(at + 36);
    const QString text = recordString(r, stringAt, count, wide);
    if (text.size() != qsizetype(count))
        return;
    // With ETO_PDY the advances come in pairs, across and down.
    const std::uint64_t stride = (options & ETO_PDY) ? 8 : 4;
    std::vector<double> dx;
    if (dxAt != 0 && !r.slice(dxAt, count * stride).empty()) {
        dx.reserve(std::size_t(count));
        for (std::uint64_t i = 0; i < count; ++i)
            dx.push_back(r.i32(dxAt + std::size_t(i * stride)));
    }
    const bool hasBox = box.width() != 0 && box.height() != 0;
    m_device.text(reference, text, dx, options, hasBox ? std::optional(box) : std::nullopt);
}

// A reference point, a count, options, the graphics mode and scales, the box unless
// ETO_NO_RECT says there is none, then the characters: 8-bit with ETO_SMALL_CHARS.
void EmfPlayer::smallText(const Record& r)
{
    if (!r.has(36))
        return;
    const QPointF reference = r.point(8);
    const std::uint64_t count = r.u32(16);
    const int options = int(r.u32(20));
    if (options & ETO_GLYPH_INDEX)
        return;
    std::size_t at = 36;
    std::optional<QRectF> box;
    if (!(options & ETO_NO_RECT)) {
        if (!r.has(52))
            return;
        const QRectF given = r.box(36);
        if (given.width() != 0 && given.height() != 0)
            box = given;
        at = 52;
    }
    const QString text = recordString(r, at, count, !(options & ETO_SMALL_CHARS));
    if (text.size() != qsizetype(count))
        return;
    m_device.text(reference, text, {}, options, box);
}

void EmfPlayer::polyDraw(std::uint32_t type, const Record& r)
{
    if (!r.has(28))
        return;
    const bool small = type == EMR_POLYDRAW16;
    const std::uint64_t count = r.u32(24);
    const QPolygonF points = r.points(28, count, small);
    const auto types = r.slice(28 + count * (small ? 4 : 8), count);
    if (points.isEmpty() || qsizetype(types.size()) != points.size())
        return;
    m_device.polyDraw(points, types);
}

// Vertices (position and 16-bit colour channels), then rectangles as pairs of vertex numbers
// shaded across (mode 0) or down (1), or triangles as three (mode 2).
void EmfPlayer::gradientFill(const Record& r)
{
    if (!r.has(36))
        return;
    const std::uint64_t vertices = r.u32(24);
    const std::uint64_t shapes = r.u32(28);
    const std::uint32_t mode = r.u32(32);
    if (mode > 2 || !bytes::rangeFits(36, vertices * 16, r.size()))
        return;
    const std::size_t shapesAt = 36 + std::size_t(vertices) * 16;
    const std::uint64_t each = mode == 2 ? 12 : 8;
    if (!bytes::rangeFits(shapesAt, shapes * each, r.size()))
        return;
    const auto vertex = [&](std::uint32_t n, QPointF& at, QColor& colour) {
        if (n >= vertices)
            return false;
        const std::size_t v = 36 + std::size_t(n) * 16;
        at = r.point(v);
        // The alpha channel is not blended: the fill is opaque.
        colour = QColor(std::uint16_t(r.i16(v + 8)) >> 8, std::uint16_t(r.i16(v + 10)) >> 8,
                        std::uint16_t(r.i16(v + 12)) >> 8);
        return true;
    };
    for (std::uint64_t i = 0; i < shapes; ++i) {
        const std::size_t at = shapesAt + std::size_t(i * each);
        QPointF corners[3];
        QColor colours[3];
        const int count = mode == 2 ? 3 : 2;
        bool valid = true;
        for (int k = 0; k < count && valid; ++k)
            valid = vertex(r.u32(at + std::size_t(k) * 4), corners[k], colours[k]);
        if (!valid)
            continue;
        if (mode == 2)
            m_device.gradientTriangle(QPolygonF({corners[0], corners[1], corners[2]}), colours);
        else
            m_device.gradientRectangle(QRectF(corners[0], corners[1]), colours[0], colours[1],
                                       mode == 1);
    }
}

// An extended pen: style (dash style, caps, joins, cosmetic or geometric), width, the brush it
// paints with, and a user style's dashes.
GdiPen EmfPlayer::extendedPen(const Record& r) const
{
    const std::uint32_t style = r.u32(28);
    const bool geometric = (style & 0x000F0000) == 0x00010000;
    const std::uint32_t brushStyle = r.u32(36);
    GdiPen pen;
    // A pen drawn with the null brush draws nothing.
    pen.style = brushStyle == 1 ? 5 : int(style & 0xFFFF);
    pen.width = geometric ? double(r.u32(32)) : 0;
    pen.colour = colourFromRef(r.u32(40));
    if (brushStyle == 2) {
        pen.brush = GdiBrush{2, pen.colour, int(r.u32(44)), {}, {}};
    } else if (brushStyle == 3 || brushStyle == 5 || brushStyle == 6) {
        // A pattern from a DIB says in the colour's low word how its colour table is given.
        const std::uint32_t use = brushStyle == 3 ? DIB_RGB_COLORS : r.u32(40) & 0xFFFF;
        GdiBrush brush{5, pen.colour, 0, recordBitmap(r, 12, 20, use, true), {}};
        if (!brush.pattern.isNull())
            pen.brush = std::move(brush);
    }
    const std::uint32_t dashes = r.u32(48);
    if ((style & 0xF) == 7 && dashes <= MaxPenDashes && r.has(52 + std::size_t(dashes) * 4)) {
        for (std::uint32_t i = 0; i < dashes; ++i)
            pen.dashes.push_back(double(r.u32(52 + std::size_t(i) * 4)));
    }
    if ((style & 0xF) == 7 && pen.dashes.empty())
        pen.style &= ~0xF;  // a user style without dashes is solid
    return pen;
}

// A pattern brush from a bitmap; a monochrome one takes the text and background colours when
// it is used.
GdiBrush EmfPlayer::patternBrush(std::uint32_t type, const Record& r) const
{
    const std::uint32_t use = r.u32(12);
    if (type != EMR_CREATEMONOBRUSH)
        return GdiBrush{5, Qt::black, 0, recordBitmap(r, 16, 24, use, true), {}};
    const auto header = r.slice(r.u32(16), r.u32(20));
    const bytes::ByteReader info(header);
    const std::uint32_t headerSize = info.u32leAt(0).valueOr(0);
    const bool monochrome =
        info.u16leAt(14).valueOr(0) == 1 && headerSize >= 40 && headerSize <= header.size();
    if (!monochrome || (use == DIB_RGB_COLORS && header.size() >= std::size_t(headerSize) + 4)) {
        GdiBrush brush{5, Qt::black, 0, recordBitmap(r, 16, 24, DIB_RGB_COLORS, true), {}};
        if (monochrome) {
            const auto quad = header.subspan(headerSize, 4);
            brush.monochromeZero = qRgb(quad[2], quad[1], quad[0]);
        }
        return brush;
    }
    // No colour table, or palette indices in its place: the bits alone say which pixels take
    // the text colour (0) and which the background colour (1).
    std::vector<std::uint8_t> blackWhite(header.begin(), header.begin() + headerSize);
    std::fill(blackWhite.begin() + 32, blackWhite.begin() + 36, 0);  // colours used: all
    for (const std::uint8_t byte : {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0})
        blackWhite.push_back(byte);
    GdiBrush brush{5, Qt::black, 0, {}, {}};
    brush.pattern = decodeRecordBitmap(blackWhite, r.slice(r.u32(24), r.u32(28)), DIB_RGB_COLORS,
                                       m_device.bitmapLimits(true));
    m_device.spendDecoded(brush.pattern);
    brush.monochromeZero = qRgb(0, 0, 0);
    return brush;
}

QImage EmfPlayer::recordBitmap(const Record& r, std::size_t headerField, std::size_t bitsField,
                               std::uint32_t colourUse, bool kept) const
{
    const auto header = r.slice(r.u32(headerField), r.u32(headerField + 4));
    const auto bits = r.slice(r.u32(bitsField), r.u32(bitsField + 4));
    if (header.empty())
        return {};
    QImage image = decodeRecordBitmap(header, bits, colourUse, m_device.bitmapLimits(kept));
    m_device.spendDecoded(image);
    return image;
}

// SETDIBITSTODEVICE's bits may hold only a band of the bitmap's rows (counted from its bottom,
// from the record's first scan line): the band is decoded as a bitmap of its own, and the source
// and destination are cut to the rows it holds, so that the rows it lacks are left as they are.
QImage EmfPlayer::scanBand(const Record& r, QRectF& destination, QRectF& source) const
{
    const std::uint32_t use = r.u32(64);
    const std::int64_t first = r.u32(68);
    const std::int64_t count = r.u32(72);
    const auto info = r.slice(r.u32(48), r.u32(52));
    const bytes::ByteReader header(info);
    const std::int64_t height = header.i32leAt(8).valueOr(0);
    const std::uint32_t compression = header.u32leAt(16).valueOr(0);
    const bool banded = header.u32leAt(0).valueOr(0) >= 40 && height > 0 && count > 0 &&
                        (compression == BI_RGB || compression == BI_BITFIELDS) &&
                        (first > 0 || count < height);
    if (!banded)
        return recordBitmap(r, 48, 56, use, false);
    // Rows counted from the bitmap's bottom: those the source takes and the band holds.
    const std::int64_t sourceBottom = std::int64_t(source.top());
    const std::int64_t sourceTop = sourceBottom + std::int64_t(source.height());
    const std::int64_t from = std::max(sourceBottom, first);
    const std::int64_t to = std::min(sourceTop, first + count);
    if (from >= to)
        return {};
    std::vector<std::uint8_t> bandInfo(info.begin(), info.end());
    const auto rows = std::uint32_t(count);
    for (int i = 0; i < 4; ++i)
        bandInfo[8 + std::size_t(i)] = std::uint8_t(rows >> (8 * i));
    QImage band = decodeRecordBitmap(bandInfo, r.slice(r.u32(56), r.u32(60)), use,
                                     m_device.bitmapLimits(false));
    m_device.spendDecoded(band);
    destination = QRectF(destination.left(), destination.top() + double(sourceTop - to),
                         destination.width(), double(to - from));
    source = QRectF(source.left(), double(from - first), source.width(), double(to - from));
    return band;
}

void EmfPlayer::bitmap(std::uint32_t type, const Record& r)
{
    QRectF destination;
    QRectF source;
    QImage image;
    std::uint32_t rop = SRCCOPY;
    double opacity = 1;
    bool sourceFromBottom = true;
    switch (type) {
        case EMR_STRETCHDIBITS:
            if (!r.has(80))
                return;
            destination = QRectF(r.i32(24), r.i32(28), r.i32(72), r.i32(76));
            source = QRectF(r.i32(32), r.i32(36), r.i32(40), r.i32(44));
            rop = r.u32(68);
            image = recordBitmap(r, 48, 56, r.u32(64), false);
            break;
        case EMR_SETDIBITSTODEVICE:
            if (!r.has(76))
                return;
            destination = QRectF(r.i32(24), r.i32(28), r.i32(40), r.i32(44));
            source = QRectF(r.i32(32), r.i32(36), r.i32(40), r.i32(44));
            image = scanBand(r, destination, source);
            break;
        case EMR_BITBLT:
        case EMR_STRETCHBLT:
        case EMR_ALPHABLEND:
            if (!r.has(type == EMR_BITBLT ? 100 : 108))
                return;
            destination = QRectF(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
            source = type == EMR_BITBLT ? QRectF(r.i32(44), r.i32(48), r.i32(32), r.i32(36))
                                        : QRectF(r.i32(44), r.i32(48), r.i32(100), r.i32(104));
            sourceFromBottom = false;
            if (type == EMR_ALPHABLEND) {
                // The blend function: constant alpha in its third byte.
                opacity = double((r.u32(40) >> 16) & 0xFF) / 255.0;
            } else {
                rop = r.u32(40);
            }
            if (r.u32(88) == 0) {
                m_device.patternFill(destination, rop);
                return;
            }
            image = recordBitmap(r, 84, 92, r.u32(80), false);
            break;
        default:
            return;
    }
    if (image.isNull())
        return;
    if (sourceFromBottom)
        source.moveTop(image.height() - source.top() - source.height());
    m_device.image(destination, image, source, rop, opacity);
}

// The rectangles (device units) of the region data of `size` bytes at an offset; none when they
// do not fit or pass the clip bound.
std::optional<std::vector<QRectF>> EmfPlayer::regionRects(const Record& r, std::size_t at,
                                                          std::uint32_t size) const
{
    const auto region = r.slice(at, size);
    if (region.empty() || size < 32)
        return std::nullopt;
    const Record data(region);
    const std::uint64_t count = data.u32(8);
    if (!bytes::rangeFits(32, count * 16, data.size()) ||
        count > std::uint64_t(m_device.limits().maxClipElements))
        return std::nullopt;
    std::vector<QRectF> rects;
    rects.reserve(std::size_t(count));
    for (std::uint64_t i = 0; i < count; ++i)
        rects.push_back(data.box(32 + std::size_t(i) * 16));
    return rects;
}

void EmfPlayer::clipRegion(const Record& r)
{
    if (!r.has(16))
        return;
    const std::uint32_t size = r.u32(8);
    const int mode = int(r.u32(12));
    if (size < 32) {
        m_device.combineClipDeviceRects({}, mode);
        return;
    }
    if (const auto rects = regionRects(r, 16, size))
        m_device.combineClipDeviceRects(*rects, mode);
}

void EmfPlayer::fillRegion(std::uint32_t type, const Record& r)
{
    const bool ownBrush = type == EMR_FILLRGN;
    if (!r.has(ownBrush ? 32 : 28))
        return;
    const auto rects = regionRects(r, ownBrush ? 32 : 28, r.u32(24));
    if (!rects)
        return;
    const GdiBrush brush = ownBrush ? m_device.brushObject(r.u32(28)) : m_device.state().brush;
    m_device.fillDeviceRects(*rects, brush);
}

}  // namespace

bool emfRecordsDraw(std::span<const std::uint8_t> data, std::uint64_t maxRecords)
{
    constexpr std::uint32_t EMR_EXTFLOODFILL = 53;
    constexpr std::uint32_t EMR_FRAMERGN = 72;
    constexpr std::uint32_t EMR_INVERTRGN = 73;
    constexpr std::uint32_t EMR_MASKBLT = 78;
    constexpr std::uint32_t EMR_PLGBLT = 79;
    constexpr std::uint32_t EMR_TRANSPARENTBLT = 116;
    bool draws = false;
    forEachEmfRecord(data, maxRecords,
                     [&](std::uint32_t type, std::span<const std::uint8_t> bytes) {
                         switch (type) {
                             case EMR_BITBLT:
                             case EMR_STRETCHBLT:
                                 draws = ternaryIndex(Record(bytes).u32(40)) != 0xAA;
                                 break;
                             case EMR_POLYBEZIER:
                             case EMR_POLYGON:
                             case EMR_POLYLINE:
                             case EMR_POLYBEZIERTO:
                             case EMR_POLYLINETO:
                             case EMR_POLYPOLYLINE:
                             case EMR_POLYPOLYGON:
                             case EMR_SETPIXELV:
                             case EMR_ANGLEARC:
                             case EMR_ELLIPSE:
                             case EMR_RECTANGLE:
                             case EMR_ROUNDRECT:
                             case EMR_ARC:
                             case EMR_CHORD:
                             case EMR_PIE:
                             case EMR_EXTFLOODFILL:
                             case EMR_LINETO:
                             case EMR_ARCTO:
                             case EMR_POLYDRAW:
                             case EMR_FILLPATH:
                             case EMR_STROKEANDFILLPATH:
                             case EMR_STROKEPATH:
                             case EMR_FILLRGN:
                             case EMR_FRAMERGN:
                             case EMR_INVERTRGN:
                             case EMR_PAINTRGN:
                             case EMR_MASKBLT:
                             case EMR_PLGBLT:
                             case EMR_SETDIBITSTODEVICE:
                             case EMR_STRETCHDIBITS:
                             case EMR_EXTTEXTOUTA:
                             case EMR_EXTTEXTOUTW:
                             case EMR_POLYBEZIER16:
                             case EMR_POLYGON16:
                             case EMR_POLYLINE16:
                             case EMR_POLYBEZIERTO16:
                             case EMR_POLYLINETO16:
                             case EMR_POLYPOLYLINE16:
                             case EMR_POLYPOLYGON16:
                             case EMR_POLYDRAW16:
                             case EMR_POLYTEXTOUTA:
                             case EMR_POLYTEXTOUTW:
                             case EMR_SMALLTEXTOUT:
                             case EMR_ALPHABLEND:
                             case EMR_TRANSPARENTBLT:
                             case EMR_GRADIENTFILL:
                                 draws = true;
                                 break;
                             default:
                                 break;
                         }
                         return !draws;
                     });
    return draws;
}

bool playEmfRecords(std::span<const std::uint8_t> data, MetafileDevice& device)
{
    EmfPlayer player(device);
    return forEachEmfRecord(data, device.limits().maxRecords,
                            [&](std::uint32_t type, std::span<const std::uint8_t> record) {
                                player.play(type, Record(record));
                                return true;
                            });
}

}  // namespace picture
