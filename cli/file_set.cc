// SPDX-License-Identifier: MIT
#include "cli/file_set.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "cli/file_walk.h"
#include "cli/report.h"
#include "common/file_identity.h"
#include "listing/listing.h"
#include "text/names.h"

namespace holvane::cli {

namespace {

// A file's identity for converting it once: its folder (by device and inode,
// so "a.wvl", "./a.wvl" and a folder holding it agree) and its name there,
// since the name is what its .txt is named after.
struct FileKey {
  FolderIdentity folder;
  text::NativeName name;
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
  std::map<text::NativeName, std::optional<FolderIdentity>> folders_;
};

}  // namespace

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
    std::vector<UnlistedFolder> unlisted;
    std::vector<std::filesystem::path> found = FilesToConvert(path, recursive, unlisted);
    if (found.empty() && unlisted.empty()) {
      // A folder that gives nothing is no failure, but a run that converts
      // nothing without a word looks like one that worked.
      const std::string none = std::string("нет файлов ") + listing::kFilePattern;
      ReportFailure(path, recursive ? "ни в папке, ни во вложенных папках " + none
                          : HasSubfolders(path)
                              ? "в папке " + none + "; файлы вложенных папок преобразует -r"
                              : "в папке " + none);
    }
    for (std::filesystem::path& file : found) {
      const std::optional<FileKey> key = keys.Of(file);
      if (key && !seen.insert(*key).second) continue;
      files.push_back(std::move(file));
    }
    for (const auto& folder : unlisted) ReportFailure(folder.folder, folder.cause);
    failed = failed || !unlisted.empty();
  }
  return files;
}

}  // namespace holvane::cli
