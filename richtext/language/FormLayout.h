// Placement of the language dialogs' controls from their designed positions in twips, and
// their designed fonts.
#pragma once

#include "platform/host/Units.h"

#include <QFont>
#include <QWidget>
#include <cmath>

namespace formlayout {

inline int pixelsX(double twips)
{
    return int(std::lround(host::twipsToPixelsX(twips)));
}

inline int pixelsY(double twips)
{
    return int(std::lround(host::twipsToPixelsY(twips)));
}

// Left, top, width and height in twips, relative to the control's container.
inline void place(QWidget* widget, double left, double top, double width, double height)
{
    widget->setGeometry(pixelsX(left), pixelsY(top), pixelsX(width), pixelsY(height));
}

// A window whose client area has the designed size; the user cannot resize it.
inline void setClientSize(QWidget* window, double width, double height)
{
    window->setFixedSize(pixelsX(width), pixelsY(height));
}

inline QFont designedFont(const QString& family, double points, bool bold = false)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace formlayout
