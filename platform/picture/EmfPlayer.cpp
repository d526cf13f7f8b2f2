#include "platform/picture/MetafilePlayers.h"

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/CheckedSize.h"
#include "platform/picture/DibDecoder.h"
#include "platform/runtime/Windows1252.h"

#include <QByteArray>
#include <bit>
#include <cmath>
#include <cstring>

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
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
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
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_CREATEPALETTE = 49,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_SETARCDIRECTION = 57,
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
    EMR_EXTCREATEPEN = 93,
    EMR_CREATEMONOBRUSH = 94,
    EMR_CREATEDIBPATTERNBRUSHPT = 95,
    EMR_ALPHABLEND = 114,
};

constexpr std::uint32_t StockObjectFlag = 0x80000000u;
constexpr int ETO_GLYPH_INDEX = 0x10;
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

class EmfPlayer {
public:
    explicit EmfPlayer(MetafileDevice& device) : m_device(device) {}
    void play(std::uint32_t type, const Record& r);

private:
    void poly(std::uint32_t type, const Record& r);
    void polyPoly(std::uint32_t type, const Record& r);
    void text(std::uint32_t type, const Record& r);
    void bitmap(std::uint32_t type, const Record& r);
    void clipRegion(const Record& r);
    void fillRegion(std::uint32_t type, const Record& r);
    std::optional<std::vector<QRectF>> regionRects(const Record& r, std::size_t at,
                                                   std::uint32_t size) const;
    QImage recordBitmap(const Record& r, std::size_t headerField, std::size_t bitsField) const;

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
                    r.u32(8), GdiPen{int(r.u32(12)), double(r.i32(16)), colourFromRef(r.u32(24))});
            break;
        case EMR_EXTCREATEPEN:
            if (r.has(48)) {
                const std::uint32_t style = r.u32(28);
                const bool geometric = (style & 0x000F0000) == 0x00010000;
                // A pen drawn with the null brush draws nothing.
                const int shown = r.u32(36) == 1 ? 5 : int(style & 0xFFFF);
                m_device.storeObject(r.u32(8), GdiPen{shown, geometric ? double(r.u32(32)) : 0,
                                                      colourFromRef(r.u32(40))});
            }
            break;
        case EMR_CREATEBRUSHINDIRECT:
            if (r.has(24))
                m_device.storeObject(
                    r.u32(8),
                    GdiBrush{int(r.u32(12)), colourFromRef(r.u32(16)), int(r.u32(20)), {}});
            break;
        case EMR_CREATEMONOBRUSH:
        case EMR_CREATEDIBPATTERNBRUSHPT:
            if (r.has(32))
                m_device.storeObject(r.u32(8), GdiBrush{5, Qt::black, 0, recordBitmap(r, 16, 24)});
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
            text(type, r);
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

void EmfPlayer::text(std::uint32_t type, const Record& r)
{
    if (!r.has(76))
        return;
    const QPointF reference = r.point(36);
    const std::uint64_t count = r.u32(44);
    const std::uint32_t stringAt = r.u32(48);
    const int options = int(r.u32(52));
    // Glyph numbers of the writer's font mean other glyphs in any font here: not drawn.
    if (options & ETO_GLYPH_INDEX)
        return;
    const QRectF box = r.box(56);
    const std::uint32_t dxAt = r.u32(72);
    QString text;
    if (type == EMR_EXTTEXTOUTW) {
        const auto units = r.slice(stringAt, count * 2);
        for (std::size_t i = 0; i + 1 < units.size(); i += 2)
            text.append(QChar(char16_t(units[i] | (units[i + 1] << 8))));
    } else {
        const auto chars = r.slice(stringAt, count);
        text = vb::fromWindows1252(
            QByteArray(reinterpret_cast<const char*>(chars.data()), qsizetype(chars.size())));
    }
    if (text.size() != qsizetype(count))
        return;
    // With ETO_PDY the advances come in pairs, across and down.
    const std::uint64_t stride = (options & 0x2000) ? 8 : 4;
    std::vector<double> dx;
    if (dxAt != 0 && !r.slice(dxAt, count * stride).empty()) {
        dx.reserve(std::size_t(count));
        for (std::uint64_t i = 0; i < count; ++i)
            dx.push_back(r.i32(dxAt + std::size_t(i * stride)));
    }
    const bool hasBox = box.width() != 0 && box.height() != 0;
    m_device.text(reference, text, dx, options, hasBox ? std::optional(box) : std::nullopt);
}

QImage EmfPlayer::recordBitmap(const Record& r, std::size_t headerField,
                               std::size_t bitsField) const
{
    const auto header = r.slice(r.u32(headerField), r.u32(headerField + 4));
    const auto bits = r.slice(r.u32(bitsField), r.u32(bitsField + 4));
    if (header.empty())
        return {};
    return decodeRecordBitmap(header, bits, m_device.limits().raster);
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
            image = recordBitmap(r, 48, 56);
            break;
        case EMR_SETDIBITSTODEVICE:
            if (!r.has(76))
                return;
            destination = QRectF(r.i32(24), r.i32(28), r.i32(40), r.i32(44));
            source = QRectF(r.i32(32), r.i32(36), r.i32(40), r.i32(44));
            image = recordBitmap(r, 48, 56);
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
            image = recordBitmap(r, 84, 92);
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

QImage decodeRecordBitmap(std::span<const std::uint8_t> header, std::span<const std::uint8_t> bits,
                          const bytes::DecodeLimits& limits)
{
    const bytes::ByteReader info(header);
    // A 32-bit uncompressed bitmap keeps its alpha: metafiles blend with it.
    const auto headerSize = info.u32leAt(0);
    if (headerSize && headerSize.value() >= 40 && info.u16leAt(14).valueOr(0) == 32 &&
        info.u32leAt(16).valueOr(1) == 0) {
        const std::int64_t width = info.i32leAt(4).valueOr(0);
        const std::int64_t height = info.i32leAt(8).valueOr(0);
        const std::int64_t rows = height < 0 ? -height : height;
        if (!bytes::checkImageSize(limits, width, rows, 4))
            return {};
        const std::uint64_t stride = std::uint64_t(width) * 4;
        if (bits.size() < stride * std::uint64_t(rows))
            return {};
        QImage image(int(width), int(rows), QImage::Format_ARGB32);
        if (image.isNull())
            return {};
        bool anyAlpha = false;
        for (std::int64_t y = 0; y < rows; ++y) {
            const std::int64_t from = height < 0 ? y : rows - 1 - y;
            std::memcpy(image.scanLine(int(y)), bits.data() + std::size_t(from) * stride,
                        std::size_t(stride));
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(int(y)));
            for (std::int64_t x = 0; x < width && !anyAlpha; ++x)
                anyAlpha = qAlpha(line[x]) != 0;
        }
        // Alpha all zero is an opaque bitmap that never set it.
        if (!anyAlpha)
            return image.convertToFormat(QImage::Format_RGB32);
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    QByteArray packed(reinterpret_cast<const char*>(header.data()), qsizetype(header.size()));
    if (!bytes::checkChunkSize(limits, std::uint64_t(header.size()) + bits.size()))
        return {};
    packed.append(reinterpret_cast<const char*>(bits.data()), qsizetype(bits.size()));
    auto decoded =
        decodePackedDib(std::span(reinterpret_cast<const std::uint8_t*>(packed.constData()),
                                  std::size_t(packed.size())),
                        limits);
    if (!decoded)
        return {};
    return decoded.value().image;
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
