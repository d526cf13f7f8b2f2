// Entry point of the XrFrame library: makes its control classes known to the program.
#pragma once

namespace XrFrame {

// Registers every control class of the library with the control factory under its class name.
void registerClasses();

}  // namespace XrFrame
