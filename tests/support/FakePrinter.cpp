#include "tests/support/FakePrinter.h"

#include "platform/host/Printer.h"

#include <cmath>

namespace testsupport {

FakePrinter::FakePrinter(FakePrinterSettings settings)
    : m_settings(std::move(settings)), m_scope(host::printerService(), *this)
{
    host::printer().reset();
}

FakePrinter::~FakePrinter()
{
    if (m_painter.isActive())
        m_painter.end();
    host::printer().reset();
}

const std::vector<QImage>& FakePrinter::pages() const
{
    static const std::vector<QImage> none;
    return m_jobs.empty() ? none : m_jobs.back().pages;
}

std::optional<QString> FakePrinter::deviceName()
{
    return m_settings.installed ? std::optional(m_settings.deviceName) : std::nullopt;
}

std::optional<QString> FakePrinter::driverName()
{
    return m_settings.installed ? std::optional(m_settings.driverName) : std::nullopt;
}

QSizeF FakePrinter::paperTwips() const
{
    const QSizeF portrait = m_settings.paperSize == host::vbPRPSUser
                                ? m_settings.userPaperTwips
                                : host::paperSizeTwips(m_settings.paperSize);
    return m_settings.orientation == host::vbPRORLandscape ? portrait.transposed() : portrait;
}

host::PrinterGeometry FakePrinter::currentGeometry() const
{
    const QSizeF sheet = paperTwips();
    const QMargins& strips = m_settings.unprintable;
    const QMargins turned =
        m_settings.orientation == host::vbPRORLandscape
            ? QMargins(strips.top(), strips.left(), strips.bottom(), strips.right())
            : strips;
    host::PrinterGeometry g;
    g.dpiX = m_settings.dpiX;
    g.dpiY = m_settings.dpiY;
    g.physicalWidth = int(std::lround(sheet.width() * g.dpiX / 1440.0));
    g.physicalHeight = int(std::lround(sheet.height() * g.dpiY / 1440.0));
    g.offsetX = turned.left();
    g.offsetY = turned.top();
    g.printableWidth = g.physicalWidth - turned.left() - turned.right();
    g.printableHeight = g.physicalHeight - turned.top() - turned.bottom();
    return g;
}

std::optional<host::PrinterGeometry> FakePrinter::geometry()
{
    return m_settings.installed ? std::optional(currentGeometry()) : std::nullopt;
}

std::optional<int> FakePrinter::orientation()
{
    return m_settings.installed ? std::optional(m_settings.orientation) : std::nullopt;
}

bool FakePrinter::setOrientation(int orientation)
{
    if (!m_settings.installed)
        return false;
    m_settings.orientation = orientation;
    return true;
}

std::optional<int> FakePrinter::paperSize()
{
    return m_settings.installed ? std::optional(m_settings.paperSize) : std::nullopt;
}

bool FakePrinter::setPaperSize(int paperSize)
{
    if (!m_settings.installed || host::paperSizeTwips(paperSize).isEmpty())
        return false;
    m_settings.paperSize = paperSize;
    return true;
}

bool FakePrinter::fail(const QString& event)
{
    m_events << event + QStringLiteral(" failed");
    return false;
}

void FakePrinter::beginPage()
{
    if (m_painter.isActive())
        m_painter.end();
    const host::PrinterGeometry g = currentGeometry();
    QImage page(g.physicalWidth, g.physicalHeight, QImage::Format_RGB32);
    page.fill(Qt::white);
    page.setDotsPerMeterX(qRound(g.dpiX / 0.0254));
    page.setDotsPerMeterY(qRound(g.dpiY / 0.0254));
    std::vector<QImage>& pages = m_jobs.back().pages;
    pages.push_back(std::move(page));
    m_painter.begin(&pages.back());
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.translate(g.offsetX, g.offsetY);
    m_painter.setClipRect(QRect(0, 0, g.printableWidth, g.printableHeight));
}

bool FakePrinter::startDoc(const QString& title)
{
    if (!m_settings.installed || m_painter.isActive())
        return fail(QStringLiteral("StartDoc ") + title);
    if (m_failAtStart || m_failAtPage == 1)
        return fail(QStringLiteral("StartDoc ") + title);
    m_events << QStringLiteral("StartDoc ") + title;
    m_jobs.push_back(FakePrintJob{title, {}, FakePrintJob::State::Open});
    beginPage();
    return true;
}

bool FakePrinter::newPage()
{
    if (!m_painter.isActive())
        return fail(QStringLiteral("NewPage"));
    if (m_failAtPage > 1 && int(m_jobs.back().pages.size()) + 1 == m_failAtPage)
        return fail(QStringLiteral("NewPage"));
    m_events << QStringLiteral("NewPage");
    beginPage();
    return true;
}

bool FakePrinter::endDoc()
{
    if (!m_painter.isActive() || m_failAtEnd)
        return fail(QStringLiteral("EndDoc"));
    m_painter.end();
    m_jobs.back().state = FakePrintJob::State::Ended;
    m_events << QStringLiteral("EndDoc");
    return true;
}

void FakePrinter::abortDoc()
{
    if (!m_painter.isActive())
        return;
    m_painter.end();
    m_jobs.back().state = FakePrintJob::State::Aborted;
    m_events << QStringLiteral("AbortDoc");
}

namespace {

template <class Visit>
void forEachInked(const QImage& page, QRect area, Visit visit)
{
    const QImage pixels = page.convertToFormat(QImage::Format_RGB32);
    const QRect bounds = (area.isNull() ? pixels.rect() : area) & pixels.rect();
    for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = bounds.left(); x <= bounds.right(); ++x) {
            if ((line[x] & 0xFFFFFF) != 0xFFFFFF)
                visit(x, y);
        }
    }
}

}  // namespace

QRect FakePrinter::inkBounds(const QImage& page, QRect area)
{
    QRect bounds;
    forEachInked(page, area, [&](int x, int y) { bounds |= QRect(x, y, 1, 1); });
    return bounds;
}

int FakePrinter::inkedPixels(const QImage& page, QRect area)
{
    int count = 0;
    forEachInked(page, area, [&](int, int) { ++count; });
    return count;
}

}  // namespace testsupport
