#include "platform/picture/MetafilePlayers.h"

#include "platform/bytes/ByteReader.h"
#include "platform/runtime/Windows1252.h"

#include <QByteArray>

namespace picture {
namespace {

enum WmfFunction : std::uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_REALIZEPALETTE = 0x0035,
    META_CREATEPALETTE = 0x00F7,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETSTRETCHBLTMODE = 0x0107,
    META_RESTOREDC = 0x0127,
    META_PAINTREGION = 0x012B,
    META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_OFFSETWINDOWORG = 0x020F,
    META_LINETO = 0x0213,
    META_FILLREGION = 0x0228,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_BITBLT = 0x0922,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_STRETCHBLT = 0x0B23,
    META_DIBSTRETCHBLT = 0x0B41,
    META_SETDIBTODEV = 0x0D33,
    META_STRETCHDIB = 0x0F43,
};

// A record's parameters: 16-bit words, read by index; a word past the record reads as absent.
class Params {
public:
    explicit Params(std::span<const std::uint8_t> data) : m_reader(data) {}
    std::size_t words() const { return m_reader.size() / 2; }
    bool has(std::size_t count) const { return words() >= count; }
    std::int16_t s(std::size_t index) const { return m_reader.i16leAt(index * 2).valueOr(0); }
    std::uint16_t u(std::size_t index) const { return m_reader.u16leAt(index * 2).valueOr(0); }
    std::uint32_t u32(std::size_t index) const { return m_reader.u32leAt(index * 2).valueOr(0); }
    QPointF point(std::size_t xIndex) const { return QPointF(s(xIndex), s(xIndex + 1)); }
    // The rectangle of four words stored bottom, right, top, left from `index`.
    QRectF boxReversed(std::size_t index) const
    {
        return QRectF(QPointF(s(index + 3), s(index + 2)), QPointF(s(index + 1), s(index)));
    }
    std::span<const std::uint8_t> from(std::size_t index) const
    {
        return index * 2 <= m_reader.size() ? m_reader.data().subspan(index * 2)
                                            : std::span<const std::uint8_t>();
    }
    QPolygonF points(std::size_t index, std::size_t count) const
    {
        QPolygonF out;
        if (!has(index + 2 * count))
            return out;
        out.reserve(qsizetype(count));
        for (std::size_t i = 0; i < count; ++i)
            out.append(point(index + 2 * i));
        return out;
    }

private:
    bytes::ByteReader m_reader;
};

QString ansiText(std::span<const std::uint8_t> bytes)
{
    QByteArray raw(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    const qsizetype end = raw.indexOf('\0');
    if (end >= 0)
        raw.truncate(end);
    return vb::fromWindows1252(raw);
}

GdiFont fontRecord(const Params& p)
{
    GdiFont font;
    font.height = p.s(0);
    font.width = p.s(1);
    font.escapement = p.s(2);
    font.weight = p.s(4);
    const std::uint16_t italicUnderline = p.u(5);
    font.italic = (italicUnderline & 0xFF) != 0;
    font.underline = (italicUnderline >> 8) != 0;
    font.strikeOut = (p.u(6) & 0xFF) != 0;
    const auto face = p.from(9);
    font.face = ansiText(face.first(std::min<std::size_t>(face.size(), 32)));
    return font;
}

class WmfPlayer {
public:
    explicit WmfPlayer(MetafileDevice& device) : m_device(device) {}
    void play(std::uint16_t function, const Params& p);

private:
    void text(const Params& p, bool extended);
    // The packed DIB at the end of a record, its colour table given as `colourUse` says.
    QImage recordDib(std::span<const std::uint8_t> dib, std::uint32_t colourUse, bool kept);
    void bitmap(std::uint16_t function, const Params& p);
    void polyPolygon(const Params& p);
    GdiObject region(const Params& p) const;

    MetafileDevice& m_device;
};

void WmfPlayer::play(std::uint16_t function, const Params& p)
{
    DeviceState& s = m_device.state();
    switch (function) {
        case META_SAVEDC:
            m_device.save();
            break;
        case META_RESTOREDC:
            if (p.has(1))
                m_device.restore(p.s(0));
            break;
        case META_SETBKMODE:
            if (p.has(1))
                s.opaqueBackground = p.u(0) == 2;
            break;
        case META_SETMAPMODE:
            // The caller's viewport stays: only the isotropic choice changes the mapping.
            if (p.has(1))
                s.mapMode = p.u(0) == MM_ISOTROPIC ? MM_ISOTROPIC : MM_ANISOTROPIC;
            break;
        case META_SETPOLYFILLMODE:
            if (p.has(1))
                s.windingFill = p.u(0) == 2;
            break;
        case META_SETSTRETCHBLTMODE:
            if (p.has(1))
                s.stretchMode = p.u(0);
            break;
        case META_SETTEXTALIGN:
            if (p.has(1))
                s.textAlign = p.u(0);
            break;
        case META_SETBKCOLOR:
            if (p.has(2))
                s.backColour = colourFromRef(p.u32(0));
            break;
        case META_SETTEXTCOLOR:
            if (p.has(2))
                s.textColour = colourFromRef(p.u32(0));
            break;
        case META_SETWINDOWORG:
            if (p.has(2))
                s.windowOrg = QPointF(p.s(1), p.s(0));
            break;
        case META_SETWINDOWEXT:
            if (p.has(2) && p.s(0) != 0 && p.s(1) != 0)
                s.windowExt = QSizeF(p.s(1), p.s(0));
            break;
        case META_OFFSETWINDOWORG:
            if (p.has(2))
                s.windowOrg += QPointF(p.s(1), p.s(0));
            break;
        case META_SCALEWINDOWEXT:
            if (p.has(4) && p.s(0) != 0 && p.s(2) != 0 && p.s(1) != 0 && p.s(3) != 0)
                s.windowExt = QSizeF(s.windowExt.width() * p.s(3) / p.s(2),
                                     s.windowExt.height() * p.s(1) / p.s(0));
            break;
        case META_SELECTOBJECT:
            if (p.has(1))
                m_device.selectObject(p.u(0));
            break;
        case META_DELETEOBJECT:
            if (p.has(1))
                m_device.deleteObject(p.u(0));
            break;
        case META_CREATEPENINDIRECT:
            if (p.has(5))
                m_device.storeInFreeSlot(
                    GdiPen{p.u(0), double(p.s(1)), colourFromRef(p.u32(3)), {}, {}});
            else
                m_device.storeInFreeSlot(GdiPlaceholder{});
            break;
        case META_CREATEBRUSHINDIRECT:
            if (p.has(4))
                m_device.storeInFreeSlot(GdiBrush{p.u(0), colourFromRef(p.u32(1)), p.u(3), {}, {}});
            else
                m_device.storeInFreeSlot(GdiPlaceholder{});
            break;
        case META_DIBCREATEPATTERNBRUSH: {
            // A brush of the BS_PATTERN style takes its colours as RGB whatever the record says.
            GdiBrush brush{5, Qt::black, 0, {}, {}};
            if (p.has(2))
                brush.pattern = recordDib(
                    p.from(2), p.u(0) == 3 ? std::uint32_t(DIB_RGB_COLORS) : p.u(1), true);
            m_device.storeInFreeSlot(std::move(brush));
            break;
        }
        case META_CREATEFONTINDIRECT:
            if (p.has(9))
                m_device.storeInFreeSlot(fontRecord(p));
            else
                m_device.storeInFreeSlot(GdiPlaceholder{});
            break;
        case META_CREATEREGION:
            m_device.storeInFreeSlot(region(p));
            break;
        case META_CREATEPALETTE:
        case META_CREATEPATTERNBRUSH:
            // They take a slot, so the objects after them keep their numbers.
            m_device.storeInFreeSlot(GdiPlaceholder{});
            break;
        case META_MOVETO:
            if (p.has(2))
                m_device.moveTo(QPointF(p.s(1), p.s(0)));
            break;
        case META_LINETO:
            if (p.has(2))
                m_device.lineTo(QPointF(p.s(1), p.s(0)));
            break;
        case META_POLYLINE:
        case META_POLYGON:
            if (p.has(1)) {
                const QPolygonF points = p.points(1, p.u(0));
                if (function == META_POLYGON)
                    m_device.polygon(points);
                else
                    m_device.polyline(points);
            }
            break;
        case META_POLYPOLYGON:
            polyPolygon(p);
            break;
        case META_RECTANGLE:
            if (p.has(4))
                m_device.rectangle(p.boxReversed(0));
            break;
        case META_ELLIPSE:
            if (p.has(4))
                m_device.ellipse(p.boxReversed(0));
            break;
        case META_ROUNDRECT:
            if (p.has(6))
                m_device.roundRect(p.boxReversed(2), QSizeF(p.s(1), p.s(0)));
            break;
        case META_ARC:
        case META_PIE:
        case META_CHORD:
            if (p.has(8)) {
                const auto kind = function == META_ARC   ? MetafileDevice::ArcKind::Arc
                                  : function == META_PIE ? MetafileDevice::ArcKind::Pie
                                                         : MetafileDevice::ArcKind::Chord;
                m_device.arc(kind, p.boxReversed(4), QPointF(p.s(3), p.s(2)),
                             QPointF(p.s(1), p.s(0)));
            }
            break;
        case META_SETPIXEL:
            if (p.has(4))
                m_device.setPixel(QPointF(p.s(3), p.s(2)), colourFromRef(p.u32(0)));
            break;
        case META_INTERSECTCLIPRECT:
            if (p.has(4))
                m_device.intersectClip(p.boxReversed(0));
            break;
        case META_EXCLUDECLIPRECT:
            if (p.has(4))
                m_device.excludeClip(p.boxReversed(0));
            break;
        case META_OFFSETCLIPRGN:
            if (p.has(2))
                m_device.offsetClip(QPointF(p.s(1), p.s(0)));
            break;
        case META_SELECTCLIPREGION:
            // Selecting no region lifts the clip.
            if (const GdiRegion* selected = p.has(1) ? m_device.regionObject(p.u(0)) : nullptr)
                m_device.combineClipLogicalRects(selected->rects, RGN_COPY);
            else
                m_device.resetClip();
            break;
        case META_FILLREGION:
        case META_PAINTREGION:
            if (const GdiRegion* shape = p.has(1) ? m_device.regionObject(p.u(0)) : nullptr) {
                const QBrush brush = m_device.qtBrush(function == META_FILLREGION && p.has(2)
                                                          ? m_device.brushObject(p.u(1))
                                                          : s.brush);
                for (const QRectF& rect : shape->rects)
                    m_device.fillRectangle(rect, brush);
            }
            break;
        case META_TEXTOUT:
            text(p, false);
            break;
        case META_EXTTEXTOUT:
            text(p, true);
            break;
        case META_PATBLT:
            if (p.has(6))
                m_device.patternFill(QRectF(p.s(5), p.s(4), p.s(3), p.s(2)), p.u32(0));
            break;
        case META_BITBLT:
        case META_STRETCHBLT:
        case META_DIBBITBLT:
        case META_DIBSTRETCHBLT:
            // Without a bitmap the record's size in words is its function's high byte plus
            // three, with a reserved word after the operation, which then takes no source.
            if (p.words() == std::size_t(function >> 8)) {
                const std::size_t at =
                    function == META_BITBLT || function == META_DIBBITBLT ? 5 : 7;
                m_device.patternFill(QRectF(p.s(at + 3), p.s(at + 2), p.s(at + 1), p.s(at)),
                                     p.u32(0));
                break;
            }
            if (function == META_DIBBITBLT || function == META_DIBSTRETCHBLT)
                bitmap(function, p);
            break;
        case META_STRETCHDIB:
        case META_SETDIBTODEV:
            bitmap(function, p);
            break;
        default:
            break;
    }
}

QImage WmfPlayer::recordDib(std::span<const std::uint8_t> dib, std::uint32_t colourUse, bool kept)
{
    QImage image = decodePackedRecordBitmap(dib, colourUse, m_device.bitmapLimits(kept));
    m_device.spendDecoded(image);
    return image;
}

GdiObject WmfPlayer::region(const Params& p) const
{
    // Scans after an 11-word header: a count of edges, top, bottom, the left-right pairs and
    // the count again.
    GdiRegion out;
    std::size_t at = 11;
    const std::size_t scans = p.u(5);
    for (std::size_t scan = 0; scan < scans && p.has(at + 3); ++scan) {
        const std::size_t edges = p.u(at);
        const double top = p.s(at + 1);
        const double bottom = p.s(at + 2);
        if (!p.has(at + 3 + edges + 1) ||
            out.rects.size() + edges / 2 > std::size_t(m_device.limits().maxClipElements))
            break;
        for (std::size_t e = 0; e + 1 < edges; e += 2)
            out.rects.emplace_back(QPointF(p.s(at + 3 + e), top), QPointF(p.s(at + 4 + e), bottom));
        at += 3 + edges + 1;
    }
    return out;
}

void WmfPlayer::polyPolygon(const Params& p)
{
    if (!p.has(1))
        return;
    const std::size_t count = p.u(0);
    if (!p.has(1 + count))
        return;
    std::vector<QPolygonF> polygons;
    std::size_t at = 1 + count;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t points = p.u(1 + i);
        if (!p.has(at + 2 * points))
            return;
        polygons.push_back(p.points(at, points));
        at += 2 * points;
    }
    m_device.polyPolygon(polygons);
}

void WmfPlayer::text(const Params& p, bool extended)
{
    if (!extended) {
        if (!p.has(1))
            return;
        const std::size_t length = p.u(0);
        const std::size_t stringWords = (length + 1) / 2;
        if (!p.has(1 + stringWords + 2))
            return;
        const QString text = ansiText(p.from(1).first(length));
        const QPointF at(p.s(1 + stringWords + 1), p.s(1 + stringWords));
        m_device.text(at, text, {}, 0, std::nullopt);
        return;
    }
    if (!p.has(4))
        return;
    const QPointF at(p.s(1), p.s(0));
    const std::size_t length = p.u(2);
    const int options = p.u(3);
    std::size_t index = 4;
    std::optional<QRectF> box;
    if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
        if (!p.has(8))
            return;
        box = QRectF(QPointF(p.s(4), p.s(5)), QPointF(p.s(6), p.s(7)));
        index = 8;
    }
    const std::size_t stringWords = (length + 1) / 2;
    if (!p.has(index + stringWords))
        return;
    const QString text = ansiText(p.from(index).first(length));
    std::vector<double> dx;
    const std::size_t dxIndex = index + stringWords;
    if (p.has(dxIndex + length)) {
        dx.reserve(length);
        for (std::size_t i = 0; i < length; ++i)
            dx.push_back(p.s(dxIndex + i));
    }
    m_device.text(at, text, dx, options, box);
}

