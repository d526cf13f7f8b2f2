#include "richtext/printing/RulerGeometry.h"

#include <cmath>
#include <numeric>

namespace ruler {

int32_t snapToGrid(int32_t value)
{
    const double steps = std::trunc((double(value) + 45) / Grid);
    // Exact in double, and within range: the quotient is truncated toward zero.
    return int32_t(steps * Grid);
}

QString tabStopLabel(int index)
{
    if (index < 0 || index >= TabMarkerCount)
        return QString();
    const int sixteenths = index + 1;
    const int whole = sixteenths / 16;
    int numerator = sixteenths % 16;
    int denominator = 16;
    const int common = std::gcd(numerator, denominator);
    QString label;
    if (whole > 0)
        label = QString::number(whole);
    if (numerator != 0) {
        numerator /= common;
        denominator /= common;
        if (!label.isEmpty())
            label += QLatin1Char(' ');
        label += QStringLiteral("%1/%2").arg(numerator).arg(denominator);
    }
    return label + QStringLiteral(" inch");
}

}  // namespace ruler
