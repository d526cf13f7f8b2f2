#include "app/ScrivetApplication.h"

#include "app/Form1.h"
#include "controls/frame/XrFrameLibrary.h"
#include "controls/progressbar/XrSpecStatusBarLibrary.h"
#include "image/core/XrImageLibrary.h"
#include "richtext/core/XrRichTextBoxLibrary.h"

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
