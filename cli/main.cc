// SPDX-License-Identifier: MIT
// holvane-convert: converts *.wvl files from the command line, for scripts and
// machines without a display. Each file goes through the same ConvertFile as
// in the window, so its text is byte for byte the window's.
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <variant>
#include <vector>

#include "cli/file_walk.h"
#include "cli/interrupts.h"
#include "cli/options.h"
#include "cli/progress_line.h"
#include "common/run_time_error.h"
#include "conversion/convert_file.h"
#include "conversion/file_system.h"
#include "conversion/messages.h"
#include "conversion/whole_file.h"
#include "text/native_name.h"
#include "text/terminal_text.h"
#include "text/utf16.h"

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
    "Файл, который не распаковывается, ничего после себя не оставляет. Сбой после\n"
    "распаковки (ИМЯ.txt не создать или не записать, это папка или чужой файл, поток\n"
    "записей обрывается, диск полон или достигнут предел размера файла) оставляет\n"
    "рядом ИМЯ.tmp со всем распакованным содержимым, каким бы большим оно ни было, —\n"
    "его можно посмотреть, потом удалить; в ИМЯ.txt тогда только целые записи\n"
    "до сбоя.\n"
    "\n"
    "Без -c и без - число преобразованных файлов печатается в стандартный вывод,\n"
    "иначе — в стандартный поток ошибок.\n"
    "\n"
    "Код возврата: 0 — все файлы преобразованы; 1 — хотя бы один преобразовать\n"
    "не удалось или не удалось записать в стандартный вывод; 2 — ошибка в командной\n"
    "строке; 128 + номер сигнала — прервано сигналом (130 для Ctrl+C).\n";

// Every text that may hold a name goes through Escaped: names come from the
// command line and the disk, and may hold bytes that drive the terminal.
// Every message goes through WriteText, which a Windows console needs.
int UsageFailure(const std::string& message) {
  holvane::cli::WriteText(stderr, std::string(kProgram) + ": " + holvane::text::Escaped(message) +
                                      "\n" + kUsage + "Подробнее: " + kProgram + " --help\n");
  return 2;
}

// One line: the file once, then the cause.
void ReportFailure(const std::filesystem::path& path, const std::string& cause) {
  holvane::cli::WriteText(stderr, std::string(kProgram) + ": " +
                                      holvane::text::Escaped(path.native()) + ": " +
                                      holvane::text::Escaped(cause) + "\n");
}

// A folder's identity: device and inode on POSIX, the volume's serial number
// and the file index on Windows. None when it cannot be asked.
using FolderIdentity = std::pair<std::uint64_t, std::uint64_t>;

std::optional<FolderIdentity> IdentityOf(const std::filesystem::path& folder) {
#ifdef _WIN32
  // FILE_FLAG_BACKUP_SEMANTICS opens a folder; no access is asked, only its
  // attributes.
  const HANDLE handle =
      ::CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(handle, &info);
  ::CloseHandle(handle);
  if (!known) return std::nullopt;
  return FolderIdentity(info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow);
#else
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return std::nullopt;
  return FolderIdentity(info.st_dev, info.st_ino);
#endif
}

// Whether `path` is known not to exist (a failure to ask is no such answer).
bool Missing(const std::filesystem::path& path) {
#ifdef _WIN32
  if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
#else
  struct stat info {};
  return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
#endif
}

// A file's identity for converting it once: its folder (by device and inode,
// so "a.wvl", "./a.wvl" and a folder holding it agree) and its name there,
// since the name is what its .txt is named after.
struct FileKey {
  FolderIdentity folder;
  holvane::text::NativeName name;
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
    if (added) at->second = IdentityOf(folder);
    if (!at->second) return std::nullopt;
    return FileKey{*at->second, file.filename().native()};
  }

 private:
  std::map<holvane::text::NativeName, std::optional<FolderIdentity>> folders_;
};

// The files the PATHs stand for, in order, each once. A PATH that does not
// exist, or a folder that cannot be listed, is reported as that PATH's
// failure; the others go on.
std::vector<std::filesystem::path> CollectFiles(const std::vector<std::filesystem::path>& paths,
                                                bool recursive, bool& failed) {
  std::vector<std::filesystem::path> files;
  std::set<FileKey> seen;
  FileKeys keys;
  for (const std::filesystem::path& path : paths) {
    if (path == kStandardInput) {
      files.emplace_back(path);
      continue;
    }
    if (Missing(path)) {
      ReportFailure(path, "нет такого файла или папки");
      failed = true;
      continue;
    }
    std::vector<holvane::cli::UnlistedFolder> unlisted;
    for (std::filesystem::path& file : holvane::cli::FilesToConvert(path, recursive, unlisted)) {
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
  holvane::cli::WriteText(
      stderr, std::string(kProgram) + ": ошибка записи в стандартный вывод: " + cause + "\n");
  return false;
}

const char* SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
#ifdef _WIN32
    case SIGBREAK:
      return "Ctrl+Break";
#else
    case SIGHUP:
      return "SIGHUP";
#endif
    default:
      return "?";
  }
}

// The one line that says a run was stopped, on a line of its own even when a
// progress line was being drawn.
std::string InterruptLine(int signal, const std::filesystem::path* file) {
  std::string line;
  if (holvane::cli::IsTerminal(stderr)) line = holvane::cli::LineClearing(stderr);
  line += std::string(kProgram) + ": ";
  if (file != nullptr) {
    line += holvane::text::Escaped(file->native()) + ": преобразование прервано (";
  } else {
    line += "прервано (";
  }
  return line + SignalName(signal) + ")\n";
}

