#include "platform/system/MemoryBudget.h"

#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace sys {
namespace {

// "MemAvailable" plus "SwapFree" of /proc/meminfo, in bytes.
std::optional<uint64_t> systemAvailable()
{
    FILE* info = std::fopen("/proc/meminfo", "re");
    if (!info)
        return std::nullopt;
    uint64_t available = 0;
    uint64_t swapFree = 0;
    bool found = false;
    char line[256];
    while (std::fgets(line, sizeof line, info)) {
        unsigned long long kib = 0;
        if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1) {
            available = kib * 1024;
            found = true;
        } else if (std::sscanf(line, "SwapFree: %llu kB", &kib) == 1) {
            swapFree = kib * 1024;
        }
    }
    std::fclose(info);
    if (!found)
        return std::nullopt;
    return available + swapFree;
}

// The process's virtual size and data size (/proc/self/statm), in bytes.
bool processSizes(uint64_t& virtualSize, uint64_t& dataSize)
{
    FILE* statm = std::fopen("/proc/self/statm", "re");
    if (!statm)
        return false;
    unsigned long long pages[6] = {};
    const int read = std::fscanf(statm, "%llu %llu %llu %llu %llu %llu", &pages[0], &pages[1],
                                 &pages[2], &pages[3], &pages[4], &pages[5]);
    std::fclose(statm);
    if (read != 6)
        return false;
    const auto pageSize = uint64_t(::sysconf(_SC_PAGESIZE));
    virtualSize = pages[0] * pageSize;
    dataSize = pages[5] * pageSize;
    return true;
}

// What a soft limit leaves beyond `used`; nothing for an unlimited resource.
std::optional<uint64_t> leftUnder(int resource, uint64_t used)
{
    struct rlimit limit {};
    if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::nullopt;
    return uint64_t(limit.rlim_cur) > used ? uint64_t(limit.rlim_cur) - used : 0;
}

}  // namespace

std::optional<uint64_t> availableMemory()
{
    std::optional<uint64_t> result = systemAvailable();
    const auto take = [&result](std::optional<uint64_t> bound) {
        if (bound)
            result = result ? std::min(*result, *bound) : *bound;
    };
    uint64_t virtualSize = 0;
    uint64_t dataSize = 0;
    if (processSizes(virtualSize, dataSize)) {
        take(leftUnder(RLIMIT_AS, virtualSize));
        take(leftUnder(RLIMIT_DATA, dataSize));
    }
    return result;
}

}  // namespace sys
