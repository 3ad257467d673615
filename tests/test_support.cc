// SPDX-License-Identifier: MIT
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "compression/zlib_binding.h"

namespace holvane::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "holvane-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Tests may leave folders without permissions behind; give them back first.
  for (auto it = std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string Int32Bytes(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i)
    bytes[static_cast<std::size_t>(i)] = static_cast<char>(bits >> (8 * i));
  return bytes;
}

std::string RecordStream(std::initializer_list<Entry> entries) {
  return RecordStream(std::vector<Entry>(entries));
}

std::string RecordStream(const std::vector<Entry>& entries) {
  std::string stream;
  for (const Entry& entry : entries) {
    stream += Int32Bytes(static_cast<std::int32_t>(entry.text.size()));
    stream += entry.text;
    stream += Int32Bytes(entry.flag);
  }
  return stream;
}

std::string RenderedText(const std::vector<Entry>& entries) {
  std::string text;
  for (const Entry& entry : entries) {
    text += entry.flag == 0 ? "-" : entry.flag == -1 ? "+" : "?\r\n";
    text += entry.text;
    text += "\r\n";
  }
  return text;
}

std::string RandomBytes(std::size_t size, unsigned seed, int lowest) {
  std::mt19937 engine(seed);
  std::uniform_int_distribution<int> byte(lowest, 255);
  std::string data(size, '\0');
  for (char& c : data) c = static_cast<char>(byte(engine));
  return data;
}

std::string Sample(std::size_t size) {
  std::string data;
  for (std::size_t i = 0; data.size() < size; ++i) {
    data += "строка " + std::to_string(i * 7919 % 1013);
    data += '\0';
    data += static_cast<char>(0x80 + i % 128);
  }
  data.resize(size);
  return data;
}

std::string ZlibCompress(std::string_view data) { return ZlibDeflate(data, 15); }

std::string ZlibDeflate(std::string_view data, int window_bits, std::string_view dictionary) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, window_bits, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2 failed");
  }
  if (!dictionary.empty() && deflateSetDictionary(&stream, BytesOf(dictionary),
                                                  static_cast<uInt>(dictionary.size())) != Z_OK) {
    deflateEnd(&stream);
    throw std::runtime_error("deflateSetDictionary failed");
  }
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = const_cast<Bytef*>(BytesOf(data));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) throw std::runtime_error("deflate failed");
  return out;
}

bool ZlibInflate(std::string_view source, int window_bits, std::string& output) {
  z_stream stream{};
  if (inflateInit2(&stream, window_bits) != Z_OK) return false;
  stream.next_in = const_cast<Bytef*>(BytesOf(source));
  stream.avail_in = static_cast<uInt>(source.size());
  output.clear();
  int result = Z_OK;
  char chunk[16384];
  while (result == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    result = inflate(&stream, Z_NO_FLUSH);
    output.append(chunk, sizeof chunk - stream.avail_out);
  }
  inflateEnd(&stream);
  return result == Z_STREAM_END;
}

::testing::AssertionResult SameBytes(std::string_view actual, std::string_view expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const auto mismatch =
      std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  const auto at = static_cast<std::size_t>(mismatch.first - actual.begin());
  auto excerpt = [at](std::string_view bytes) {
    return ::testing::PrintToString(std::string(bytes.substr(std::min(at, bytes.size()), 16)));
  };
  return ::testing::AssertionFailure()
         << actual.size() << " bytes where " << expected.size() << " were expected, first "
         << "difference at offset " << at << ": " << excerpt(actual) << " instead of "
         << excerpt(expected);
}

::testing::AssertionResult ConcernsFile(const std::optional<RunTimeError>& error,
                                        const std::filesystem::path& path) {
  if (!error) return ::testing::AssertionFailure() << "no failure, where one concerning " << path;
  if (error->file() != path) {
    return ::testing::AssertionFailure()
           << "the failure concerns " << error->file() << ", not " << path << ": " << error->what();
  }
  const std::string name = path.filename().string();
  if (std::string_view(error->what()).find(name) != std::string_view::npos) {
    return ::testing::AssertionFailure() << "the message repeats the name: " << error->what();
  }
  return ::testing::AssertionSuccess();
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

Outcome Uncompress(std::string_view source, std::int32_t capacity, std::int32_t mode) {
  return UncompressWith(
      [&](std::uint8_t* dest, std::int32_t& length) {
        return DefaultZlibBinding().uncompress(dest, length, BytesOf(source), LengthOf(source),
                                               mode);
      },
      capacity);
}

}  // namespace holvane::testing
