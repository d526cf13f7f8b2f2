// The libFuzzer entry point of every fuzz target.
#include "fuzz/FuzzTarget.h"

#include <cstddef>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzOne({data, size});
}

// The leak checker reads these before the first input: the test tree's suppressions
// (tests/lsan.supp), so that the caches system libraries keep for the life of the process do
// not end a run as leaks.
extern "C" const char* __lsan_default_suppressions()
{
    return
#include "LsanSuppressions.inc"
        ;
}
