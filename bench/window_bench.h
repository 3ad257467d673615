// SPDX-License-Identifier: MIT
#ifndef HOLVANE_BENCH_WINDOW_BENCH_H_
#define HOLVANE_BENCH_WINDOW_BENCH_H_

// What the two window benchmarks (window_bench_qt.cc, window_bench_win32.cc)
// share: their modes and the host that stands in for the person who closes
// the window's message box. Each is timed as a whole process from outside.

#include <cstdio>
#include <string>
#include <vector>

#include "conversion/convert_file.h"
#include "main_window/host.h"

namespace holvane::bench {

// "start": the window as the program makes it, on the current folder, and
// the end as soon as it is shown and its event queue is idle. "folder": the
// window on FOLDER, shown and idle, then every file selected and the button
// pressed; the count message is accepted at once.
inline constexpr char kWindowBenchUsage[] =
    "Usage:\n"
    "  PROGRAM start\n"
    "  PROGRAM folder FOLDER\n"
    "Exit status 0 when the window was shown (start) or every file of FOLDER\n"
    "was converted (folder), 1 otherwise, 2 for a wrong command line.\n";

// The view's own host for the wait cursor; the messages are taken as
// accepted the moment they are shown, and kept for Verdict.
class AcceptingHost final : public ui::Host {
 public:
  explicit AcceptingHost(ui::Host& view_host) : view_host_(view_host) {}

  void ShowMessage(const std::string& text, ui::MessageIcon) override { messages_.push_back(text); }
  void SetBusy(bool busy) override { view_host_.SetBusy(busy); }
  // The benchmark ends after the button's handler anyway; Verdict tells.
  void EndProgram() override { ended_ = true; }

  // 0 when the button converted all of `listed` files (more than none) and
  // said so in its one message; otherwise 1, with what happened instead on
  // standard error.
  int Verdict(int listed) const {
    if (listed > 0 && !ended_ && messages_.size() == 1 &&
        messages_.front() == ConvertedCountLine(listed)) {
      return 0;
    }
    std::fprintf(stderr, "the window listed %d files and said:\n", listed);
    for (const std::string& message : messages_) std::fprintf(stderr, "  %s\n", message.c_str());
    if (ended_) std::fputs("and ended the program\n", stderr);
    return 1;
  }

 private:
  ui::Host& view_host_;
  std::vector<std::string> messages_;
  bool ended_ = false;
};

}  // namespace holvane::bench

#endif  // HOLVANE_BENCH_WINDOW_BENCH_H_
