// SPDX-License-Identifier: MIT
#include "cli/file_set.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "cli/console.h"
#include "common/file_system.h"
#include "common/run_time_error.h"
#include "listing/listing.h"
#include "text/names.h"

namespace holvane::cli {

namespace {

void AddFolder(const std::filesystem::path& folder, bool recursive,
               std::vector<std::filesystem::path>& files, std::vector<UnlistedFolder>& unlisted) {
  listing::FolderContents contents;
  try {
    contents = listing::ListFolder(
        folder, listing::kFilePattern,
        recursive ? listing::Subfolders::kListed : listing::Subfolders::kLeftOut);
  } catch (const RunTimeError& error) {
    unlisted.push_back({folder, error.what()});
    return;
  }
  // Each path is made from one string: `folder / name` would first copy the
  // folder's parts, then add the name, costing as much again.
  const text::NativeName prefix = (folder / "").native();
  files.reserve(files.size() + contents.files.size());
  for (const listing::Entry file : contents.files) {
    text::NativeName path;
    path.reserve(prefix.size() + file.name.size());
    path.append(prefix).append(file.name);
    files.emplace_back(std::move(path));
  }
  for (const listing::Entry subfolder : contents.subfolders) {
    if (subfolder.symbolic_link) continue;  // not followed: see FilesToConvert
    AddFolder(folder / subfolder.name, recursive, files, unlisted);
  }
}

// Whether `folder` has subfolders a recursive walk would take (false when it
// cannot be listed).
bool HasSubfolders(const std::filesystem::path& folder) {
  try {
    const listing::FolderContents contents =
        listing::ListFolder(folder, listing::kFilePattern, listing::Subfolders::kListed);
    for (const listing::Entry subfolder : contents.subfolders) {
      if (!subfolder.symbolic_link) return true;
    }
  } catch (const RunTimeError&) {
  }
  return false;
}

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

std::vector<std::filesystem::path> FilesToConvert(const std::filesystem::path& path, bool recursive,
                                                  std::vector<UnlistedFolder>& unlisted) {
  std::error_code error;
  if (!std::filesystem::is_directory(path, error)) return {path};
  std::vector<std::filesystem::path> files;
  AddFolder(path, recursive, files, unlisted);
  return files;
}

std::vector<std::filesystem::path> CollectFiles(const std::vector<std::filesystem::path>& paths,
                                                bool recursive, bool& failed,
                                                std::vector<std::filesystem::path>* relative) {
  std::vector<std::filesystem::path> files;
  std::set<FileKey> seen;
  FileKeys keys;
  for (const std::filesystem::path& path : paths) {
    if (path == kStandardInput) {
      files.emplace_back(path);
      if (relative != nullptr) relative->emplace_back(path);
      continue;
    }
    if (Missing(path)) {
      ReportFailure(path, sentence::NoSuchPath());
      failed = true;
      continue;
    }
    std::vector<UnlistedFolder> unlisted;
    std::vector<std::filesystem::path> found = FilesToConvert(path, recursive, unlisted);
    if (found.empty() && unlisted.empty()) {
      // A folder that gives nothing is no failure, but a run that converts
      // nothing without a word looks like one that worked.
      ReportFailure(path, recursive ? sentence::NoFilesInTree(listing::kFilePattern)
                          : HasSubfolders(path)
                              ? sentence::NoFilesInFolderButSubfolders(listing::kFilePattern)
                              : sentence::NoFilesInFolder(listing::kFilePattern));
    }
    // A folder's files are named by its path and their own below it
    // (AddFolder), so what follows that prefix is the path within it.
    const text::NativeName prefix = (path / "").native();
    for (std::filesystem::path& file : found) {
      const std::optional<FileKey> key = keys.Of(file);
      if (key && !seen.insert(*key).second) continue;
      if (relative != nullptr) {
        const text::NativeName& name = file.native();
        relative->emplace_back(file == path || name.compare(0, prefix.size(), prefix) != 0
                                   ? file.filename()
                                   : std::filesystem::path(name.substr(prefix.size())));
      }
      files.push_back(std::move(file));
    }
    for (const auto& folder : unlisted) ReportFailure(folder.folder, folder.cause);
    failed = failed || !unlisted.empty();
  }
  return files;
}

}  // namespace holvane::cli
