// SPDX-License-Identifier: MIT
#include "common/memory_advice.h"

namespace holvane::memory_advice {

std::uintptr_t PageSize() { return 4096; }

void ReleasePages(std::uintptr_t, std::size_t) {}

void PreferLargePages(const void*, std::size_t) {}

}  // namespace holvane::memory_advice
