// holvane-convert: converts *.wvl files from the command line, for scripts and
// machines without a display. Each file goes through the same ConvertFile as
// in the window, so its text is byte for byte the window's.
#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/file_walk.h"
#include "cli/options.h"
#include "cli/progress_line.h"
#include "compression/run_time_error.h"
#include "conversion/convert_file.h"

namespace {

constexpr char kProgram[] = "holvane-convert";

constexpr char kUsage[] = "Использование: holvane-convert [ПАРАМЕТР]... ПУТЬ...\n";

constexpr char kHelp[] =
    "Преобразует сжатые файлы .wvl в текстовые: файл ИМЯ даёт рядом с собой ИМЯ.txt\n"
    "(game.wvl даёт game.wvl.txt). ПУТЬ — файл, который преобразуется, как бы он ни\n"
    "назывался, или папка, в которой преобразуются файлы *.wvl (в любом регистре).\n"
    "Ошибка в одном файле не останавливает остальные.\n"
    "\n"
    "  -r, --recursive  обходить и вложенные папки (символические ссылки на папки\n"
    "                   не обходятся)\n"
    "      --help       показать эту справку и выйти\n"
    "      --version    показать версию и выйти\n"
    "\n"
    "Код возврата: 0 — все файлы преобразованы; 1 — хотя бы один преобразовать\n"
    "не удалось; 2 — ошибка в командной строке.\n";

int UsageFailure(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n%sПодробнее: %s --help\n", kProgram, message.c_str(), kUsage,
               kProgram);
  return 2;
}

void ReportFailure(const std::filesystem::path& path, const std::string& cause) {
  std::fprintf(stderr, "%s: %s: %s\n", kProgram, path.c_str(), cause.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const auto parsed =
      holvane::cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto* error = std::get_if<holvane::cli::UsageError>(&parsed)) {
    return UsageFailure(error->message);
  }
  const auto& options = std::get<holvane::cli::Options>(parsed);
  if (options.help) {
    std::printf("%s%s", kUsage, kHelp);
    return 0;
  }
  if (options.version) {
    std::printf("%s %s\n", kProgram, HOLVANE_VERSION);
    return 0;
  }
  for (const std::string& path : options.paths) {
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
      return UsageFailure("«" + path + "»: нет такого файла или папки");
    }
  }

  bool failed = false;
  std::vector<std::filesystem::path> files;
  for (const std::string& path : options.paths) {
    std::vector<holvane::cli::UnlistedFolder> unlisted;
    const auto found = holvane::cli::FilesToConvert(path, options.recursive, unlisted);
    files.insert(files.end(), found.begin(), found.end());
    for (const auto& folder : unlisted) ReportFailure(folder.folder, folder.cause);
    failed = failed || !unlisted.empty();
  }

  std::optional<holvane::cZLIB> zlib;
  int converted = 0;
  holvane::cli::ProgressLine progress(stderr, holvane::cli::IsTerminal(stderr) && files.size() > 1);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::filesystem::path& file = files[i];
    progress.Show(i + 1, files.size(), file.native());
    try {
      holvane::ConvertFile(file.parent_path(), file.filename(), zlib);
      ++converted;
    } catch (const holvane::RunTimeError& error) {
      progress.Clear();
      ReportFailure(file, error.what());
      failed = true;
    } catch (const std::bad_alloc&) {
      progress.Clear();
      ReportFailure(file, "недостаточно памяти");
      failed = true;
    }
  }
  progress.Clear();

  if (converted > 0) std::printf("Файлов успешно декомпилировано: %d.\n", converted);
  return failed ? 1 : 0;
}
