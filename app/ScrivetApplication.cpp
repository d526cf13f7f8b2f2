#include "app/ScrivetApplication.h"

#include "app/Form1.h"
#include "controls/frame/XrFrameLibrary.h"
#include "controls/progressbar/XrSpecStatusBarLibrary.h"
#include "image/core/XrImageLibrary.h"
#include "platform/system/DesktopRegistration.h"
#include "richtext/core/XrRichTextBoxLibrary.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace app {

void registerControlLibraries()
{
    XrRichTextBox::registerClasses();
    XrImage::registerClasses();
    XrFrame::registerClasses();
    XrSpecStatusBar::registerClasses();
}

QString commandLineOf(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

Form1* createMainWindow(const QString& commandLine)
{
    auto* window = new Form1;
    window->Form_Load(commandLine);
    return window;
}

}  // namespace app

namespace app {
namespace {

// Runs the desktop registration once, after the window's first paint.
class FirstPaintWatcher : public QObject {
public:
    explicit FirstPaintWatcher(QWidget* window) : QObject(window)
    {
        window->installEventFilter(this);
        // A window that is never painted still registers.
        QTimer::singleShot(std::chrono::seconds(3), this, [this] { release(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched == parent())
            // After the paint has reached the screen.
            QTimer::singleShot(0, this, [this] { release(); });
        return QObject::eventFilter(watched, event);
    }

private:
    void release()
    {
        if (m_released)
            return;
        m_released = true;
        parent()->removeEventFilter(this);
        sys::releaseDesktopMirror();
    }

    bool m_released = false;
};

}  // namespace

void registerWithDesktopAfterFirstPaint(QWidget* window)
{
    new FirstPaintWatcher(window);
}

}  // namespace app
