// The drawing state a metafile's records change and draw with: mapping (mapping mode, window,
// viewport, world transform), the selected pen, brush and font, text and background settings,
// the clip, a path being recorded and the saved states. Both record players (WMF and EMF) drive
// one of these; it draws onto a QPainter whose target coordinates are the device's.
#pragma once

#include "platform/picture/Metafile.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace picture {

// Mapping modes, background modes, fill modes and text alignment as the records number them.
enum MapMode : int {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_LOENGLISH = 4,
    MM_HIENGLISH = 5,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8,
};
enum TextAlign : int {
    TA_UPDATECP = 1,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
};
enum ExtTextOptions : int { ETO_OPAQUE = 2, ETO_CLIPPED = 4 };
enum ClipCombine : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

struct GdiBrush {
    int style = 0;  // BS_SOLID 0, BS_NULL 1, BS_HATCHED 2, pattern brushes 3 and 5
    QColor colour = Qt::white;
    int hatch = 0;
    QImage pattern;
    // A monochrome pattern draws its 0 bits in the text colour and its 1 bits in the
    // background colour: here, the pixels of the first palette colour are the 0 bits.
    std::optional<QRgb> monochromeZero;
};

struct GdiPen {
    int style = 0;     // PS_SOLID; the low nibble is the dash style, then caps, joins, type
    double width = 0;  // logical units; 0 is one device pixel
    QColor colour = Qt::black;
    // A user style's dash and gap lengths: logical units for a geometric pen, device pixels
    // for a cosmetic one.
    std::vector<double> dashes;
    // An extended pen's brush when it is not solid (hatched or a pattern).
    std::optional<GdiBrush> brush;
};

struct GdiFont {
    double height = 0;  // logical units: negative the em size, positive the cell height
    double width = 0;
    int escapement = 0;  // tenths of a degree, anticlockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;
};

// A region of a WMF: rectangles in logical units.
struct GdiRegion {
    std::vector<QRectF> rects;
};

// A palette or any object not read: it takes a slot but draws nothing.
struct GdiPlaceholder {};

using GdiObject = std::variant<GdiPen, GdiBrush, GdiFont, GdiRegion, GdiPlaceholder>;

struct DeviceState {
    GdiPen pen;
    GdiBrush brush;
    GdiFont font;
    QColor textColour = Qt::black;
    QColor backColour = Qt::white;
    bool opaqueBackground = true;
    bool windingFill = false;
    int textAlign = 0;
    int mapMode = MM_TEXT;
    QPointF windowOrg{0, 0};
    QSizeF windowExt{1, 1};
    QPointF viewportOrg{0, 0};
    QSizeF viewportExt{1, 1};
    QTransform world;
    QPointF current{0, 0};
    bool clockwiseArcs = false;
    int stretchMode = 1;          // BLACKONWHITE; only HALFTONE (4) smooths stretched bitmaps
    QPointF brushOrigin{0, 0};    // device units
    double miterLimit = 10;       // a miter's length over the line's width
    std::optional<QRegion> clip;  // target pixels, as a device's clip is; none = no clip
};

class MetafileDevice {
public:
    // deviceToTarget maps the file's device units onto the painter; dotsPerMm gives the
    // device's resolution for the metric mapping modes.
    MetafileDevice(QPainter& painter, const MetafileLimits& limits,
                   const QTransform& deviceToTarget, QSizeF dotsPerMm);

    DeviceState& state() { return m_state; }
    const MetafileLimits& limits() const { return m_limits; }

    // The raster limits of the next bitmap the records decode: within what is left of the
    // playback's decoding budget and, for a bitmap an object keeps, of its object budget.
    bytes::DecodeLimits bitmapLimits(bool kept) const;
    // Takes a decoded bitmap from the decoding budget.
    void spendDecoded(const QImage& image);
    // Takes what an object keeps from the object budget; false, and nothing taken, when it
    // does not fit.
    bool keepObjectBytes(std::uint64_t bytes);

    // Objects. EMF numbers them itself; WMF takes the lowest free slot.
    void storeObject(std::uint32_t index, GdiObject object);
    void storeInFreeSlot(GdiObject object);
    void selectObject(std::uint32_t index);
    void selectStockObject(std::uint32_t stock);
    void deleteObject(std::uint32_t index);
    // The brush an object number (or a stock number, top bit set) stands for; the null brush
    // when it is none.
    GdiBrush brushObject(std::uint32_t index) const;
    // The region an object number stands for; null when it is none.
    const GdiRegion* regionObject(std::uint32_t index) const;

    // Mapping: logical units to target coordinates.
    QTransform logicalToTarget() const;
    // How many target pixels one logical unit is, horizontally and vertically (unsigned).
    QSizeF logicalScale() const;

