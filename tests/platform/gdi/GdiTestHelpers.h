// Helpers for pixel tests of the device-context layer: a white canvas with its own device
// context, and rows of pixels written as characters so expectations read like pictures.
#pragma once

#include "platform/gdi/DeviceContext.h"

#include <QString>
#include <QStringList>
#include <map>
#include <ostream>

// Shows QStrings as text in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace gditest {

struct Canvas {
    explicit Canvas(int width, int height, gdi::COLORREF paper = 0xFFFFFF, double ratio = 1.0)
        : bitmap(gdi::Bitmap::create(width, height, ratio))
    {
        dc.selectBitmap(bitmap);
        dc.fillRect({0, 0, width, height}, gdi::Brush::solid(paper));
    }

    // One character per pixel: the legend's letter for its colour, '.' for white, '?' else.
    QString row(int y, const std::map<gdi::COLORREF, char>& legend = {{0, '#'}}) const
    {
        QString text;
        for (int x = 0; x < bitmap.width(); ++x) {
            const gdi::COLORREF c = dc.getPixel(x, y);
            const auto found = legend.find(c);
            text += found != legend.end() ? QChar(found->second) : c == 0xFFFFFF ? u'.' : u'?';
        }
        return text;
    }
    QStringList rows(const std::map<gdi::COLORREF, char>& legend = {{0, '#'}}) const
    {
        QStringList all;
        for (int y = 0; y < bitmap.height(); ++y)
            all += row(y, legend);
        return all;
    }
    // The smallest rectangle holding every pixel that is not the paper colour.
    QRect ink(gdi::COLORREF paper = 0xFFFFFF) const
    {
        QRect box;
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x)
                if (dc.getPixel(x, y) != paper)
                    box |= QRect(x, y, 1, 1);
        return box;
    }

    gdi::Bitmap bitmap;
    gdi::DeviceContext dc;
};

}  // namespace gditest
