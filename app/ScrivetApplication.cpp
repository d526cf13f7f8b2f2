#include "app/ScrivetApplication.h"

#include "controls/frame/XrFrameLibrary.h"
#include "controls/progressbar/XrSpecStatusBarLibrary.h"
#include "image/core/XrImageLibrary.h"
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
    // Placeholder main window until the editor's own window is built.
    auto* window = new QMainWindow;
    window->setWindowTitle(ProductName);
    window->resize(786, 624);
    return window;
}

}  // namespace app
