// What the editing control's tests share: a clean library state and help file around each test,
// and the constituents a test looks into.
#pragma once

#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/FileManagementMod.h"
#include "richtext/core/XrRTB.h"
#include "tests/support/RedirectedAppData.h"

#include <gtest/gtest.h>

namespace testsupport {

inline richedit::RichTextBox& editingWindow(XrRTB& control)
{
    return *control.findChild<richedit::RichTextBox*>(QStringLiteral("RichTextBox1"));
}

class XrRTBTestBase : public testing::Test {
protected:
    XrRTBTestBase()
    {
        RichTextLibraryState::instance().reset();
        FileManagementMod::resetApplicationHelpFile();
    }
    ~XrRTBTestBase() override
    {
        RichTextLibraryState::instance().reset();
        FileManagementMod::resetApplicationHelpFile();
    }

    RedirectedAppData m_appData;
};

}  // namespace testsupport
