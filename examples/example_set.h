// SPDX-License-Identifier: MIT
#ifndef HOLVANE_EXAMPLES_EXAMPLE_SET_H_
#define HOLVANE_EXAMPLES_EXAMPLE_SET_H_

#include <string>
#include <string_view>
#include <vector>

#include "tests/test_kit.h"

namespace holvane::examples {

// An entry's text is bytes in code page 1251. The record stream that holds
// entries is the test kit's RecordStream.
using ExampleEntry = testing::Entry;

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

}  // namespace holvane::examples

#endif  // HOLVANE_EXAMPLES_EXAMPLE_SET_H_
