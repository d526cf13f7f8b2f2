#include "platform/host/StdFont.h"

#include <QGuiApplication>
#include <cmath>

namespace host {

QFont newStdFont()
{
    QFont font(QGuiApplication::font().family());
    font.setPointSizeF(DefaultStdFontSize);
    return font;
}

QFont stdFontFrom(const QFont& source)
{
    QFont font(source.family());
    const double size = source.pointSizeF() > 0.0 ? source.pointSizeF() : DefaultStdFontSize;
    font.setPointSizeF(std::round(size * 10000.0) / 10000.0);
    font.setBold(source.bold());
    font.setItalic(source.italic());
    return font;
}

}  // namespace host
