// SPDX-License-Identifier: MIT
// What the test kit asks of the system, each system's in test_kit_posix.cc or
// test_kit_win32.cc. Only the test kit includes this.
#ifndef HOLVANE_TESTS_TEST_KIT_SYSTEM_H_
#define HOLVANE_TESTS_TEST_KIT_SYSTEM_H_

#include <filesystem>
#include <string_view>

namespace holvane::testing {

// The process, told apart from a child forked from it.
long ProcessId();

// Makes a new folder in `base` named `prefix`, a dash and something unique,
// never one that was there already, and returns its path; throws
// std::runtime_error when it cannot.
std::filesystem::path NewFolder(const std::filesystem::path& base, std::string_view prefix);

}  // namespace holvane::testing

#endif  // HOLVANE_TESTS_TEST_KIT_SYSTEM_H_
