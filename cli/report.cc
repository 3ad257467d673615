// SPDX-License-Identifier: MIT
#include "cli/report.h"

#include <cstdio>

#include "cli/console.h"
#include "cli/help.h"
#include "cli/interrupts.h"
#include "text/terminal_text.h"

namespace holvane::cli {

namespace {

std::string Sentence(std::string_view text) {
  return text::Escaped(text, text::Backslashes::kKept);
}

}  // namespace

void Report(std::string_view cause) {
  WriteText(stderr, std::string(kProgram) + ": " + Sentence(cause) + "\n");
}

void ReportFailure(const std::filesystem::path& path, std::string_view cause) {
  WriteText(stderr, std::string(kProgram) + ": " + text::Escaped(path.native()) + ": " +
                        Sentence(cause) + "\n");
}

void ReportCounts(std::int64_t done, std::int64_t failed, bool text_on_stdout, bool quiet,
                  std::string (*done_line)(std::int64_t)) {
  if (quiet) return;
  if (done > 0) WriteText(text_on_stdout ? stderr : stdout, done_line(done) + "\n");
  if (failed > 0) {
    WriteText(stderr, "Файлов с ошибками: " + std::to_string(failed) + ".\n");
  }
}

int UsageFailure(std::string_view message) {
  WriteText(stderr, std::string(kProgram) + ": " + Sentence(message) + "\n" + UsageText() +
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
