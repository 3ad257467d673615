#ifndef HOLVANE_TESTS_TEST_SUPPORT_H_
#define HOLVANE_TESTS_TEST_SUPPORT_H_

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace holvane::testing {

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// One entry of a record stream, for building streams in tests.
struct Entry {
  std::string text;
  std::int32_t flag;
};

// The record stream of `entries`: each a 32-bit little-endian length, the
// text bytes and a 32-bit little-endian flag.
std::string RecordStream(std::initializer_list<Entry> entries);

// A signed 32-bit value as its four little-endian bytes.
std::string Int32Bytes(std::int32_t value);

// `data` compressed as a zlib stream (windowBits 15) with zlib itself, not
// through the code under test.
std::string ZlibCompress(std::string_view data);

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::string_view data);

}  // namespace holvane::testing

#endif  // HOLVANE_TESTS_TEST_SUPPORT_H_
