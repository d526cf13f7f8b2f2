// Entry point of the XrImage library: makes its control classes known to the program.
#pragma once

namespace XrImage {

// Registers every control class of the library with the control factory under its class name.
void registerClasses();

}  // namespace XrImage
