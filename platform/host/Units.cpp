#include "platform/host/Units.h"

#include <QGuiApplication>
#include <QScreen>

namespace host {
namespace {

constexpr double defaultDpi = 96.0;

// 0 = no override.
double overrideX = 0.0;
double overrideY = 0.0;

QScreen* primaryScreen()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? QGuiApplication::primaryScreen()
               : nullptr;
}

double screenDpi(bool across)
{
    QScreen* screen = primaryScreen();
    if (!screen)
        return defaultDpi;
    const double dpi = across ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return dpi > 0.0 ? dpi : defaultDpi;
}

}  // namespace

double logicalDpiX()
{
    return overrideX > 0.0 ? overrideX : screenDpi(true);
}

double logicalDpiY()
{
    return overrideY > 0.0 ? overrideY : screenDpi(false);
}

double TwipsPerPixelX()
{
    return TwipsPerInch / logicalDpiX();
}

double TwipsPerPixelY()
{
    return TwipsPerInch / logicalDpiY();
}

double twipsToPixelsX(double twips)
{
    return twips / TwipsPerPixelX();
}

double twipsToPixelsY(double twips)
{
    return twips / TwipsPerPixelY();
}

double pixelsToTwipsX(double pixels)
{
    return pixels * TwipsPerPixelX();
}

double pixelsToTwipsY(double pixels)
{
    return pixels * TwipsPerPixelY();
}

ScopedLogicalDpi::ScopedLogicalDpi(double dpiX, double dpiY)
    : m_previousX(overrideX), m_previousY(overrideY)
{
    overrideX = dpiX;
    overrideY = dpiY;
}

ScopedLogicalDpi::~ScopedLogicalDpi()
{
    overrideX = m_previousX;
    overrideY = m_previousY;
}

}  // namespace host
