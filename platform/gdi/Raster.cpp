#include "platform/gdi/Raster.h"

#include "platform/gdi/GdiTypes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gdi::raster {
namespace {

// How far the corner ellipse cuts into row `fromEdge` (0 = the outermost row) of a corner
// with radii rx, ry: the number of pixels left out at that side.
int cornerInset(int fromEdge, double rx, double ry)
{
    const double dy = ry - (fromEdge + 0.5);
    if (dy <= 0.0 || rx <= 0.0)
        return 0;
    if (dy >= ry)
        return int(std::ceil(rx));
    const double dx = rx * std::sqrt(1.0 - (dy / ry) * (dy / ry));
    return std::max(0, int(std::ceil(rx - dx - 0.5)));
}

int clampX(std::int64_t x)
{
    return int(std::clamp<std::int64_t>(x, MinCoordinate, std::int64_t(MaxCoordinate) + 1));
}

struct Crossing {
    double x;
    int direction;
};

}  // namespace

std::vector<Span> roundRectSpans(int left, int top, int right, int bottom, int cornerWidth,
                                 int cornerHeight, int firstRow, int lastRow)
{
    std::vector<Span> spans;
    if (right <= left || bottom <= top)
        return spans;
    const std::int64_t width = std::int64_t(right) - left;
    const std::int64_t height = std::int64_t(bottom) - top;
    const double rx = double(std::clamp<std::int64_t>(cornerWidth, 0, width)) / 2.0;
    const double ry = double(std::clamp<std::int64_t>(cornerHeight, 0, height)) / 2.0;
    const std::int64_t cornerRows = std::int64_t(std::ceil(ry));
    const int y0 = std::max({top, firstRow, MinCoordinate});
    const int y1 = std::min({bottom - 1, lastRow, MaxCoordinate});
    for (int y = y0; y <= y1; ++y) {
        const std::int64_t fromTop = std::int64_t(y) - top;
        const std::int64_t fromBottom = std::int64_t(bottom) - 1 - y;
        const std::int64_t fromEdge = std::min(fromTop, fromBottom);
        if (fromEdge >= cornerRows) {
            // Straight sides down to the bottom corner: one span.
            const int bandEnd =
                int(std::min<std::int64_t>(y1, std::int64_t(bottom) - 1 - cornerRows));
            spans.push_back({y, clampX(left), clampX(right), bandEnd - y + 1});
            y = bandEnd;
            continue;
        }
        const int inset = cornerInset(int(fromEdge), rx, ry);
        const int x0 = clampX(std::int64_t(left) + inset);
        const int x1 = clampX(std::int64_t(right) - inset);
        if (x0 < x1)
            spans.push_back({y, x0, x1});
    }
    return spans;
}

std::vector<Span> polygonSpans(const QPolygon& points, int fillMode, int firstRow, int lastRow)
{
    std::vector<Span> spans;
    if (points.size() < 3)
        return spans;
    const QRect bounds = points.boundingRect();
    const int y0 = std::max({bounds.top(), firstRow, MinCoordinate});
    const int y1 = std::min({bounds.bottom(), lastRow, MaxCoordinate});
    std::vector<Crossing> crossings;
    for (int y = y0; y <= y1; ++y) {
        const double yc = y + 0.5;
        crossings.clear();
        for (qsizetype i = 0; i < points.size(); ++i) {
            const QPoint a = points[i];
            const QPoint b = points[(i + 1) % points.size()];
            if (a.y() == b.y())
                continue;
            const bool down = a.y() < b.y();
            const double ya = down ? a.y() : b.y();
            const double yb = down ? b.y() : a.y();
            if (yc < ya || yc >= yb)
                continue;
            const double t = (yc - a.y()) / (double(b.y()) - a.y());
            crossings.push_back({a.x() + t * (double(b.x()) - a.x()), down ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(),
                  [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
        int winding = 0;
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += crossings[i].direction;
            const bool inside = fillMode == WINDING ? winding != 0 : (i % 2) == 0;
            if (!inside)
                continue;
            // Pixels whose centres lie in [xa, xb).
            const int xa = clampX(std::int64_t(std::ceil(crossings[i].x - 0.5)));
            const int xb = clampX(std::int64_t(std::ceil(crossings[i + 1].x - 0.5)));
            if (xa < xb)
                spans.push_back({y, xa, xb});
        }
    }
    return spans;
}

QRegion regionFromSpans(const std::vector<Span>& spans)
{
    QRegion region;
    std::size_t i = 0;
    while (i < spans.size()) {
        // Spans of the same columns one below the other become one rectangle.
        int rows = spans[i].rows;
        std::size_t j = i + 1;
        while (j < spans.size() && spans[j].y == spans[i].y + rows && spans[j].x0 == spans[i].x0 &&
               spans[j].x1 == spans[i].x1) {
            rows += spans[j].rows;
            ++j;
        }
        region += QRect(spans[i].x0, spans[i].y, spans[i].x1 - spans[i].x0, rows);
        i = j;
    }
    return region;
}

}  // namespace gdi::raster
