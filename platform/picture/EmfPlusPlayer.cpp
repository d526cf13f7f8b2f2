// The EMF+ records that a file holding only those (or a dual file whose own records draw
// nothing) needs for its common drawings: solid brushes, pens of a solid brush (width in their
// unit, caps, join, miter limit), paths, bitmaps and fonts (as objects); filled and outlined
// rectangles, ellipses, polygons, lines and paths; images (compressed PNG/JPEG/GIF/BMP, or
// 32-bit pixels) interpolated unless nearest neighbour is asked for; strings (from their layout
// rectangle's top left, without the string format's alignment or wrapping) and characters at
// their glyphs' baseline positions; the world and page transforms, saved states and rectangle
// and path clips. Other records (gradient, hatch and texture brushes, dashed pens, curves, arcs
// and pies, regions, containers, relative or run-length coded points, objects continued over
// several records) are passed over.
#include "platform/picture/MetafilePlayers.h"

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/CheckedSize.h"

#include <QBuffer>
#include <QImageReader>
#include <bit>
#include <cmath>
#include <map>

namespace picture {
namespace {

constexpr std::uint32_t EMR_GDICOMMENT = 70;
constexpr std::uint32_t EmfPlusMark = 0x2B464D45;  // "EMF+"

enum PlusRecord : std::uint16_t {
    Header = 0x4001,
    EndOfFile = 0x4002,
    Object = 0x4008,
    FillRects = 0x400A,
    DrawRects = 0x400B,
    FillPolygon = 0x400C,
    DrawLines = 0x400D,
    FillEllipse = 0x400E,
    DrawEllipse = 0x400F,
    FillPath = 0x4014,
    DrawPath = 0x4015,
    DrawImage = 0x401A,
    DrawImagePoints = 0x401B,
    DrawString = 0x401C,
    DrawDriverString = 0x4036,
    SetInterpolationMode = 0x4021,
    Save = 0x4025,
    Restore = 0x4026,
    SetWorldTransform = 0x402A,
    ResetWorldTransform = 0x402B,
    MultiplyWorldTransform = 0x402C,
    TranslateWorldTransform = 0x402D,
    ScaleWorldTransform = 0x402E,
    RotateWorldTransform = 0x402F,
    SetPageTransform = 0x4030,
    ResetClip = 0x4031,
    SetClipRect = 0x4032,
    SetClipPath = 0x4033,
};

enum ObjectType { BrushObject = 1, PenObject = 2, PathObject = 3, ImageObject = 5, FontObject = 6 };
constexpr std::uint16_t SolidColourFlag = 0x8000;  // the brush field holds a colour
constexpr std::uint16_t CompressedFlag = 0x4000;   // 16-bit integer coordinates
constexpr std::uint16_t RelativeFlag = 0x0800;     // relative points (not read)
constexpr std::uint16_t AppendFlag = 0x2000;       // transforms multiply after the current one
constexpr std::size_t MaxSavedPlusStates = 256;
constexpr double MaxValue = 1e9;

double finite(float value)
{
    return std::isfinite(value) && std::abs(value) <= MaxValue ? double(value) : 0.0;
}

class Fields {
public:
    explicit Fields(std::span<const std::uint8_t> data) : m_reader(data) {}
    std::size_t size() const { return m_reader.size(); }
    std::uint32_t u32(std::size_t at) const { return m_reader.u32leAt(at).valueOr(0); }
    std::int16_t i16(std::size_t at) const { return m_reader.i16leAt(at).valueOr(0); }
    double f(std::size_t at) const { return finite(std::bit_cast<float>(u32(at))); }
    bool fits(std::uint64_t at, std::uint64_t count) const
    {
        return bytes::rangeFits(at, count, m_reader.size());
    }
    std::span<const std::uint8_t> from(std::size_t at) const
    {
        return at <= m_reader.size() ? m_reader.data().subspan(at)
                                     : std::span<const std::uint8_t>();
    }
    QRectF rect(std::size_t at, bool compressed) const
    {
        if (compressed)
            return QRectF(i16(at), i16(at + 2), i16(at + 4), i16(at + 6));
        return QRectF(f(at), f(at + 4), f(at + 8), f(at + 12));
    }
    QPolygonF points(std::size_t at, std::uint64_t count, bool compressed) const
    {
        const std::uint64_t each = compressed ? 4 : 8;
        QPolygonF out;
        if (!fits(at, count * each))
            return out;
        out.reserve(qsizetype(count));
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::size_t p = at + std::size_t(i * each);
            out.append(compressed ? QPointF(i16(p), i16(p + 2)) : QPointF(f(p), f(p + 4)));
        }
        return out;
    }
    QTransform transform(std::size_t at) const
    {
        return QTransform(f(at), f(at + 4), f(at + 8), f(at + 12), f(at + 16), f(at + 20));
    }

private:
    bytes::ByteReader m_reader;
};

QPainterPath pathObject(const Fields& d)
{
    QPainterPath path;
    const std::uint64_t count = d.u32(4);
    const std::uint32_t flags = d.u32(8);
    if (flags & RelativeFlag)
        return path;
    const bool compressed = flags & CompressedFlag;
    const QPolygonF points = d.points(12, count, compressed);
    const std::size_t typesAt = 12 + std::size_t(count) * (compressed ? 4 : 8);
    if (points.size() != qsizetype(count) || !d.fits(typesAt, count))
        return path;
    const auto types = d.from(typesAt);
    for (qsizetype i = 0; i < points.size(); ++i) {
        const std::uint8_t type = types[std::size_t(i)];
        if ((type & 7) == 0 || path.elementCount() == 0) {
            path.moveTo(points[i]);
        } else if ((type & 7) == 3 && i + 2 < points.size()) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
            if (types[std::size_t(i)] & 0x80)
                path.closeSubpath();
            continue;
        } else {
            path.lineTo(points[i]);
        }
        if (type & 0x80)
            path.closeSubpath();
    }
    return path;
}

