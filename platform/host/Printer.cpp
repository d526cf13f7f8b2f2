#include "platform/host/Printer.h"

#include "platform/host/Units.h"
#include "platform/runtime/VbError.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <map>
#include <memory>

namespace host {
namespace {

[[noreturn]] void raisePrinterError()
{
    throw vb::VbError(vb::ErrPrinter, QStringLiteral("Printer error"));
}

[[noreturn]] void raiseInvalidValue()
{
    throw vb::VbError(vb::ErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
}

QStringList linesOf(const QString& text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineBreak);
}

// One image per resolution, never freed: a layout engine may hold on to the device it measured
// with after the printer has changed.
QPaintDevice* measuringImage(int dpiX, int dpiY)
{
    static std::map<std::pair<int, int>, std::unique_ptr<QImage>> images;
    auto& image = images[{dpiX, dpiY}];
    if (!image) {
        image = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
        image->setDotsPerMeterX(qRound(dpiX / 0.0254));
        image->setDotsPerMeterY(qRound(dpiY / 0.0254));
    }
    return image.get();
}

double fixedUnitTwips(int scaleMode)
{
    switch (scaleMode) {
        case vbTwips:
            return 1.0;
        case vbPoints:
            return 20.0;
        case vbInches:
            return TwipsPerInch;
        case vbMillimeters:
            return TwipsPerInch / 25.4;
        case vbCentimeters:
            return TwipsPerInch / 2.54;
        case vbHimetric:
            return TwipsPerInch / 2540.0;
        default:
            throw vb::VbError(vb::ErrInvalidProcedureCall,
                              QStringLiteral("Invalid procedure call or argument"));
    }
}

QColor colorOf(quint32 oleColor)
{
    return QColor(int(oleColor & 0xFF), int((oleColor >> 8) & 0xFF), int((oleColor >> 16) & 0xFF));
}

}  // namespace

Printer::Printer()
{
    reset();
}

void Printer::reset()
{
    m_scaleMode = vbTwips;
    m_currentX = 0;
    m_currentY = 0;
    m_font = QFont(QStringLiteral("Arial"));
    m_font.setPointSizeF(10);
    m_foreColor = 0;
    m_page = 0;
}

PrinterDevice& Printer::device()
{
    return printerService().get();
}

PrinterGeometry Printer::geometry()
{
    const auto geometry = device().geometry();
    if (!geometry || geometry->dpiX <= 0 || geometry->dpiY <= 0)
        raisePrinterError();
    return *geometry;
}

QString Printer::DeviceName()
{
    const auto name = device().deviceName();
    if (!name)
        raisePrinterError();
    return *name;
}

QString Printer::DriverName()
{
    const auto name = device().driverName();
    if (!name)
        raisePrinterError();
    return *name;
}

int Printer::Orientation()
{
    const auto orientation = device().orientation();
    if (!orientation)
        raisePrinterError();
    return *orientation;
}

void Printer::setOrientation(int orientation)
{
    if (orientation != vbPRORPortrait && orientation != vbPRORLandscape)
        raiseInvalidValue();
    if (!device().setOrientation(orientation))
        raisePrinterError();
}

int Printer::PaperSize()
{
    const auto paperSize = device().paperSize();
    if (!paperSize)
        raisePrinterError();
    return *paperSize;
}

void Printer::setPaperSize(int paperSize)
{
    if (paperSizeTwips(paperSize).isEmpty())
        raiseInvalidValue();
    if (!device().setPaperSize(paperSize))
        raisePrinterError();
}

long Printer::GetDeviceCaps(int index)
{
    const PrinterGeometry g = geometry();
    switch (index) {
        case HORZRES:
            return g.printableWidth;
        case VERTRES:
            return g.printableHeight;
        case LOGPIXELSX:
            return g.dpiX;
        case LOGPIXELSY:
            return g.dpiY;
        case PHYSICALWIDTH:
            return g.physicalWidth;
        case PHYSICALHEIGHT:
            return g.physicalHeight;
        case PHYSICALOFFSETX:
            return g.offsetX;
        case PHYSICALOFFSETY:
            return g.offsetY;
        default:
            return 0;
    }
}

void Printer::setScaleMode(int scaleMode)
{
    if (scaleMode < vbTwips || scaleMode > vbCentimeters)
        raiseInvalidValue();
    m_scaleMode = scaleMode;
}

double Printer::unitTwipsX(int scaleMode)
{
    if (scaleMode == vbPixels)
        return TwipsPerInch / geometry().dpiX;
    if (scaleMode == vbCharacters)
        return 120.0;
    return fixedUnitTwips(scaleMode);
}

double Printer::unitTwipsY(int scaleMode)
{
    if (scaleMode == vbPixels)
        return TwipsPerInch / geometry().dpiY;
    if (scaleMode == vbCharacters)
        return 240.0;
    return fixedUnitTwips(scaleMode);
}

double Printer::ScaleX(double value, int fromScale, int toScale)
{
    return value * unitTwipsX(fromScale) / unitTwipsX(toScale);
}

double Printer::ScaleY(double value, int fromScale, int toScale)
{
    return value * unitTwipsY(fromScale) / unitTwipsY(toScale);
}

double Printer::ScaleWidth()
{
    return ScaleX(geometry().printableWidth, vbPixels, m_scaleMode);
}

double Printer::ScaleHeight()
{
    return ScaleY(geometry().printableHeight, vbPixels, m_scaleMode);
}

long Printer::Width()
{
    const PrinterGeometry g = geometry();
    return qRound(g.physicalWidth * TwipsPerInch / g.dpiX);
}

long Printer::Height()
{
    const PrinterGeometry g = geometry();
    return qRound(g.physicalHeight * TwipsPerInch / g.dpiY);
}

double Printer::TwipsPerPixelX()
{
    return unitTwipsX(vbPixels);
}

double Printer::TwipsPerPixelY()
{
    return unitTwipsY(vbPixels);
}

double Printer::CurrentX()
{
    return m_currentX / unitTwipsX(m_scaleMode);
}

void Printer::setCurrentX(double x)
{
    m_currentX = x * unitTwipsX(m_scaleMode);
}

double Printer::CurrentY()
{
    return m_currentY / unitTwipsY(m_scaleMode);
}

void Printer::setCurrentY(double y)
{
    m_currentY = y * unitTwipsY(m_scaleMode);
}

void Printer::setFontName(const QString& name)
{
    static const QStringList fixedPitchFaces{QStringLiteral("Lucida Console"),
                                             QStringLiteral("Courier New"),
                                             QStringLiteral("Courier"),
                                             QStringLiteral("Consolas"),
                                             QStringLiteral("Lucida Sans Typewriter"),
                                             QStringLiteral("Fixedsys"),
                                             QStringLiteral("Terminal")};
    m_font.setFamily(name);
    m_font.setStyleHint(fixedPitchFaces.contains(name, Qt::CaseInsensitive) ? QFont::TypeWriter
                                                                            : QFont::AnyStyle);
}

void Printer::setFontSize(double points)
{
    if (!(points > 0 && points <= 2160))
        raiseInvalidValue();
    m_font.setPointSizeF(points);
}

void Printer::setFontWeight(int weight)
{
    if (weight < 1 || weight > 1000)
        raiseInvalidValue();
    m_font.setWeight(QFont::Weight(weight));
}

QPaintDevice* Printer::measuringDevice()
{
    const PrinterGeometry g = geometry();
    return measuringImage(g.dpiX, g.dpiY);
}

double Printer::lineHeightTwips(const PrinterGeometry& g)
{
    const QFontMetricsF metrics(m_font, measuringImage(g.dpiX, g.dpiY));
    return metrics.lineSpacing() * TwipsPerInch / g.dpiY;
}

double Printer::TextWidth(const QString& text)
{
    const PrinterGeometry g = geometry();
    const QFontMetricsF metrics(m_font, measuringImage(g.dpiX, g.dpiY));
    double widest = 0;
    for (const QString& line : linesOf(text))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest * TwipsPerInch / g.dpiX / unitTwipsX(m_scaleMode);
}

double Printer::TextHeight(const QString& text)
{
    const PrinterGeometry g = geometry();
    return linesOf(text).size() * lineHeightTwips(g) / unitTwipsY(m_scaleMode);
}

void Printer::Print(const QString& text)
{
    ensureJob();
    QPainter* painter = device().pagePainter();
    if (!painter)
        failJob();
    const PrinterGeometry g = geometry();
    const double lineHeight = lineHeightTwips(g);
    for (const QString& line : linesOf(text)) {
        drawLine(*painter, g, line);
        m_currentX = 0;
        m_currentY += lineHeight;
    }
}

// The line's top at the print position, as the platform's text output places it.
void Printer::drawLine(QPainter& painter, const PrinterGeometry& g, const QString& line)
{
    if (line.isEmpty())
        return;
    const QFontMetricsF metrics(m_font, measuringImage(g.dpiX, g.dpiY));
    painter.save();
    painter.setFont(m_font);
    painter.setPen(colorOf(m_foreColor));
    painter.drawText(QPointF(m_currentX * g.dpiX / TwipsPerInch,
                             m_currentY * g.dpiY / TwipsPerInch + metrics.ascent()),
                     line);
    painter.restore();
}

void Printer::ensureJob()
{
    if (!device().printing())
        StartDoc(QCoreApplication::applicationName());
}

void Printer::failJob()
{
    device().abortDoc();
    m_page = 0;
    m_currentX = 0;
    m_currentY = 0;
    raisePrinterError();
}

void Printer::StartDoc(const QString& title)
{
    // The print position is left alone: a program may place its first line before printing it.
    if (device().printing())
        return;
    if (!device().startDoc(title)) {
        if (device().startCancelled()) {
            KillDoc();
            throw vb::VbError(vb::ErrCancel, QStringLiteral("Cancel"));
        }
        failJob();
    }
    m_page = 1;
}

void Printer::NewPage()
{
    ensureJob();
    if (!device().newPage())
        failJob();
    ++m_page;
    m_currentX = 0;
    m_currentY = 0;
}

void Printer::EndDoc()
{
    if (!device().printing())
        return;
    if (!device().endDoc())
        failJob();
    m_page = 0;
    m_currentX = 0;
    m_currentY = 0;
}

void Printer::KillDoc()
{
    device().abortDoc();
    m_page = 0;
    m_currentX = 0;
    m_currentY = 0;
}

QPainter* Printer::pagePainter()
{
    return device().pagePainter();
}

Printer& printer()
{
    static Printer object;
    return object;
}

int printersCount()
{
    return printerService().get().printerCount();
}

}  // namespace host
