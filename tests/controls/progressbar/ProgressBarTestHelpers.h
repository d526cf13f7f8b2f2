// Helpers for the progress-bar tests: a bar of a given size and the pixels it painted into
// its drawing device context.
#pragma once

#include "controls/progressbar/XrucProgressBar.h"
#include "tests/support/PixelAt.h"
#include "tests/support/QStringPrinting.h"

#include <QImage>
#include <memory>

namespace bartest {

using testsupport::pixelAt;

inline std::unique_ptr<XrucProgressBar> makeBar(int width, int height)
{
    auto bar = std::make_unique<XrucProgressBar>();
    bar->resize(width, height);
    return bar;
}

// The client-sized part of what the last paint drew.
inline QImage painted(const XrucProgressBar& bar)
{
    return bar.hDC()->bitmap().image().copy(0, 0, bar.width(), bar.height());
}

// The standard bar colour: the highlight system colour.
constexpr gdi::COLORREF highlight = 0xFF9933;

}  // namespace bartest
