// SPDX-License-Identifier: MIT
// What the systems share of the translation: filling a sentence's holes.
// Looking a sentence up is each system's (translation_posix.cc: the C
// library's gettext; translation_win32.cc: catalogues built into the program).
#include "common/translation.h"

namespace holvane {

std::string Filled(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string filled;
  filled.reserve(pattern.size() + 32);
  std::size_t next = 0;
  for (;;) {
    const std::size_t hole = pattern.find('{');
    if (hole == std::string_view::npos) break;
    filled.append(pattern.substr(0, hole));
    pattern.remove_prefix(hole);
    // "{}" or "{N}", N a single digit from 1: any other brace is text.
    std::size_t which = values.size();
    std::size_t length = 1;
    if (pattern.size() >= 2 && pattern[1] == '}') {
      which = next++;
      length = 2;
    } else if (pattern.size() >= 3 && pattern[1] >= '1' && pattern[1] <= '9' && pattern[2] == '}') {
      which = static_cast<std::size_t>(pattern[1] - '1');
      length = 3;
    }
    if (which < values.size()) {
      filled.append(values.begin()[which]);
    } else {
      filled.append(pattern.substr(0, length));
    }
    pattern.remove_prefix(length);
  }
  return filled.append(pattern);
}

}  // namespace holvane
