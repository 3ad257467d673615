// SPDX-License-Identifier: MIT
// holvane-convert: converts *.wvl files from the command line, for scripts and
// machines without a display. Each file goes through the same ConvertFile as
// in the window, so its text is byte for byte the window's.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "cli/file_walk.h"
#include "cli/interrupts.h"
#include "cli/options.h"
#include "cli/progress_line.h"
#include "cli/terminal_text.h"
#include "common/run_time_error.h"
#include "conversion/convert_file.h"
#include "conversion/file_system.h"
#include "conversion/whole_file.h"

namespace {

constexpr char kProgram[] = "holvane-convert";

// A PATH of "-" stands for standard input; a file of that name is "./-".
constexpr char kStandardInput[] = "-";

// What --version prints after the name and version, as GNU programs do.
constexpr char kCopyright[] =
    "Copyright (c) 2026 The Holvane developers\n"
    "Лицензия MIT <https://opensource.org/licenses/MIT>.\n"
    "Это свободное ПО: его можно изменять и распространять.\n"
    "НИКАКИХ ГАРАНТИЙ в пределах, допускаемых законом.\n";

constexpr char kUsage[] = "Использование: holvane-convert [ПАРАМЕТР]... ПУТЬ...\n";

constexpr char kHelp[] =
    "Преобразует сжатые файлы .wvl в текстовые: файл ИМЯ даёт рядом с собой ИМЯ.txt\n"
    "(game.wvl даёт game.wvl.txt). ПУТЬ — файл, который преобразуется, как бы он ни\n"
    "назывался, папка, в которой преобразуются файлы *.wvl (в любом регистре), или -,\n"
    "стандартный ввод, чей текст идёт в стандартный вывод. Ошибка в одном файле не\n"
    "останавливает остальные; файл, названный дважды, преобразуется один раз.\n"
    "\n"
    "  -r, --recursive       обходить и вложенные папки (символические ссылки на\n"
    "                        папки не обходятся)\n"
    "  -c, --stdout          писать тексты в стандартный вывод, один за другим, и\n"
    "                        ничего не писать рядом с файлами\n"
    "      --encoding=КОД    cp1251 (по умолчанию) — байты текстов как есть; utf-8 —\n"
    "                        тексты из кодовой страницы 1251 в UTF-8\n"
    "      --eol=КОНЕЦ       crlf (по умолчанию) или lf: какими переводами строк\n"
    "                        заканчивать строки (переводы строк внутри текстов\n"
    "                        остаются как есть)\n"
    "  -q, --quiet           не печатать число преобразованных файлов\n"
    "  -h, --help            показать эту справку и выйти\n"
    "  -V, --version         показать версию и выйти\n"
    "\n"
    "Без -c и без - число преобразованных файлов печатается в стандартный вывод,\n"
    "иначе — в стандартный поток ошибок.\n"
    "\n"
    "Код возврата: 0 — все файлы преобразованы; 1 — хотя бы один преобразовать\n"
    "не удалось или не удалось записать в стандартный вывод; 2 — ошибка в командной\n"
    "строке; 128 + номер сигнала — прервано сигналом (130 для Ctrl+C).\n";

// Every text that may hold a name goes through Escaped: names come from the
// command line and the disk, and may hold bytes that drive the terminal.
int UsageFailure(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n%sПодробнее: %s --help\n", kProgram,
               holvane::cli::Escaped(message).c_str(), kUsage, kProgram);
  return 2;
}

// One line: the file once, then the cause.
void ReportFailure(const std::filesystem::path& path, const std::string& cause) {
  std::fprintf(stderr, "%s: %s: %s\n", kProgram, holvane::cli::Escaped(path.native()).c_str(),
               holvane::cli::Escaped(cause).c_str());
}

// A file's identity for converting it once: its folder (by device and inode,
// so "a.wvl", "./a.wvl" and a folder holding it agree) and its name there,
// since the name is what its .txt is named after.
struct FileKey {
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;
  auto operator<=>(const FileKey&) const = default;
};

// Keys of the files of one run. A folder is asked for its identity once,
// however many of its files are listed.
class FileKeys {
 public:
  std::optional<FileKey> Of(const std::filesystem::path& file) {
    const std::filesystem::path folder =
        file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    auto [at, added] = folders_.try_emplace(folder.native());
    if (added) {
      struct stat info {};
      if (::stat(folder.c_str(), &info) == 0) at->second = std::pair(info.st_dev, info.st_ino);
    }
    if (!at->second) return std::nullopt;
    return FileKey{at->second->first, at->second->second, file.filename().native()};
  }

 private:
  std::map<std::string, std::optional<std::pair<dev_t, ino_t>>> folders_;
};

