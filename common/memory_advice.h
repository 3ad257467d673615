// SPDX-License-Identifier: MIT
#ifndef HOLVANE_COMMON_MEMORY_ADVICE_H_
#define HOLVANE_COMMON_MEMORY_ADVICE_H_

#include <cstddef>
#include <cstdint>

namespace holvane::memory_advice {

// The size of the system's memory pages.
std::uintptr_t PageSize();

// Hands the whole pages from `start` on, `length` bytes, of a buffer that is
// done with back to the system; their contents are lost. Only advice: where
// it is not taken (Windows, whose heap gives no safe way to), the pages go
// with the buffer.
void ReleasePages(std::uintptr_t start, std::size_t length);

// Asks for the buffer of `length` bytes at `start`, not yet written, to be
// given large pages where the system can: one fault then maps megabytes
// instead of a page, and the buffer is given back as fast. Only advice:
// where it is not taken (no such pages, turned off, Windows), nothing
// changes.
void PreferLargePages(const void* start, std::size_t length);

}  // namespace holvane::memory_advice

#endif  // HOLVANE_COMMON_MEMORY_ADVICE_H_
