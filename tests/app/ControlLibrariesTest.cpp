#include "app/ScrivetApplication.h"
#include "controls/frame/XrFrameControl.h"
#include "controls/progressbar/XrucProgressBar.h"
#include "platform/host/ControlFactory.h"
#include "richtext/core/XrRTB.h"

#include <gtest/gtest.h>
#include <QMainWindow>
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

TEST(ControlLibraries, TheMainWindowCarriesTheProductNameAndAnEmptyEditingControl)
{
    app::registerControlLibraries();
    std::unique_ptr<QWidget> window(app::createMainWindow());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Wexmoor Scrivet"));
    const auto* main = qobject_cast<QMainWindow*>(window.get());
    ASSERT_NE(main, nullptr);
    const auto* editor = qobject_cast<XrRTB*>(main->centralWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->objectName(), QStringLiteral("XrRTB1"));
    EXPECT_TRUE(editor->Text().isEmpty()) << "a control saved at its defaults holds no text";
    EXPECT_TRUE(editor->DisplayRuler());
}
