// The default-font record a host exchanges with the font dialog, fields in their designed
// order.
#pragma once

#include <QString>
#include <cstdint>

struct DEFUALT_FONT_DATA {
    QString tFONTNAME;
    // "Regular", "Italic", "Bold" or "Bold Italic".
    QString tFONTSTYLE;
    // Points.
    int16_t tFONTSIZE = 0;
    bool tFONTSTRIKETHROUGH = false;
    bool tFONTUNDERLINE = false;

    bool operator==(const DEFUALT_FONT_DATA&) const = default;
};
