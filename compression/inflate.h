// SPDX-License-Identifier: MIT
// Internal to compression/, its tests and the binding's fuzz target: zlib's
// inflate as the program's binding and cZLIB's attempts use it. Not part of
// the core's interface.
#ifndef HOLVANE_COMPRESSION_INFLATE_H_
#define HOLVANE_COMPRESSION_INFLATE_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct libdeflate_decompressor;

namespace holvane::internal {

// One inflate of the whole source into `dest`, answered as
// ZlibBinding::uncompress() answers (Z_OK with `dest_length` set, Z_BUF_ERROR
// only when `dest` is too small, another code otherwise).
std::int32_t InflateInto(std::uint8_t* dest, std::int32_t& dest_length, const std::uint8_t* source,
                         std::int32_t source_length, int mode);

// The longest output kept from the one decoding; longer outputs are decoded
// again into the attempt that fits. The tests and the fuzz target also pass 0
// to reach that way on short streams.
inline constexpr std::int64_t kKeptOutput = std::int64_t{1} << 30;

// The attempts of one decompression through the program's zlib. Construction
// decodes the whole stream once, learning how much of it decodes without
// error and whether it ends whole, and keeps outputs up to `kept_output`
// bytes (0: none). Every attempt is then answered exactly as one
// InflateInto() call with the same buffer would be. `source` must stay
// unchanged and alive as long as the object.
class InflateAttempts {
 public:
  InflateAttempts(const std::uint8_t* source, std::int32_t source_length, std::int32_t mode,
                  std::int64_t kept_output);
  InflateAttempts(const InflateAttempts&) = delete;
  InflateAttempts& operator=(const InflateAttempts&) = delete;
  ~InflateAttempts();

  // The output an attempt with `dest_length` bytes of room would get with
  // Z_OK, handed over (once) when it was kept; nothing otherwise.
  std::optional<std::string> TakeOutput(std::int32_t dest_length);

  // One attempt into `dest`, which holds `dest_length` bytes on entry.
  std::int32_t Uncompress(std::uint8_t* dest, std::int32_t& dest_length);

 private:
  struct DecodedStream;
  struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* decompressor) const;
  };

  std::optional<std::int32_t> DecodeWhole(std::uint8_t* dest, std::int32_t dest_length);

  const std::uint8_t* source_;
  std::int32_t source_length_;
  std::int32_t mode_;
  std::unique_ptr<DecodedStream> decoded_;
  std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor_;
};

}  // namespace holvane::internal

#endif  // HOLVANE_COMPRESSION_INFLATE_H_