// A pen of a solid brush: its width in its own unit, and its caps, join and miter limit.
struct PlusPen {
    QColor colour;
    double width = 0;
    int unit = 0;                          // world units
    int style = 0x10000 | 0x200 | 0x2000;  // geometric, flat caps and miter joins
    double miterLimit = 10;
};

// Reads the optional fields its flags announce, then the brush after them.
std::optional<PlusPen> penObject(const Fields& d)
{
    const std::uint32_t flags = d.u32(8);
    PlusPen pen;
    pen.unit = int(d.u32(12));
    pen.width = d.f(16);
    std::uint64_t at = 20;
    static const std::pair<std::uint32_t, std::uint32_t> fixedFields[] = {
        {0x01, 24}, {0x02, 4}, {0x04, 4}, {0x08, 4}, {0x10, 4}, {0x20, 4}, {0x40, 4}, {0x80, 4}};
    for (const auto& [bit, size] : fixedFields) {
        if (!(flags & bit))
            continue;
        const std::size_t field = std::size_t(std::min<std::uint64_t>(at, d.size()));
        if (bit == 0x02) {  // the start cap: flat, square, round (GDI has one for both ends)
            static const int caps[] = {0x200, 0x100, 0};
            pen.style = (pen.style & ~0xF00) | (d.u32(field) < 3 ? caps[d.u32(field)] : 0x200);
        } else if (bit == 0x08) {  // miter, bevel, round, clipped miter
            static const int joins[] = {0x2000, 0x1000, 0, 0x2000};
            pen.style = (pen.style & ~0xF000) | (d.u32(field) < 4 ? joins[d.u32(field)] : 0x2000);
        } else if (bit == 0x10 && d.f(field) >= 1) {
            pen.miterLimit = d.f(field);
        }
        at += size;
    }
    for (const std::uint32_t bit : {0x100u, 0x200u, 0x400u, 0x800u, 0x1000u}) {
        if (!(flags & bit))
            continue;
        if (bit == 0x200) {
            at += 4;
            continue;
        }
        const std::uint64_t n = d.u32(std::size_t(std::min<std::uint64_t>(at, d.size())));
        at += 4 + (bit == 0x800 || bit == 0x1000 ? n : n * 4);
    }
    if (!d.fits(at, 12) || d.u32(std::size_t(at) + 4) != 0)
        return std::nullopt;  // only solid brushes are read
    pen.colour = QColor::fromRgba(d.u32(std::size_t(at) + 8));
    return pen;
}