// `paths` are the options' paths as they were given, to open.
int Run(const holvane::cli::Options& options, const std::vector<std::filesystem::path>& paths) {
  if (options.help) {
    holvane::cli::WriteText(stdout, std::string(kUsage) + kHelp);
    return 0;
  }
  if (options.version) {
    holvane::cli::WriteText(stdout,
                            std::string(kProgram) + " " + HOLVANE_VERSION + "\n" + kCopyright);
    return 0;
  }

  holvane::cli::InterruptGuard guard(holvane::DefaultFileSystem(), InterruptLine);
  bool failed = false;
  const std::vector<std::filesystem::path> files = CollectFiles(paths, options.recursive, failed);

  // Text on standard output leaves the count line and the progress line to
  // standard error, or to nothing, so they never mix with it.
  const bool text_on_stdout =
      options.to_stdout || std::count(options.paths.begin(), options.paths.end(), kStandardInput);
  const std::unique_ptr<holvane::WritableFile> standard_output = holvane::StandardOutput();
  std::optional<holvane::cZLIB> zlib;
  int converted = 0;
  // The line shows each file when there are several, and, even for one, a
  // wait for another conversion of a file (another user's, perhaps), which
  // would otherwise look like a run that hangs.
  holvane::cli::ProgressLine progress(stderr, !text_on_stdout && holvane::cli::IsTerminal(stderr));
  const bool each_file_shown = files.size() > 1;
  std::size_t current = 0;
  guard.OnWaiting([&](bool waiting) {
    const std::string name = holvane::text::Escaped(files[current].native());
    if (waiting) {
      progress.Show(current + 1, files.size(),
                    name + ": ждёт, пока закончится другое преобразование этого файла");
    } else if (each_file_shown) {
      progress.Show(current + 1, files.size(), name);
    } else {
      progress.Clear();
    }
  });
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::filesystem::path& file = files[i];
    current = i;
    if (each_file_shown) progress.Show(i + 1, files.size(), holvane::text::Escaped(file.native()));
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
    holvane::cli::WriteText(text_on_stdout ? stderr : stdout,
                            holvane::ConvertedCountLine(converted) + "\n");
  }
  return failed ? 1 : 0;
}

// Parses the arguments (UTF-8 for the options) and runs; `path_of` gives the
// path of an argument by its place, from the arguments as the system gave
// them.
template <typename PathOf>
int Main(const std::vector<std::string>& arguments, PathOf path_of) {
  const auto parsed = holvane::cli::ParseCommandLine(arguments);
  if (const auto* error = std::get_if<holvane::cli::UsageError>(&parsed)) {
    return UsageFailure(error->message);
  }
  const auto& options = std::get<holvane::cli::Options>(parsed);
  std::vector<std::filesystem::path> paths;
  for (const std::size_t argument : options.path_arguments) paths.push_back(path_of(argument));
  const int status = Run(options, paths);
  return StandardOutputWritten() ? status : 1;
}

// What a system call's failure means, worded as the file layer words its
// own.
std::string SystemCause(const std::error_code& code) {
  const std::error_condition condition = code.default_error_condition();
  if (condition == std::errc::resource_unavailable_try_again) {
    return "не хватает системных ресурсов";
  }
  if (condition == std::errc::not_enough_memory) return "недостаточно памяти";
  if (condition == std::errc::operation_not_permitted ||
      condition == std::errc::permission_denied) {
    return "доступ запрещён";
  }
  return "системная ошибка " + std::to_string(code.value()) + " (" + code.message() + ")";
}

// The cause of the exception being handled, in words a person reads.
std::string CurrentCause() {
  try {
    throw;
  } catch (const holvane::RunTimeError& error) {
    return error.what();
  } catch (const std::bad_alloc&) {
    return "недостаточно памяти";
  } catch (const std::system_error& error) {
    return "сбой системы: " + SystemCause(error.code());
  } catch (const std::exception& error) {
    return std::string("непредвиденная ошибка (") + error.what() + ")";
  } catch (...) {
    return "непредвиденная ошибка";
  }
}

// Runs `body` for the exit status. A file's failure is reported where it
// happens and the run goes on; what escapes `body` is what the program itself
// needs and could not get (memory, the signals' setup), before any file is
// touched or between two. It becomes one line and the status 1: no exception
// may end the program unannounced.
template <typename Body>
int ReportingWhatEscapes(Body body) noexcept {
  try {
    return body();
  } catch (...) {
    try {
      holvane::cli::WriteText(
          stderr, std::string(kProgram) + ": " + holvane::text::Escaped(CurrentCause()) + "\n");
    } catch (...) {
      // Not even the line could be made: too little memory for anything.
      std::fputs(kProgram, stderr);
      std::fputs(": недостаточно памяти\n", stderr);
    }
    return 1;
  }
}

}  // namespace

#ifdef _WIN32
// The arguments come as UTF-16, the paths made from them as they are; their
// UTF-8 serves the options only. (A broken pipe on standard output is a
// write error here without more ado: Windows has no SIGPIPE.)
int wmain(int argc, wchar_t** argv) {
  return ReportingWhatEscapes([&] {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(holvane::text::Utf8FromUtf16(argv[i]));
    return Main(arguments,
                [&](std::size_t argument) { return std::filesystem::path(argv[argument + 1]); });
  });
}
#else
int main(int argc, char** argv) {
  // A closed pipe on standard output is reported as a write error (EPIPE)
  // and an exit status of 1, rather than ending the program unannounced.
  std::signal(SIGPIPE, SIG_IGN);
  return ReportingWhatEscapes([&] {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return Main(arguments,
                [&](std::size_t argument) { return std::filesystem::path(arguments[argument]); });
  });
}
#endif
