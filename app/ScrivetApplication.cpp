#include "app/ScrivetApplication.h"

#include "controls/frame/XrFrameLibrary.h"
#include "controls/progressbar/XrSpecStatusBarLibrary.h"
#include "image/core/XrImageLibrary.h"
#include "platform/host/ControlFactory.h"
#include "platform/host/PropertyBag.h"
#include "richtext/core/XrRTB.h"
#include "richtext/core/XrRichTextBoxLibrary.h"

#include <QMainWindow>

namespace app {

void registerControlLibraries()
{
    XrRichTextBox::registerClasses();
    XrImage::registerClasses();
    XrFrame::registerClasses();
    XrSpecStatusBar::registerClasses();
}

QWidget* createMainWindow()
{
    // Placeholder main window until the editor's own window is built: it places the editing
    // control by its class name and loads it as a window saved with the control at its defaults.
    auto* window = new QMainWindow;
    window->setWindowTitle(ProductName);
    window->resize(786, 624);
    QWidget* editor = host::createControl(QStringLiteral("XrRichTextBox.XrRTB"), window);
    if (auto* control = qobject_cast<XrRTB*>(editor)) {
        control->setObjectName(QStringLiteral("XrRTB1"));
        host::AmbientProperties ambient;
        ambient.DisplayName = control->objectName();
        ambient.Font = window->font();
        control->setAmbientProperties(ambient);
        control->UserControl_ReadProperties(host::PropertyBag());
    }
    if (editor)
        window->setCentralWidget(editor);
    return window;
}

}  // namespace app
