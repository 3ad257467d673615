// SPDX-License-Identifier: MIT
#include <sys/mman.h>
#include <unistd.h>

#include "compression/memory_advice.h"

namespace holvane::memory_advice {

std::uintptr_t PageSize() { return static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE)); }

void ReleasePages(std::uintptr_t start, std::size_t length) {
  ::madvise(reinterpret_cast<void*>(start), length, MADV_DONTNEED);
}

}  // namespace holvane::memory_advice
