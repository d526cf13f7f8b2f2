// Brings loaded right indents back inside the printed line: every paragraph keeps at least
// 1170 twips between its left and right indents.
#pragma once

#include <QString>
#include <cstdint>

// The two numbers of an indent pair ("\li720\ri360"), twips.
struct IndentPair {
    int64_t left = 0;
    int64_t right = 0;
};

// Digits before the second backslash (the first two characters are never examined) form the
// left indent, digits after it the right indent; a missing number is 0.
IndentPair ParseIndentPair(const QString& pair);

class IndentNormalizer {
public:
    // Width of the page the line end is measured on, and the narrowest paragraph allowed.
    static constexpr int64_t PageWidthTwips = 12240;
    static constexpr int64_t MinimumWidthTwips = 1170;

    // The printed line end for a margin and the printer's left offset, twips.
    static int64_t lineEnd(int64_t printerMargin, int64_t printerOffset);

    // Finds the indent pairs of `capturedRtf` that leave less than the minimum width before
    // `lineEnd` and rewrites, in `currentRtf`, the right indent of the paragraphs carrying that
    // same pair (whole numbers only): the new right indent leaves twice the minimum. Returns
    // whether anything was rewritten.
    static bool normalize(const QString& capturedRtf, QString& currentRtf, int64_t lineEnd);
};
