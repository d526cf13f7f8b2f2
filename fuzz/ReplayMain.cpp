// The replay entry point of every fuzz target: runs fuzzOne once on each file named on the
// command line and on every file inside each folder named there (sorted, one level deep).
// Fails when it finds no input at all, so that a mistyped folder cannot pass unnoticed.
#include "fuzz/FuzzTarget.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsOf(const fs::path& argument)
{
    std::error_code error;
    if (!fs::is_directory(argument, error))
        return {argument};
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(argument, error)) {
        if (entry.is_regular_file(error))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool replay(const fs::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<uint8_t> data{std::istreambuf_iterator<char>(stream), {}};
    std::fprintf(stderr, "replay: %s (%zu bytes)\n", file.c_str(), data.size());
    fuzzOne(data);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& file : inputsOf(argv[i])) {
            if (!replay(file))
                return 1;
            ++replayed;
        }
    }
    if (replayed == 0) {
        std::fprintf(stderr, "replay: no input found\n");
        return 1;
    }
    std::fprintf(stderr, "replay: %zu inputs, no failure\n", replayed);
    return 0;
}
