// SPDX-License-Identifier: MIT
// Internal to compression/ and its tests: the attempts of the program's own
// binding, and the knob the tests and the fuzz target turn to reach each of
// their ways of answering. Not part of the core's interface.
#ifndef HOLVANE_COMPRESSION_LEARNING_UNCOMPRESSION_H_
#define HOLVANE_COMPRESSION_LEARNING_UNCOMPRESSION_H_

#include <cstdint>
#include <memory>

#include "compression/zlib_binding.h"

namespace holvane::internal {

// The longest output kept while the stream is learned. A kept output is
// handed over whole by takeOutput(), so it is held once, as the result would
// be; the bound only caps what a stream that turns out invalid, or longer
// than any buffer, can hold for a while. Longer outputs are decoded again
// into the attempt that fits, by libdeflate where it applies.
inline constexpr std::int64_t kKeptOutput = std::int64_t{1} << 30;

// The attempts DefaultZlibBinding() gives: the first one decodes the whole
// stream once with zlib, to learn how much of it decodes without error and
// whether it ends whole, keeping outputs up to `kept_output` bytes (0: none).
// From then on:
//  - takeOutput() hands over the kept output of a whole, valid stream to an
//    attempt whose buffer would hold it;
//  - uncompress() answers a buffer shorter than the part known to decode
//    with Z_BUF_ERROR at once, which is what zlib would answer after filling
//    it; copies the kept output into a buffer that holds it, or, when
//    nothing was kept, decodes it there with libdeflate (zlib and gzip
//    streams; libdeflate's result is taken only at the length zlib found);
//    and leaves everything else to one zlib call.
// Every answer is the one a single zlib call gives: streaming judges
// distances against zlib's window rather than all output so far, so what
// decodes while learning decodes alike in one call into a whole buffer.
std::unique_ptr<ZlibBinding::Uncompression> BeginLearningUncompression(const std::uint8_t* source,
                                                                       std::int32_t source_length,
                                                                       std::int32_t mode,
                                                                       std::int64_t kept_output);

}  // namespace holvane::internal

#endif  // HOLVANE_COMPRESSION_LEARNING_UNCOMPRESSION_H_
