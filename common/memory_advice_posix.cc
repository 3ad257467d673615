// SPDX-License-Identifier: MIT
#include <sys/mman.h>
#include <unistd.h>

#include "common/memory_advice.h"

namespace holvane::memory_advice {

std::uintptr_t PageSize() { return static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE)); }

void ReleasePages(std::uintptr_t start, std::size_t length) {
  ::madvise(reinterpret_cast<void*>(start), length, MADV_DONTNEED);
}

void PreferLargePages(const void* start, std::size_t length) {
  // A large page is 2 MiB or more and only whole aligned ones are given, so a
  // smaller buffer gains little; it is also most likely in the heap, whose
  // mapping the advice would split.
  constexpr std::size_t kWorthAdvising = 8 << 20;
  if (length < kWorthAdvising) return;
  const std::uintptr_t page = PageSize();
  const auto first = (reinterpret_cast<std::uintptr_t>(start) + page - 1) / page * page;
  const auto end = (reinterpret_cast<std::uintptr_t>(start) + length) / page * page;
  if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

}  // namespace holvane::memory_advice
