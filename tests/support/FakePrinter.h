// A printer without paper: configurable names, resolution, sheet and unprintable strips, with
// failures on demand. Each printed page is kept as an image of the whole sheet at the printer's
// resolution, so that printing can be checked (and looked at) without a printer. Constructing
// one installs it as the system's default printer and resets the printer object.
#pragma once

#include "platform/host/PrinterDevice.h"
#include "tests/support/ScopedService.h"

#include <QImage>
#include <QMargins>
#include <QPainter>
#include <QStringList>
#include <vector>

namespace testsupport {

struct FakePrinterSettings {
    bool installed = true;  // false: the system has no printer at all
    QString deviceName = QStringLiteral("Fake Printer");
    QString driverName = QStringLiteral("fakeprinter");
    int printerCount = 1;
    int dpiX = 144;  // 10 twips to the pixel
    int dpiY = 144;
    int paperSize = host::vbPRPSLetter;
    QSizeF userPaperTwips;  // the sheet when paperSize is vbPRPSUser
    int orientation = host::vbPRORPortrait;
    // Unprintable strips of the portrait sheet in device pixels; left and top are the
    // physical offsets. Landscape turns them with the sheet.
    QMargins unprintable;
};

struct FakePrintJob {
    enum class State { Open, Ended, Aborted };
    QString title;
    std::vector<QImage> pages;  // whole sheets, white where nothing was printed
    State state = State::Open;
};

class FakePrinter : public host::PrinterDevice {
public:
    explicit FakePrinter(FakePrinterSettings settings = {});
    ~FakePrinter() override;

    FakePrinterSettings& settings() { return m_settings; }
    void setInstalled(bool installed) { m_settings.installed = installed; }

    // Failures stay in force until changed; 0 or false switches one off. Page 1 fails the
    // start of the job, page n > 1 the new page that would begin it.
    void failAtStart(bool fail = true) { m_failAtStart = fail; }
    void failAtPage(int page) { m_failAtPage = page; }
    void failAtEnd(bool fail = true) { m_failAtEnd = fail; }

    const std::vector<FakePrintJob>& jobs() const { return m_jobs; }
    // "StartDoc <title>", "NewPage", "EndDoc", "AbortDoc", with " failed" after a failure.
    const QStringList& events() const { return m_events; }
    // The pages of the last job.
    const std::vector<QImage>& pages() const;

    // The smallest rectangle holding every pixel that is not white; empty for a blank page.
    static QRect inkBounds(const QImage& page, QRect area = {});
    static int inkedPixels(const QImage& page, QRect area = {});

    std::optional<QString> deviceName() override;
    std::optional<QString> driverName() override;
    int printerCount() override { return m_settings.installed ? m_settings.printerCount : 0; }
    std::optional<host::PrinterGeometry> geometry() override;
    std::optional<int> orientation() override;
    bool setOrientation(int orientation) override;
    std::optional<int> paperSize() override;
    bool setPaperSize(int paperSize) override;
    bool startDoc(const QString& title) override;
    bool newPage() override;
    bool endDoc() override;
    void abortDoc() override;
    bool printing() override { return m_painter.isActive(); }
    QPainter* pagePainter() override { return m_painter.isActive() ? &m_painter : nullptr; }

private:
    QSizeF paperTwips() const;
    host::PrinterGeometry currentGeometry() const;
    void beginPage();
    bool fail(const QString& event);

    FakePrinterSettings m_settings;
    bool m_failAtStart = false;
    int m_failAtPage = 0;
    bool m_failAtEnd = false;
    std::vector<FakePrintJob> m_jobs;
    QStringList m_events;
    QPainter m_painter;  // after m_jobs: ends before the pages it paints on go
    ScopedService<host::PrinterDevice> m_scope;
};

}  // namespace testsupport
