#include "richtext/core/XrRichTextBoxLibrary.h"

#include "platform/host/ControlFactory.h"

namespace XrRichTextBox {

void registerClasses()
{
    // The library's controls register here as they are built.
}

}  // namespace XrRichTextBox
