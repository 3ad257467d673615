// SPDX-License-Identifier: MIT
#include "cli/report.h"

#include <cstdio>

#include "cli/console.h"
#include "cli/help.h"
#include "cli/interrupts.h"
#include "text/terminal_text.h"

namespace holvane::cli {

void Report(std::string_view cause) {
  WriteText(stderr, std::string(kProgram) + ": " + text::Escaped(cause) + "\n");
}

void ReportFailure(const std::filesystem::path& path, std::string_view cause) {
  WriteText(stderr, std::string(kProgram) + ": " + text::Escaped(path.native()) + ": " +
                        text::Escaped(cause) + "\n");
}

int UsageFailure(std::string_view message) {
  WriteText(stderr, std::string(kProgram) + ": " + text::Escaped(message) + "\n" + UsageText() +
                        "Подробнее: " + kProgram + " --help\n");
  return 2;
}

std::string InterruptLine(int signal, const std::filesystem::path* file) {
  std::string line;
  if (IsTerminal(stderr)) line = LineClearing(stderr);
  line += std::string(kProgram) + ": ";
  if (file != nullptr) {
    line += text::Escaped(file->native()) + ": преобразование прервано (";
  } else {
    line += "прервано (";
  }
  return line + SignalName(signal) + ")\n";
}

}  // namespace holvane::cli
