#include "platform/host/ControlFactory.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <memory>

TEST(ControlFactory, CreatesRegisteredClassesByNameWithoutRegardToCase)
{
    host::registerControlClass(QStringLiteral("TestLib.Label"), [](QWidget* parent) {
        return new QLabel(QStringLiteral("made"), parent);
    });

    std::unique_ptr<QWidget> control(host::createControl(QStringLiteral("testlib.LABEL")));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(static_cast<QLabel*>(control.get())->text(), QStringLiteral("made"));
    EXPECT_TRUE(host::registeredControlClasses().contains(QStringLiteral("TestLib.Label")));
    EXPECT_EQ(host::createControl(QStringLiteral("TestLib.Missing")), nullptr);
}
