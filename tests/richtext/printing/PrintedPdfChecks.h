// Checks of a printed PDF page against the job's geometry: the text stays inside the print
// margin and above the bottom stamp, and the stamp is where the job put it.
#pragma once

#include "richtext/printing/PrintingMod.h"
#include "tests/richtext/printing/PrintingTestSupport.h"

#include <gtest/gtest.h>
#include <QImage>
#include <cmath>

namespace testsupport {

// Where a job placed things, in twips from the sheet's top left corner.
struct SheetGeometry {
    int32_t margin = 1440;
    int32_t offsetX = 0;  // the printable area's corner
    int32_t offsetY = 0;
    int32_t paperWidth = 12240;
    int32_t paperHeight = 15840;
};

// A page rendered at `dpi`: no ink outside the text rectangle but in the stamp band, which has
// ink when `stamped`. The band is the stamp's line from its fixed height; rows at the edges of
// either area get a pixel of slack for smoothing.
inline void expectTextInsideMarginsAndAboveTheStamp(const QImage& page, int dpi,
                                                    const SheetGeometry& sheet, bool stamped)
{
    ASSERT_FALSE(page.isNull());
    const auto px = [dpi](double twips) { return twips * dpi / 1440.0; };
    const int textTop = int(std::floor(px(sheet.margin))) - 1;
    const int textBottom = int(std::ceil(px(sheet.paperHeight - sheet.margin))) + 1;
    const int stampTop = int(std::floor(px(sheet.offsetY + PrintingMod::BottomStampY))) - 1;
    const int stampBottom = stampTop + int(std::ceil(px(9 * 20 * 1.5))) + 2;  // a 9-point line
    const int left = int(std::floor(px(sheet.margin))) - 1;
    const int right = int(std::ceil(px(sheet.paperWidth - sheet.margin))) + 1;

    const std::vector<InkBand> bands = inkBands(page, 0, page.height());
    ASSERT_FALSE(bands.empty()) << "a blank page";
    bool stampSeen = false;
    for (const InkBand& band : bands) {
        if (band.top >= stampTop && band.bottom <= stampBottom) {
            stampSeen = true;
            continue;
        }
        EXPECT_GE(band.top, textTop) << "ink above the top margin";
        EXPECT_LE(band.bottom, std::min(textBottom, stampTop))
            << "ink below the text rectangle or reaching the stamp: rows " << band.top << ".."
            << band.bottom << ", text ends at " << textBottom << ", stamp starts at " << stampTop;
        EXPECT_GE(band.left, left) << "ink left of the margin";
        EXPECT_LE(band.right, right) << "ink right of the margin";
    }
    EXPECT_EQ(stampSeen, stamped);
}

}  // namespace testsupport
