// Twips and pixels: 1440 twips to the inch, converted with the screen's logical dots per inch
// (15 twips per pixel at 96 dpi), separately across and down. Tests can fix the dpi.
#pragma once

namespace host {

constexpr double TwipsPerInch = 1440.0;

// The logical dots per inch in use: the override when one is set, else the primary screen's
// logical dpi, else 96.
double logicalDpiX();
double logicalDpiY();

// Twips per pixel (Screen.TwipsPerPixelX / Y): 1440 / dpi.
double TwipsPerPixelX();
double TwipsPerPixelY();

double twipsToPixelsX(double twips);
double twipsToPixelsY(double twips);
double pixelsToTwipsX(double pixels);
double pixelsToTwipsY(double pixels);

// Fixes the dpi used by every conversion for as long as it lives, then puts back what was in
// force before (nests).
class ScopedLogicalDpi {
public:
    ScopedLogicalDpi(double dpiX, double dpiY);
    ~ScopedLogicalDpi();
    ScopedLogicalDpi(const ScopedLogicalDpi&) = delete;
    ScopedLogicalDpi& operator=(const ScopedLogicalDpi&) = delete;

private:
    double m_previousX;
    double m_previousY;
};

}  // namespace host