QImage imageObject(const Fields& d, const bytes::DecodeLimits& limits)
{
    if (d.u32(4) != 1)
        return {};  // a metafile inside is not played
    const std::int64_t width = std::int32_t(d.u32(8));
    const std::int64_t height = std::int32_t(d.u32(12));
    const std::int64_t stride = std::int32_t(d.u32(16));
    const std::uint32_t format = d.u32(20);
    if (d.u32(24) == 1) {
        const auto data = d.from(28);
        QByteArray copy = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                                  qsizetype(data.size()));
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        const QByteArray kind = reader.format();
        if (kind != "png" && kind != "jpeg" && kind != "gif" && kind != "bmp")
            return {};
        // Held to the limits by the size it announces, and by Qt's own bound (0 lifts that).
        const QSize size = reader.size();
        if (!bytes::checkImageSize(limits, size.width(), size.height(), 4) ||
            (limits.maxImageBytes >> 20) == 0)
            return {};
        reader.setAllocationLimit(
            int(std::min<std::uint64_t>(limits.maxImageBytes >> 20, 1 << 30)));
        return reader.read();
    }
    const bool argb = format == 0x0026200A;
    const bool pargb = format == 0x000E200B;
    const bool rgb = format == 0x00022009;
    if ((!argb && !pargb && !rgb) || !bytes::checkImageSize(limits, width, height, 4) ||
        stride < width * 4 || !d.fits(28, std::uint64_t(stride) * std::uint64_t(height)))
        return {};
    const auto data = d.from(28);
    const QImage view(data.data(), int(width), int(height), int(stride),
                      argb    ? QImage::Format_ARGB32
                      : pargb ? QImage::Format_ARGB32_Premultiplied
                              : QImage::Format_RGB32);
    return view.copy();
}

struct PlusState {
    QTransform world;
    double pageScale = 1;
    int pageUnit = 2;
    int deviceDepth = 0;
};

class EmfPlusPlayer {
public:
    EmfPlusPlayer(MetafileDevice& device, double dpiX) : m_device(device), m_dpi(dpiX)
    {
        m_device.state().stretchMode = 4;  // images are interpolated unless a record says not
    }
    void play(std::uint16_t type, std::uint16_t flags, const Fields& d);

private:
    void object(std::uint16_t flags, const Fields& d);
    void applyTransform();
    void useBrush(std::uint16_t flags, std::uint32_t brush);
    bool usePen(std::uint32_t id);
    void transform(std::uint16_t flags, const QTransform& change);
    void image(std::uint16_t flags, const Fields& d, bool points);
    void useFont(std::uint16_t flags, std::uint32_t brush, int align);
    void text(std::uint16_t flags, const Fields& d);
    void driverText(std::uint16_t flags, const Fields& d);

    MetafileDevice& m_device;
    double m_dpi;
    PlusState m_state;
    std::map<std::uint32_t, PlusState> m_saved;
    std::map<std::uint32_t, QColor> m_brushes;
    std::map<std::uint32_t, PlusPen> m_pens;
    std::map<std::uint32_t, QPainterPath> m_paths;
    std::map<std::uint32_t, QImage> m_images;
    std::map<std::uint32_t, std::pair<GdiFont, int>> m_fonts;  // with the unit of its size
};

