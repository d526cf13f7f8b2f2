#include "richtext/core/XrRichTextBoxLibrary.h"

#include "platform/host/ControlFactory.h"
#include "richtext/core/XrRTB.h"

namespace XrRichTextBox {

void registerClasses()
{
    host::registerControlClass(QStringLiteral("XrRichTextBox.XrRTB"),
                               [](QWidget* parent) -> QWidget* { return new XrRTB(parent); });
}

}  // namespace XrRichTextBox
