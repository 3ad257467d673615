// SPDX-License-Identifier: MIT
#include "fuzz/reference.h"

#include <stdlib.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

namespace holvane::fuzz {

namespace {

std::int64_t Int32At(std::string_view bytes, std::int64_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(at + i)]);
  }
  return static_cast<std::int32_t>(value);
}

constexpr int kModes[] = {15, 31, -15, 9, 47, 0, 7, 25, -8, 100};

std::string Compress(const std::string& plain, int mode) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, mode, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    return {};
  }
  std::string out(deflateBound(&stream, plain.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  stream.avail_in = static_cast<uInt>(plain.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) std::abort();
  return out;
}

}  // namespace

ExpectedRendering RenderReference(std::string_view stream) {
  ExpectedRendering result;
  const auto length = static_cast<std::int64_t>(stream.size());
  auto fail = [&](int number, std::int64_t offset) {
    result.error_number = number;
    result.offset = offset;
    return result;
  };
  std::int64_t at = 0;
  while (length - at >= 2) {
    if (length - at < 4) return fail(62, at);
    const std::int64_t n = Int32At(stream, at);
    at += 4;
    if (n < 0) return fail(5, at - 4);
    if (n > length - at) return fail(62, at);
    const std::string_view text =
        stream.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(n));
    at += n;
    if (length - at < 4) return fail(62, at);
    const std::int64_t flag = Int32At(stream, at);
    at += 4;
    result.text += flag == 0 ? "-" : flag == -1 ? "+" : "?\r\n";
    result.text += text;
    result.text += "\r\n";
  }
  return result;
}

namespace {

// One inflate call of `input` into a buffer of `room` bytes: its output, or
// nothing when the buffer ran full first.
std::optional<Inflated> InflateInto(std::string_view input, int mode, std::size_t room) {
  z_stream stream{};
  if (inflateInit2(&stream, mode) != Z_OK) return Inflated{Inflated::kInvalid, {}};
  const auto buffer = std::make_unique_for_overwrite<Bytef[]>(room);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = buffer.get();
  stream.avail_out = static_cast<uInt>(room);
  const int result = inflate(&stream, Z_FINISH);
  const std::size_t produced = stream.total_out;
  inflateEnd(&stream);
  if (result == Z_STREAM_END) {
    return Inflated{Inflated::kValid,
                    std::string(reinterpret_cast<const char*>(buffer.get()), produced)};
  }
  if (produced == room) return std::nullopt;
  return Inflated{Inflated::kInvalid, {}};
}

}  // namespace

Inflated InflateOnce(std::string_view input, int mode, std::size_t limit) {
  // One call into one buffer: decoding in pieces would judge distances
  // against zlib's window, which a stream's header may declare smaller than
  // the whole output a single call can look back into. A small buffer is
  // tried first, as most inputs need little room and a large one costs a
  // fresh mapping on every call.
  const std::size_t small =
      std::min(limit + 1, std::max<std::size_t>(64 * 1024, 16 * input.size()));
  if (auto inflated = InflateInto(input, mode, small)) return *std::move(inflated);
  if (small == limit + 1) return {Inflated::kTooLarge, {}};
  if (auto inflated = InflateInto(input, mode, limit + 1)) return *std::move(inflated);
  return {Inflated::kTooLarge, {}};
}

std::optional<CompressedInput> ReadCompressedInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return std::nullopt;
  const int mode = kModes[data[0] % std::size(kModes)];
  const std::uint8_t shape = data[1];
  std::string input(reinterpret_cast<const char*>(data + 2), size - 2);

  std::optional<std::string> plain;
  if (shape & 1) {
    if (mode != 15 && mode != 31 && mode != -15) return std::nullopt;
    plain = input;
    input = Compress(input, mode);
    // Pad after the stream's end (ignored by inflate) towards m = k * n + d.
    const std::int64_t k = 3 + (shape >> 1) % 4;
    const std::int64_t d = static_cast<std::int64_t>((shape >> 3) % 3) - 1;
    const std::int64_t m = static_cast<std::int64_t>(plain->size());
    const std::int64_t n = (m - d) / k;
    if (n > static_cast<std::int64_t>(input.size()))
      input.resize(static_cast<std::size_t>(n), '\x5a');
  }

  return CompressedInput{mode, std::move(input), std::move(plain)};
}

namespace {

// A folder made when constructed and removed, with everything in it, when
// destroyed. A child forked meanwhile that ends through exit() destroys its
// copy too, but leaves the folder to the process that made it.
class Scratch {
 public:
  Scratch() {
    const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/holvane-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~Scratch() {
    if (::getpid() != maker_) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  const pid_t maker_ = ::getpid();
};

}  // namespace

const std::filesystem::path& ScratchFolder() {
  // Destroyed as the process ends, as every static object is.
  static const Scratch scratch;
  return scratch.path();
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) std::abort();
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::filesystem::path& path, std::string_view data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!out.flush()) std::abort();
}

}  // namespace holvane::fuzz