// Device pixels in one of a unit (world, display and pixel units count as pixels).
double pixelsPerUnit(int unit, double dpi)
{
    switch (unit) {
        case 3:
            return dpi / 72.0;
        case 4:
            return dpi;
        case 5:
            return dpi / 300.0;
        case 6:
            return dpi / 25.4;
        default:
            return 1;
    }
}

// A font object: its size, style and family.
std::optional<std::pair<GdiFont, int>> fontObject(const Fields& d)
{
    const std::uint64_t length = d.u32(20);
    if (!d.fits(24, length * 2))
        return std::nullopt;
    GdiFont font;
    font.height = -d.f(4);
    const std::uint32_t style = d.u32(12);
    font.weight = (style & 1) ? 700 : 400;
    font.italic = style & 2;
    font.underline = style & 4;
    font.strikeOut = style & 8;
    const auto name = d.from(24);
    for (std::size_t i = 0; i < std::size_t(length); ++i)
        font.face.append(QChar(char16_t(name[2 * i] | (name[2 * i + 1] << 8))));
    return std::pair(font, int(d.u32(8)));
}

void EmfPlusPlayer::applyTransform()
{
    const double unit = pixelsPerUnit(m_state.pageUnit, m_dpi);
    const double scale = unit * m_state.pageScale;
    m_device.state().world = m_state.world * QTransform::fromScale(scale, scale);
}

void EmfPlusPlayer::useBrush(std::uint16_t flags, std::uint32_t brush)
{
    QColor colour = Qt::transparent;
    if (flags & SolidColourFlag) {
        colour = QColor::fromRgba(brush);
    } else if (const auto found = m_brushes.find(brush); found != m_brushes.end()) {
        colour = found->second;
    }
    m_device.state().brush = GdiBrush{0, colour, 0, {}, {}};
    m_device.state().pen = GdiPen{5, 0, Qt::black, {}, {}};
}

bool EmfPlusPlayer::usePen(std::uint32_t id)
{
    const auto found = m_pens.find(id);
    if (found == m_pens.end())
        return false;
    const PlusPen& pen = found->second;
    // A width in world units, or in another unit's pixels over the page's.
    double width = pen.width;
    const double page = pixelsPerUnit(m_state.pageUnit, m_dpi) * m_state.pageScale;
    if (pen.unit != 0 && page > 0)
        width *= pixelsPerUnit(pen.unit, m_dpi) / page;
    m_device.state().pen = GdiPen{pen.style, width, pen.colour, {}, {}};
    m_device.state().miterLimit = pen.miterLimit;
    m_device.state().brush = GdiBrush{1, Qt::white, 0, {}, {}};
    return true;
}

void EmfPlusPlayer::object(std::uint16_t flags, const Fields& d)
{
    if (flags & 0x8000)
        return;  // an object continued over several records is not read
    const std::uint32_t id = flags & 0xFF;
    switch ((flags >> 8) & 0x7F) {
        case BrushObject:
            if (d.u32(4) == 0 && d.fits(8, 4))
                m_brushes[id] = QColor::fromRgba(d.u32(8));
            break;
        case PenObject:
            if (const auto pen = penObject(d))
                m_pens[id] = *pen;
            break;
        case PathObject: {
            QPainterPath path = pathObject(d);
            if (m_device.keepObjectBytes(std::uint64_t(path.elementCount()) *
                                         sizeof(QPainterPath::Element)))
                m_paths[id] = std::move(path);
            else
                m_paths.erase(id);
            break;
        }
        case ImageObject: {
            QImage image = imageObject(d, m_device.bitmapLimits(true));
            m_device.spendDecoded(image);
            if (m_device.keepObjectBytes(
                    std::uint64_t(std::max<qsizetype>(image.sizeInBytes(), 0))))
                m_images[id] = std::move(image);
            else
                m_images.erase(id);
            break;
        }
        case FontObject:
            if (auto font = fontObject(d))
                m_fonts[id] = std::move(*font);
            break;
        default:
            break;
    }
}

