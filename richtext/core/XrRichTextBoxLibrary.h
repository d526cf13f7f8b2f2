// Entry point of the XrRichTextBox library: makes its control classes known to the program.
#pragma once

namespace XrRichTextBox {

// Registers every control class of the library with the control factory under its class name.
void registerClasses();

}  // namespace XrRichTextBox
