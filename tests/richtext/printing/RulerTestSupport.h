// What the ruler's tests share: a control at 15 twips to the pixel on a fake printer (or on
// none), its ruler and editing window, and real mouse input on the ruler's widgets.
#pragma once

#include "platform/host/Units.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/core/XrRTB.h"
#include "richtext/printing/Ruler.h"
#include "tests/richtext/core/XrRTBTestSupport.h"
#include "tests/support/FakePrinter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <memory>

namespace testsupport {

class RulerTestBase : public XrRTBTestBase {
protected:
    explicit RulerTestBase(bool printer = true) : m_printer(printerSettings(printer))
    {
        m_control = std::make_unique<XrRTB>();
        m_control->resize(900, 300);
        m_control->show();
    }

    static FakePrinterSettings printerSettings(bool installed)
    {
        FakePrinterSettings settings;
        settings.installed = installed;
        return settings;
    }

    XrRTB& control() { return *m_control; }
    Ruler& ruler() { return *m_control->findChild<Ruler*>(QStringLiteral("Ruler")); }
    richedit::RichTextBox& window() { return editingWindow(*m_control); }
    richedit::Engine& engine() { return window().engine(); }
    IndentHandle& handle(const char* name)
    {
        return *m_control->findChild<IndentHandle*>(QString::fromLatin1(name));
    }

    // Presses the left button in the middle of the handle, moves to `twipsFromLeft` from its
    // left edge with `buttons` held, and releases there.
    static void drag(IndentHandle& handle, double twipsFromLeft,
                     Qt::MouseButtons buttons = Qt::LeftButton)
    {
        const QPoint start(handle.width() / 2, handle.height() / 2);
        QTest::mousePress(&handle, Qt::LeftButton, {}, start);
        move(handle, twipsFromLeft, buttons);
        QTest::mouseRelease(&handle, Qt::LeftButton, {}, start);
    }
    static void move(IndentHandle& handle, double twipsFromLeft,
                     Qt::MouseButtons buttons = Qt::LeftButton)
    {
        const QPointF at(host::twipsToPixelsX(twipsFromLeft), handle.height() / 2.0);
        QMouseEvent event(QEvent::MouseMove, at, handle.mapToGlobal(at), Qt::NoButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&handle, &event);
    }
    // A left click in the middle of tab-stop marker `index`.
    void clickMarker(int index, Qt::MouseButton button = Qt::LeftButton)
    {
        const QRect r = Ruler::markerRect(index);
        const QPoint at(int(host::twipsToPixelsX(r.left() + r.width() / 2.0)),
                        int(host::twipsToPixelsY(r.height() / 2.0)));
        QTest::mouseClick(&ruler(), button, {}, at);
    }

    host::ScopedLogicalDpi m_dpi{96, 96};
    FakePrinter m_printer;
    std::unique_ptr<XrRTB> m_control;
};

}  // namespace testsupport
