// Entry point of the XrSpecStatusBar library: makes its control classes known to the program.
#pragma once

namespace XrSpecStatusBar {

// Registers every control class of the library with the control factory under its class name.
void registerClasses();

}  // namespace XrSpecStatusBar