    // Drawing in logical units with the selected pen and brush (or into the open path).
    void moveTo(QPointF point);
    void lineTo(QPointF point);
    void polyline(const QPolygonF& points);
    void polylineTo(const QPolygonF& points);
    void polygon(const QPolygonF& points);
    void polyPolygon(const std::vector<QPolygonF>& polygons);
    void polyPolyline(const std::vector<QPolygonF>& lines);
    void bezier(const QPolygonF& points, bool fromCurrent);
    void rectangle(const QRectF& box);
    void roundRect(const QRectF& box, QSizeF corner);
    void ellipse(const QRectF& box);
    enum class ArcKind { Arc, ArcTo, Chord, Pie };
    void arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    void fillRectangle(const QRectF& box, const QBrush& brush);
    // A region's rectangles, in device units.
    void fillDeviceRects(const std::vector<QRectF>& rects, const GdiBrush& brush);
    void setPixel(QPointF point, const QColor& colour);
    // Text at a logical point; dx holds logical advances (empty: the font's).
    void text(QPointF point, const QString& text, const std::vector<double>& dx, int options,
              const std::optional<QRectF>& box);
    // An image into a logical rectangle (negative sizes mirror), from a source rectangle of it.
    void image(const QRectF& destination, const QImage& image, const QRectF& source,
               std::uint32_t rasterOperation, double opacity = 1.0);
    // A pattern fill of a logical rectangle by a raster operation that takes no source.
    void patternFill(const QRectF& box, std::uint32_t rasterOperation);
    // Gradients (colours with alpha): a rectangle shaded across or down, and a triangle.
    void gradientRectangle(const QRectF& box, const QColor& from, const QColor& to, bool down);
    void gradientTriangle(const QPolygonF& corners, const QColor colours[3]);
    // PolyDraw: points with their types (move, line, Bézier, close flag) from the current
    // position; AngleArc: a line to the arc's start, then the arc, anticlockwise for a
    // positive sweep.
    void polyDraw(const QPolygonF& points, std::span<const std::uint8_t> types);
    void angleArc(QPointF centre, double radius, double startDegrees, double sweepDegrees);

    // A path in logical units, filled and outlined as asked.
    void drawPath(const QPainterPath& logicalPath, bool fill, bool stroke)
    {
        drawShape(logicalPath, fill, stroke);
    }

    // Paths.
    void beginPath();
    void endPath();
    void abortPath();
    void closeFigure();
    void fillPath(bool fill, bool stroke);
    void selectClipPath(int mode);

    // Clipping. Rectangles in logical units; a region's rectangles in device units.
    void intersectClip(const QRectF& box);
    void excludeClip(const QRectF& box);
    void offsetClip(QPointF offset);
    void combineClipDeviceRects(const std::vector<QRectF>& rects, int mode);
    void combineClipPath(const QPainterPath& logicalPath, int mode);
    void combineClipLogicalRects(const std::vector<QRectF>& rects, int mode);
    void resetClip();

    // SaveDC and RestoreDC (relative when negative); false once the bound is reached.
    bool save();
    void restore(int which);

    // A brush of the record's making as Qt draws it.
    QBrush qtBrush(const GdiBrush& brush) const;

private:
    QPen qtPen() const;
    // The brush origin in the painter's own coordinates.
    QPointF brushOriginOnPainter() const;
    // Draws an image's part into a logical rectangle by a ternary raster operation (pattern,
    // source, destination); source null for the operations that take none.
    void rasterOperation(const QRectF& destination, const QImage* source, const QRectF& part,
                         std::uint32_t operation);
    // Takes a box's pixels from the budget; false once it is spent.
    bool spendPixels(const QRect& box);
    void destinationPasses(const QRect& box, const QColor& keptColour, const QColor& resultColour,
                           const QImage* kept, const QImage* result);
    bool penVisible() const;
    bool brushVisible() const;
    void drawShape(const QPainterPath& logicalPath, bool fill, bool stroke);
    void addToPath(const QPainterPath& logicalPath, bool connect);
    void combineClip(const QRegion& region, int mode);
    // A path as target pixels; none when it has more parts than a clip may.
    std::optional<QRegion> targetRegion(const QPainterPath& logicalPath) const;
    void applyClip();
    void flushClip();
    QFont qtFont(double& pixelSize) const;

    QPainter& m_painter;
    MetafileLimits m_limits;
    QTransform m_deviceToTarget;
    QSizeF m_dotsPerMm;
    QTransform m_base;                  // the painter's own transform at the start
    std::optional<QRegion> m_baseClip;  // and its clip, which every clip keeps
    QRectF m_clipBound;                 // every clip region lies inside it
    DeviceState m_state;
    std::vector<DeviceState> m_saved;
    std::map<std::uint32_t, GdiObject> m_objects;
    std::optional<QPainterPath> m_path;  // logical units, while a path is being recorded
    QPainterPath m_finishedPath;
    bool m_clipChanged = false;
    std::uint32_t m_freeSlotHint = 0;
    // Whether a path being recorded may take `more` elements.
    bool pathHasRoom(qsizetype more) const;

    std::uint64_t m_objectBytesLeft = 0;
    std::uint64_t m_decodedBytesLeft = 0;
    // Pixels that raster operations and shaded triangles may still compute one by one (16 times
    // the device's area): a file of many full-size ones would otherwise take minutes.
    std::uint64_t m_pixelBudget = std::uint64_t{1} << 22;
};

// Keeps the painter's state across one drawing that changes it.
class PainterSave {
public:
    explicit PainterSave(QPainter& painter) : m_painter(painter) { m_painter.save(); }
    ~PainterSave() { m_painter.restore(); }
    PainterSave(const PainterSave&) = delete;
    PainterSave& operator=(const PainterSave&) = delete;

private:
    QPainter& m_painter;
};

// A COLORREF (0x00BBGGRR; palette flags in the top byte ignored).
QColor colourFromRef(std::uint32_t ref);

}  // namespace picture
