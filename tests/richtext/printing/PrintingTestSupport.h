// What the printing tests share: documents of many pages, the ink bands of printed lines, and
// the stamp as the printer prints it alone, to compare a printed page's stamp with.
#pragma once

#include "platform/host/Printer.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/printing/PrintingMod.h"
#include "tests/support/FakePrinter.h"

#include <QImage>
#include <QStringList>
#include <vector>

namespace testsupport {

// Paragraphs of "x" runs whose lengths step by four characters in a repeating, uneven order, so
// that the sequence of line widths identifies the lines.
inline QString numberedLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QString((i * 7 % 13) * 4 + 3, QLatin1Char('x'));
    return lines.join(QStringLiteral("\r\n"));
}

// A horizontal band of ink: one printed line, in the image's pixels.
struct InkBand {
    int top = 0;
    int bottom = 0;  // inclusive
    int left = 0;
    int right = 0;
};

// The bands of ink between the rows `from` and `to` (exclusive) of an image.
inline std::vector<InkBand> inkBands(const QImage& image, int from, int to)
{
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    std::vector<InkBand> bands;
    bool inBand = false;
    for (int y = std::max(from, 0); y < std::min(to, pixels.height()); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        int left = -1;
        int right = -1;
        for (int x = 0; x < pixels.width(); ++x) {
            if (qGray(line[x]) < 160) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        if (left < 0) {
            inBand = false;
            continue;
        }
        if (!inBand)
            bands.push_back(InkBand{y, y, left, right});
        InkBand& band = bands.back();
        band.bottom = y;
        band.left = std::min(band.left, left);
        band.right = std::max(band.right, right);
        inBand = true;
    }
    return bands;
}

// The rows of a stamp band on a sheet at `twipsPerPixel`: top stamps from 360, bottom ones from
// 14610 twips below the printable area's top, one stamp line high.
inline QImage stampBand(const QImage& page, bool bottom, int twipsPerPixel, int offsetY = 0)
{
    const int top = (bottom ? PrintingMod::BottomStampY : PrintingMod::TopStampY) / twipsPerPixel;
    return page.copy(0, top + offsetY, page.width(), 240 / twipsPerPixel);
}

// The stamp printed alone on a page of its own, as the print procedures place it.
inline QImage referenceStamp(FakePrinter& printer, QString text, int32_t position)
{
    host::printer().setScaleMode(host::vbTwips);
    int32_t place = position;
    const int32_t x = PrintingMod::PlaceStamp(place, text);
    host::printer().setCurrentX(x);
    host::printer().Print(text);
    host::printer().EndDoc();
    return printer.pages().back();
}

}  // namespace testsupport
