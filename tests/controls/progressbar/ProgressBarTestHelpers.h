// Helpers for the progress-bar tests: a bar of a given size and the pixels it painted into
// its drawing device context.
#pragma once

#include "controls/progressbar/XrucProgressBar.h"

#include <QImage>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace bartest {

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

// A pixel as 0x00BBGGRR.
inline gdi::COLORREF at(const QImage& image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y);
    return gdi::RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

// The standard bar colour: the highlight system colour.
constexpr gdi::COLORREF highlight = 0xFF9933;

}  // namespace bartest
