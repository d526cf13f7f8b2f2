// A fuzz target is one function, fuzzOne, in a file of fuzz/ and one scrivet_fuzz_target line in
// fuzz/CMakeLists.txt. The same file builds as a libFuzzer target (`make fuzz`) and as a replay
// program that runs the inputs of a folder once each (the crashers under `make test`).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

// Feeds one input to the code under test. Return 0; a broken expectation stops the process
// (fuzz::require), which both builds report as a failure.
int fuzzOne(std::span<const uint8_t> data);

namespace fuzz {

// Stops the process when an expectation every result must meet is broken.
inline void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz: expectation broken: %s\n", what);
        std::abort();
    }
}

}  // namespace fuzz