void EmfPlusPlayer::transform(std::uint16_t flags, const QTransform& change)
{
    m_state.world = (flags & AppendFlag) ? m_state.world * change : change * m_state.world;
    applyTransform();
}

void EmfPlusPlayer::image(std::uint16_t flags, const Fields& d, bool points)
{
    const auto found = m_images.find(flags & 0xFF);
    if (found == m_images.end() || found->second.isNull())
        return;
    const QRectF source(d.f(8), d.f(12), d.f(16), d.f(20));
    const bool compressed = flags & CompressedFlag;
    if (!points) {
        m_device.image(d.rect(24, compressed), found->second, source, 0x00CC0020);
        return;
    }
    const QPolygonF corners = d.points(28, 3, compressed);
    if (d.u32(24) != 3 || corners.size() != 3 || source.width() == 0 || source.height() == 0)
        return;
    // The three points are the destination's top-left, top-right and bottom-left corners.
    const QTransform saved = m_device.state().world;
    const QPointF across = corners[1] - corners[0];
    const QPointF down = corners[2] - corners[0];
    const QTransform place(across.x(), across.y(), down.x(), down.y(), corners[0].x(),
                           corners[0].y());
    m_device.state().world = place * saved;
    m_device.image(QRectF(0, 0, 1, 1), found->second, source, 0x00CC0020);
    m_device.state().world = saved;
}

QString utf16(std::span<const std::uint8_t> units, std::size_t length)
{
    QString text;
    for (std::size_t i = 0; i < length; ++i)
        text.append(QChar(char16_t(units[2 * i] | (units[2 * i + 1] << 8))));
    return text;
}

// The font of the record's object id (the caller checked it exists), its colour and alignment.
void EmfPlusPlayer::useFont(std::uint16_t flags, std::uint32_t brush, int align)
{
    const auto& [font, unit] = m_fonts[flags & 0xFF];
    // The size in world units: its own unit's pixels over the page's.
    const double page = pixelsPerUnit(m_state.pageUnit, m_dpi) * m_state.pageScale;
    GdiFont shown = font;
    if (page > 0)
        shown.height *= pixelsPerUnit(unit, m_dpi) / page;
    DeviceState& s = m_device.state();
    s.font = shown;
    s.textColour = (flags & SolidColourFlag) ? QColor::fromRgba(brush)
                   : m_brushes.count(brush)  ? m_brushes[brush]
                                             : QColor(Qt::black);
    s.textAlign = align;
    s.opaqueBackground = false;
}

void EmfPlusPlayer::text(std::uint16_t flags, const Fields& d)
{
    const std::uint64_t length = d.u32(8);
    if (!m_fonts.count(flags & 0xFF) || !d.fits(28, length * 2))
        return;
    useFont(flags, d.u32(0), 0);  // from the layout rectangle's top left
    m_device.text(QPointF(d.f(12), d.f(16)), utf16(d.from(28), std::size_t(length)), {}, 0,
                  std::nullopt);
}

// Characters (not glyph indices, which would need the font's own tables) at baseline positions:
// each its own, or the first one's and the font's advances after it.
void EmfPlusPlayer::driverText(std::uint16_t flags, const Fields& d)
{
    constexpr std::uint32_t CmapLookup = 1;
    constexpr std::uint32_t RealizedAdvance = 4;
    constexpr int Baseline = 24;
    const std::uint32_t options = d.u32(4);
    const std::uint64_t count = d.u32(12);
    const std::size_t positionsAt = 16 + std::size_t(std::min<std::uint64_t>(count, 1u << 28)) * 2;
    const QPolygonF positions = d.points(positionsAt, count, false);
    if (!m_fonts.count(flags & 0xFF) || !(options & CmapLookup) || count == 0 ||
        positions.size() != qsizetype(count))
        return;
    const QString text = utf16(d.from(16), std::size_t(count));
    useFont(flags, d.u32(0), Baseline);
    const QTransform saved = m_device.state().world;
    if (d.u32(8) != 0 && d.fits(positionsAt + std::size_t(count) * 8, 24))
        m_device.state().world = d.transform(positionsAt + std::size_t(count) * 8) * saved;
    if (options & RealizedAdvance) {
        m_device.text(positions[0], text, {}, 0, std::nullopt);
    } else {
        for (qsizetype i = 0; i < text.size(); ++i)
            m_device.text(positions[i], text.mid(i, 1), {}, 0, std::nullopt);
    }
    m_device.state().world = saved;
}