// The files the PATHs stand for, in order, each once. A PATH that does not
// exist, or a folder that cannot be listed, is reported as that PATH's
// failure; the others go on.
std::vector<std::filesystem::path> CollectFiles(const holvane::cli::Options& options,
                                                bool& failed) {
  std::vector<std::filesystem::path> files;
  std::set<FileKey> seen;
  FileKeys keys;
  for (const std::string& path : options.paths) {
    if (path == kStandardInput) {
      files.emplace_back(path);
      continue;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) {
      ReportFailure(path, "нет такого файла или папки");
      failed = true;
      continue;
    }
    std::vector<holvane::cli::UnlistedFolder> unlisted;
    for (std::filesystem::path& file :
         holvane::cli::FilesToConvert(path, options.recursive, unlisted)) {
      const std::optional<FileKey> key = keys.Of(file);
      if (key && !seen.insert(*key).second) continue;
      files.push_back(std::move(file));
    }
    for (const auto& folder : unlisted) ReportFailure(folder.folder, folder.cause);
    failed = failed || !unlisted.empty();
  }
  return files;
}

// Whether everything written to standard output reached it. A closed pipe or
// a full device must fail the run, not pass for success.
bool StandardOutputWritten() {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  const int error = errno;
  const std::string cause = error == EPIPE ? "читающая сторона канала закрыта"
                            : error == ENOSPC ? "нет места на устройстве"
                                              : std::strerror(error);
  std::fprintf(stderr, "%s: ошибка записи в стандартный вывод: %s\n", kProgram, cause.c_str());
  return false;
}

const char* SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "?";
  }
}

// The one line that says a run was stopped, on a line of its own even when a
// progress line was being drawn.
void ReportInterrupt(int signal, const std::filesystem::path* file) {
  if (holvane::cli::IsTerminal(stderr)) std::fputs("\r\033[K", stderr);
  if (file != nullptr) {
    std::fprintf(stderr, "%s: %s: преобразование прервано (%s)\n", kProgram,
                 holvane::cli::Escaped(file->native()).c_str(), SignalName(signal));
  } else {
    std::fprintf(stderr, "%s: прервано (%s)\n", kProgram, SignalName(signal));
  }
}

int Run(const holvane::cli::Options& options) {
  if (options.help) {
    std::printf("%s%s", kUsage, kHelp);
    return 0;
  }
  if (options.version) {
    std::printf("%s %s\n%s", kProgram, HOLVANE_VERSION, kCopyright);
    return 0;
  }

  holvane::cli::InterruptGuard guard(holvane::DefaultFileSystem(), ReportInterrupt);
  bool failed = false;
  const std::vector<std::filesystem::path> files = CollectFiles(options, failed);

  // Text on standard output leaves the count line and the progress line to
  // standard error, or to nothing, so they never mix with it.
  const bool text_on_stdout =
      options.to_stdout || std::count(options.paths.begin(), options.paths.end(), kStandardInput);
  const std::unique_ptr<holvane::WritableFile> standard_output = holvane::StandardOutput();
  std::optional<holvane::cZLIB> zlib;
  int converted = 0;
  holvane::cli::ProgressLine progress(
      stderr, !text_on_stdout && holvane::cli::IsTerminal(stderr) && files.size() > 1);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::filesystem::path& file = files[i];
    progress.Show(i + 1, files.size(), holvane::cli::Escaped(file.native()));
    guard.Begin(file);
    try {
      if (file == kStandardInput) {
        holvane::ConvertContent(holvane::ReadStandardInput(), *standard_output, zlib, options.form);
      } else if (options.to_stdout) {
        holvane::ConvertContent(holvane::ReadWholeFile(file), *standard_output, zlib, options.form);
      } else {
        holvane::ConvertFile(file.parent_path(), file.filename(), zlib, guard.files(),
                             options.form);
      }
      ++converted;
    } catch (const holvane::RunTimeError& error) {
      progress.Clear();
      // The file at fault: the input, or its .tmp or .txt.
      ReportFailure(error.file().empty() ? file : error.file(), error.what());
      failed = true;
    } catch (const std::bad_alloc&) {
      progress.Clear();
      ReportFailure(file, "недостаточно памяти");
      failed = true;
    }
    guard.End();
  }
  progress.Clear();
  if (converted > 0 && !options.quiet) {
    std::fprintf(text_on_stdout ? stderr : stdout, "Файлов успешно декомпилировано: %d.\n",
                 converted);
  }
  return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A closed pipe on standard output is reported as a write error (EPIPE)
  // and an exit status of 1, rather than ending the program unannounced.
  std::signal(SIGPIPE, SIG_IGN);
  const auto parsed =
      holvane::cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto* error = std::get_if<holvane::cli::UsageError>(&parsed)) {
    return UsageFailure(error->message);
  }
  const int status = Run(std::get<holvane::cli::Options>(parsed));
  return StandardOutputWritten() ? status : 1;
}
