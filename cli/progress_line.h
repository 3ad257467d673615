// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_PROGRESS_LINE_H_
#define HOLVANE_CLI_PROGRESS_LINE_H_

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace holvane::cli {

// One line of progress on a terminal, redrawn in place: "[3/10] name". It
// draws nothing unless enabled, so a pipe or a file never receives it.
class ProgressLine {
 public:
  ProgressLine(std::FILE* stream, bool enabled);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Show(std::size_t number, std::size_t total, std::string_view name);

  // Removes the line, so that what is printed next starts on a clean one.
  void Clear();

 private:
  std::FILE* stream_;
  bool enabled_;
  bool drawn_ = false;
};

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_PROGRESS_LINE_H_