void EmfPlusPlayer::play(std::uint16_t type, std::uint16_t flags, const Fields& d)
{
    const bool compressed = flags & CompressedFlag;
    switch (type) {
        case Object:
            object(flags, d);
            break;
        case FillRects:
        case DrawRects: {
            const std::size_t at = type == FillRects ? 8 : 4;
            const std::uint64_t count = d.u32(at - 4);
            if (!d.fits(at, count * (compressed ? 8 : 16)))
                break;
            if (type == FillRects)
                useBrush(flags, d.u32(0));
            else if (!usePen(flags & 0xFF))
                break;
            for (std::uint64_t i = 0; i < count; ++i)
                m_device.rectangle(d.rect(at + std::size_t(i) * (compressed ? 8 : 16), compressed));
            break;
        }
        case FillEllipse:
            useBrush(flags, d.u32(0));
            m_device.ellipse(d.rect(4, compressed));
            break;
        case DrawEllipse:
            if (usePen(flags & 0xFF))
                m_device.ellipse(d.rect(0, compressed));
            break;
        case FillPolygon:
            if (!(flags & RelativeFlag)) {
                useBrush(flags, d.u32(0));
                m_device.polygon(d.points(8, d.u32(4), compressed));
            }
            break;
        case DrawLines:
            if (!(flags & RelativeFlag) && usePen(flags & 0xFF)) {
                QPolygonF line = d.points(4, d.u32(0), compressed);
                if ((flags & 0x2000) && !line.isEmpty())
                    line.append(line.front());
                m_device.polyline(line);
            }
            break;
        case FillPath:
        case DrawPath: {
            const auto path = m_paths.find(flags & 0xFF);
            if (path == m_paths.end())
                break;
            if (type == FillPath)
                useBrush(flags, d.u32(0));
            else if (!usePen(d.u32(0)))
                break;
            m_device.state().windingFill = path->second.fillRule() == Qt::WindingFill;
            m_device.drawPath(path->second, type == FillPath, type == DrawPath);
            break;
        }
        case DrawString:
            text(flags, d);
            break;
        case DrawDriverString:
            driverText(flags, d);
            break;
        case DrawImage:
        case DrawImagePoints:
            image(flags, d, type == DrawImagePoints);
            break;
        case Save:
            if (m_saved.size() < MaxSavedPlusStates && m_device.save()) {
                m_state.deviceDepth += 1;
                m_saved[d.u32(0)] = m_state;
            }
            break;
        case Restore:
            if (const auto found = m_saved.find(d.u32(0)); found != m_saved.end()) {
                m_device.restore(found->second.deviceDepth);
                m_state = found->second;
                m_state.deviceDepth -= 1;
                m_saved.erase(found);
                applyTransform();
            }
            break;
        case SetWorldTransform:
            m_state.world = d.transform(0);
            applyTransform();
            break;
        case ResetWorldTransform:
            m_state.world = QTransform();
            applyTransform();
            break;
        case MultiplyWorldTransform:
            transform(flags, d.transform(0));
            break;
        case TranslateWorldTransform:
            transform(flags, QTransform::fromTranslate(d.f(0), d.f(4)));
            break;
        case ScaleWorldTransform:
            transform(flags, QTransform::fromScale(d.f(0), d.f(4)));
            break;
        case RotateWorldTransform:
            transform(flags, QTransform().rotate(d.f(0)));
            break;
        case SetInterpolationMode:
            // Nearest neighbour keeps bitmaps crisp; every other mode interpolates.
            m_device.state().stretchMode = (flags & 0xFF) == 5 ? 3 : 4;
            break;
        case SetPageTransform:
            m_state.pageUnit = flags & 0xFF;
            m_state.pageScale = d.f(0);
            applyTransform();
            break;
        case ResetClip:
            m_device.resetClip();
            break;
        case SetClipRect:
        case SetClipPath: {
            static const int modes[] = {RGN_COPY, RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF};
            const int mode = (flags >> 8) & 0xF;
            if (mode > 4)
                break;
            QPainterPath clip;
            if (type == SetClipRect) {
                clip.addRect(d.rect(0, false));
            } else if (const auto path = m_paths.find(flags & 0xFF); path != m_paths.end()) {
                clip = path->second;
            } else {
                break;
            }
            m_device.combineClipPath(clip, modes[mode]);
            break;
        }
        default:
            break;
    }
}

