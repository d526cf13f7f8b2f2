// How much more memory the process can count on, so that work too large for it is refused
// before it starts instead of failing half-way.
#pragma once

#include <cstdint>
#include <optional>

namespace sys {

// The smaller of what the system has available (free memory, reclaimable caches and free
// swap) and what the process's address-space and data-size limits leave; nothing when neither
// can be read.
std::optional<uint64_t> availableMemory();

}  // namespace sys