void WmfPlayer::bitmap(std::uint16_t function, const Params& p)
{
    QRectF destination;
    QRectF source;
    std::size_t dibIndex = 0;
    std::uint32_t rop = p.u32(0);
    std::uint32_t colourUse = DIB_RGB_COLORS;
    switch (function) {
        case META_DIBBITBLT:
            if (!p.has(8))
                return;
            destination = QRectF(p.s(7), p.s(6), p.s(5), p.s(4));
            source = QRectF(p.s(3), p.s(2), p.s(5), p.s(4));
            dibIndex = 8;
            break;
        case META_DIBSTRETCHBLT:
            if (!p.has(10))
                return;
            destination = QRectF(p.s(9), p.s(8), p.s(7), p.s(6));
            source = QRectF(p.s(5), p.s(4), p.s(3), p.s(2));
            dibIndex = 10;
            break;
        case META_STRETCHDIB:
            if (!p.has(11))
                return;
            destination = QRectF(p.s(10), p.s(9), p.s(8), p.s(7));
            source = QRectF(p.s(6), p.s(5), p.s(4), p.s(3));
            colourUse = p.u(2);
            dibIndex = 11;
            break;
        case META_SETDIBTODEV:
            if (!p.has(9))
                return;
            destination = QRectF(p.s(8), p.s(7), p.s(6), p.s(5));
            source = QRectF(p.s(4), p.s(3), p.s(6), p.s(5));
            rop = 0x00CC0020;
            colourUse = p.u(0);
            dibIndex = 9;
            break;
        default:
            return;
    }
    const QImage image = recordDib(p.from(dibIndex), colourUse, false);
    if (image.isNull())
        return;
    // Source rows count up from the bitmap's bottom edge.
    source.moveTop(image.height() - source.top() - source.height());
    m_device.image(destination, image, source, rop);
}

}  // namespace

bool playWmfRecords(std::span<const std::uint8_t> data, std::size_t start, MetafileDevice& device)
{
    const bytes::ByteReader reader(data);
    WmfPlayer player(device);
    std::size_t position = start;
    std::uint64_t played = 0;
    while (position < data.size()) {
        if (++played > device.limits().maxRecords)
            return false;
        const auto words = reader.u32leAt(position);
        const auto function = reader.u16leAt(position + 4);
        if (!words || !function || words.value() < 3)
            return false;
        const std::uint64_t size = std::uint64_t{words.value()} * 2;
        const auto record =
            reader.bytesAt(position, std::size_t(std::min<std::uint64_t>(size, reader.size() + 1)));
        if (!record)
            return false;  // the record runs past the end
        if (function.value() == META_EOF)
            return true;
        player.play(function.value(), Params(record.value().subspan(6)));
        position += std::size_t(size);
    }
    return true;
}

}  // namespace picture
