#include "app/ScrivetApplication.h"
#include "controls/frame/XrFrameControl.h"
#include "controls/progressbar/XrucProgressBar.h"
#include "platform/host/ControlFactory.h"
#include "richtext/core/XrRTB.h"

#include <gtest/gtest.h>
#include <QWidget>
#include <memory>

// The program places every control by its class name; each library must have registered it.
TEST(ControlLibraries, TheProgramCreatesEachControlByItsClassName)
{
    app::registerControlLibraries();

    std::unique_ptr<QWidget> frame(host::createControl(QStringLiteral("XrFrame.XrFrameControl")));
    EXPECT_NE(dynamic_cast<XrFrameControl*>(frame.get()), nullptr);

    std::unique_ptr<QWidget> bar(
        host::createControl(QStringLiteral("XrSpecStatusBar.XrucProgressBar")));
    EXPECT_NE(dynamic_cast<XrucProgressBar*>(bar.get()), nullptr);

    std::unique_ptr<QWidget> editor(host::createControl(QStringLiteral("XrRichTextBox.XrRTB")));
    EXPECT_NE(dynamic_cast<XrRTB*>(editor.get()), nullptr);
}
