// The libFuzzer entry point of every fuzz target.
#include "fuzz/FuzzTarget.h"

#include <cstddef>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzOne({data, size});
}
