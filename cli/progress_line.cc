// SPDX-License-Identifier: MIT
#include "cli/progress_line.h"

#include <string>

#include "cli/console.h"

namespace holvane::cli {

namespace {

// At most `columns` characters of UTF-8 `text`: a line longer than the
// terminal would wrap, and "\r" could no longer take the cursor back to its
// start.
std::string Fit(std::string_view text, int columns) {
  std::string out;
  int used = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool starts_character = (byte & 0xC0) != 0x80;
    if (starts_character && ++used > columns) break;
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

ProgressLine::ProgressLine(std::FILE* stream, bool enabled) : stream_(stream), enabled_(enabled) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Show(std::size_t number, std::size_t total, std::string_view name) {
  if (!enabled_) return;
  const std::string text =
      "[" + std::to_string(number) + "/" + std::to_string(total) + "] " + std::string(name);
  WriteText(stream_, LineClearing(stream_) + Fit(text, TerminalWidth(stream_) - 1));
  std::fflush(stream_);
  drawn_ = true;
}

void ProgressLine::Clear() {
  if (!drawn_) return;
  WriteText(stream_, LineClearing(stream_));
  std::fflush(stream_);
  drawn_ = false;
}

}  // namespace holvane::cli
