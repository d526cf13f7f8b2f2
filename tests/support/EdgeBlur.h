// How soft the edges of drawn ink are, for telling text drawn at a screen's own resolution
// from text drawn coarser and scaled up.
#pragma once

#include <QImage>
#include <QRgb>
#include <cstdlib>

namespace testsupport {

// Of the pixels inked noticeably (more than a quarter of the way from the paper colour to the
// ink colour), the share that stays short of three quarters: the blur along the glyphs' edges.
// Measured on the channel in which paper and ink differ most; 1 when nothing is inked.
inline double blurredShare(const QImage& image, QRgb paper = qRgb(255, 255, 255),
                           QRgb ink = qRgb(0, 0, 0))
{
    const int channels[3][2] = {
        {qRed(paper), qRed(ink)}, {qGreen(paper), qGreen(ink)}, {qBlue(paper), qBlue(ink)}};
    int k = 0;
    for (int c = 1; c < 3; ++c)
        if (std::abs(channels[c][1] - channels[c][0]) > std::abs(channels[k][1] - channels[k][0]))
            k = c;
    const double from = channels[k][0];
    const double span = channels[k][1] - from;
    if (span == 0)
        return 1.0;
    int inked = 0;
    int blurred = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const int value = k == 0 ? qRed(pixel) : k == 1 ? qGreen(pixel) : qBlue(pixel);
            const double share = (value - from) / span;
            inked += share > 0.25 ? 1 : 0;
            blurred += share > 0.25 && share < 0.75 ? 1 : 0;
        }
    }
    return inked == 0 ? 1.0 : double(blurred) / inked;
}

}  // namespace testsupport
