#include "platform/gdi/UprightPainter.h"

#include "platform/gdi/DeviceContext.h"

#include <QPainter>

namespace gdi {

bool beginUprightPainter(QPainter& painter, const DeviceContext& dc)
{
    const Bitmap& target = dc.bitmap();
    if (target.isNull() || !painter.begin(&target.image()))
        return false;
    if (const std::optional<Region> clip = dc.clipRgn())
        painter.setClipRegion(clip->pixels());
    if (target.isBottomUp())
        painter.setTransform(QTransform(1, 0, 0, -1, 0, target.height()));
    return true;
}

}  // namespace gdi
