// A painter over a device context's bitmap for drawing pictures: clipped to the context's clip
// region, and with a bottom-up DIB section turned so that y = 0 is the picture's top row.
#pragma once

class QPainter;

namespace gdi {

class DeviceContext;

// Begins `painter` on the context's bitmap; false (painter not active) for a null bitmap.
bool beginUprightPainter(QPainter& painter, const DeviceContext& dc);

}  // namespace gdi
