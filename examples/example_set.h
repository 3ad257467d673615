// SPDX-License-Identifier: MIT
#ifndef HOLVANE_EXAMPLES_EXAMPLE_SET_H_
#define HOLVANE_EXAMPLES_EXAMPLE_SET_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace holvane::examples {

struct ExampleEntry {
  std::string text;  // bytes in code page 1251
  std::int32_t flag;
};

struct ExampleFile {
  std::string name;  // UTF-8, as the file system holds it
  std::vector<ExampleEntry> entries;
};

// The files bundled in examples/, with the entries each one holds.
std::vector<ExampleFile> ExampleFiles();

// Russian text written in UTF-8 as the bytes of code page 1251, the
// single-byte code page the files are made in. Letters outside the ASCII and
// Cyrillic ranges are not expected and become '?'.
std::string ToCp1251(std::string_view utf8);

// The record stream that holds `entries`: for each, a signed 32-bit
// little-endian length, the text bytes and a signed 32-bit little-endian flag.
std::string EncodeRecordStream(const std::vector<ExampleEntry>& entries);

}  // namespace holvane::examples

#endif  // HOLVANE_EXAMPLES_EXAMPLE_SET_H_
