// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_MESSAGES_H_
#define HOLVANE_CONVERSION_MESSAGES_H_

// What the window and holvane-convert tell a person in the same words, in
// UTF-8.

#include <cstdint>
#include <string>

namespace holvane {

// How many files a run converted, as both end it: "Файлов успешно
// декомпилировано: 3." (no line break).
inline std::string ConvertedCountLine(std::int64_t count) {
  return "Файлов успешно декомпилировано: " + std::to_string(count) + ".";
}

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_MESSAGES_H_
