#include "fuzz/reference.h"

#include <stdlib.h>
#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
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

Inflated InflateOnce(std::string_view input, int mode, std::size_t limit) {
  z_stream stream{};
  if (inflateInit2(&stream, mode) != Z_OK) return {Inflated::kInvalid, {}};
  std::string out;
  std::vector<unsigned char> chunk(64 * 1024);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  int result = Z_OK;
  while (result == Z_OK) {
    stream.next_out = chunk.data();
    stream.avail_out = static_cast<uInt>(chunk.size());
    result = inflate(&stream, Z_NO_FLUSH);
    out.append(reinterpret_cast<const char*>(chunk.data()), chunk.size() - stream.avail_out);
    if (out.size() > limit) break;
  }
  inflateEnd(&stream);
  if (out.size() > limit) return {Inflated::kTooLarge, {}};
  if (result != Z_STREAM_END) return {Inflated::kInvalid, {}};
  return {Inflated::kValid, std::move(out)};
}

const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/holvane-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return std::filesystem::path(pattern);
  }();
  return folder;
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