// Calls `each` with every EMF+ record in the comments of an EMF's records; stops when it
// answers false. False when the records are damaged.
template <class Each>
bool forEachPlusRecord(std::span<const std::uint8_t> data, std::uint64_t maxRecords, Each each)
{
    std::uint64_t played = 0;
    bool stopped = false;
    const bool whole = forEachEmfRecord(
        data, maxRecords, [&](std::uint32_t type, std::span<const std::uint8_t> record) {
            const Fields comment(record);
            if (type != EMR_GDICOMMENT || comment.u32(12) != EmfPlusMark)
                return true;
            const std::uint64_t declared = comment.u32(8);
            const std::size_t length = std::size_t(std::min<std::uint64_t>(
                declared >= 4 ? declared - 4 : 0, comment.size() >= 16 ? comment.size() - 16 : 0));
            const bytes::ByteReader plus(comment.from(16).first(length));
            std::size_t at = 0;
            while (at + 12 <= plus.size()) {
                if (++played > maxRecords) {
                    stopped = true;
                    return false;
                }
                const std::uint16_t plusType = plus.u16leAt(at).valueOr(0);
                const std::uint16_t flags = plus.u16leAt(at + 2).valueOr(0);
                const std::uint32_t plusSize = plus.u32leAt(at + 4).valueOr(0);
                const std::uint32_t dataSize = plus.u32leAt(at + 8).valueOr(0);
                if (plusSize < 12 || !bytes::rangeFits(at, plusSize, plus.size()) ||
                    dataSize > plusSize - 12)
                    break;
                if (!each(plusType, flags,
                          Fields(plus.data().subspan(at + 12, std::size_t(dataSize)))))
                    return false;
                at += plusSize;
            }
            return true;
        });
    return whole && !stopped;
}

}  // namespace

bool playsEmfPlus(std::span<const std::uint8_t> data, std::uint64_t maxRecords)
{
    std::optional<bool> dual;
    forEachPlusRecord(data, 16, [&](std::uint16_t type, std::uint16_t flags, const Fields&) {
        if (type == Header)
            dual = (flags & 1) != 0;
        return false;
    });
    if (!dual)
        return false;
    return !*dual || !emfRecordsDraw(data, maxRecords);
}

bool playEmfPlusRecords(std::span<const std::uint8_t> data, MetafileDevice& device,
                        const QRectF& /*target*/)
{
    double dpi = 96;
    std::optional<EmfPlusPlayer> player;
    return forEachPlusRecord(data, device.limits().maxRecords,
                             [&](std::uint16_t type, std::uint16_t flags, const Fields& d) {
                                 if (type == Header) {
                                     if (d.u32(8) > 0 && d.u32(8) < 100000)
                                         dpi = d.u32(8);
                                     player.emplace(device, dpi);
                                     return true;
                                 }
                                 if (type == EndOfFile)
                                     return false;
                                 if (!player)
                                     player.emplace(device, dpi);
                                 player->play(type, flags, d);
                                 return true;
                             });
}

}  // namespace picture
