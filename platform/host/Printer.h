// The Basic printer object: the system's default printer with a scale, a print position, a
// font and text output, and its jobs. Whatever the printer cannot do raises error 482.
#pragma once

#include "platform/host/PrinterDevice.h"

#include <QFont>
#include <QString>

class QPaintDevice;
class QPainter;

namespace host {

enum ScaleModeConstants : int {
    vbUser = 0,
    vbTwips = 1,
    vbPoints = 2,
    vbPixels = 3,
    vbCharacters = 4,
    vbInches = 5,
    vbMillimeters = 6,
    vbCentimeters = 7,
    vbHimetric = 8,
};

// Device capabilities of the printer's device context.
enum PrinterCapability : int {
    HORZRES = 8,
    VERTRES = 10,
    LOGPIXELSX = 88,
    LOGPIXELSY = 90,
    PHYSICALWIDTH = 110,
    PHYSICALHEIGHT = 111,
    PHYSICALOFFSETX = 112,
    PHYSICALOFFSETY = 113,
};

class Printer {
public:
    Printer();

    // The printer and its page set-up.
    QString DeviceName();
    QString DriverName();
    int Orientation();
    void setOrientation(int orientation);  // a PrinterOrientation; others raise 380
    int PaperSize();
    void setPaperSize(int paperSize);  // a numbered PrinterPaperSize; others raise 380
    long GetDeviceCaps(int index);     // 0 for an index not listed in PrinterCapability

    // Lengths are in the scale mode's unit, from the printable area's top left corner; the
    // sheet's size is always in twips.
    int ScaleMode() const { return m_scaleMode; }
    void setScaleMode(int scaleMode);  // vbTwips .. vbCentimeters; others raise 380
    double ScaleWidth();
    double ScaleHeight();
    long Width();
    long Height();
    double TwipsPerPixelX();
    double TwipsPerPixelY();
    double ScaleX(double value, int fromScale, int toScale);
    double ScaleY(double value, int fromScale, int toScale);

    // Text output at the print position, in the printer's font and colour.
    double CurrentX();
    void setCurrentX(double x);
    double CurrentY();
    void setCurrentY(double y);
    QString FontName() const { return m_font.family(); }
    // A face that is not installed is stood in for by one of the same pitch: text laid out in
    // columns with a fixed-pitch face stays in columns.
    void setFontName(const QString& name);
    double FontSize() const { return m_font.pointSizeF(); }
    void setFontSize(double points);
    bool FontBold() const { return m_font.weight() > 550; }
    void setFontBold(bool bold) { m_font.setWeight(bold ? QFont::Bold : QFont::Normal); }
    bool FontItalic() const { return m_font.italic(); }
    void setFontItalic(bool italic) { m_font.setItalic(italic); }
    bool FontUnderline() const { return m_font.underline(); }
    void setFontUnderline(bool underline) { m_font.setUnderline(underline); }
    bool FontStrikethru() const { return m_font.strikeOut(); }
    void setFontStrikethru(bool strike) { m_font.setStrikeOut(strike); }
    int FontWeight() const { return m_font.weight(); }
    void setFontWeight(int weight);  // 1 .. 1000; 400 normal, 700 bold
    const QFont& Font() const { return m_font; }
    quint32 ForeColor() const { return m_foreColor; }
    void setForeColor(quint32 color) { m_foreColor = color & 0xFFFFFF; }  // 0x00BBGGRR

    double TextWidth(const QString& text);   // the widest line
    double TextHeight(const QString& text);  // every line
    // Prints the text, opening the job first when none is open, and moves the print position
    // to the start of the next line. Line breaks in the text start new lines.
    void Print(const QString& text = {});

    // Jobs. A job that fails is aborted before error 482 is raised; one the user cancels as it
    // starts raises error 32755 instead.
    void StartDoc(const QString& title);  // nothing when a job is already open
    void NewPage();                       // opens a job first when none is open
    void EndDoc();                        // nothing when no job is open
    void KillDoc();
    int Page() const { return m_page; }  // 1 on the first page of a job, 0 outside one

    // The page being printed, for drawing by other code: device pixels, the printable area's
    // corner as origin. Null outside a job.
    QPainter* pagePainter();
    // A device with the printer's resolution to lay text out against. It lives as long as the
    // program, so a layout may keep it after the printer has changed.
    QPaintDevice* measuringDevice();

    // Back to a fresh object: twips, the default font, black, no print position. An open job is
    // left to its device.
    void reset();

private:
    PrinterDevice& device();
    PrinterGeometry geometry();
    double unitTwipsX(int scaleMode);
    double unitTwipsY(int scaleMode);
    void ensureJob();
    [[noreturn]] void failJob();
    void drawLine(QPainter& painter, const PrinterGeometry& geometry, const QString& line);
    double lineHeightTwips(const PrinterGeometry& geometry);

    int m_scaleMode;
    double m_currentX;  // twips
    double m_currentY;
    QFont m_font;
    quint32 m_foreColor;
    int m_page;
};

// The program's printer object.
Printer& printer();

// The number of printers the system knows.
int printersCount();

}  // namespace host
