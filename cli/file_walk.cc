// SPDX-License-Identifier: MIT
#include "cli/file_walk.h"

#include <string>
#include <utility>

#include "common/run_time_error.h"
#include "listing/listing.h"

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
    if (subfolder.symbolic_link) continue;  // see HasSubfolders
    AddFolder(folder / subfolder.name, recursive, files, unlisted);
  }
}

}  // namespace

std::vector<std::filesystem::path> FilesToConvert(const std::filesystem::path& path, bool recursive,
                                                  std::vector<UnlistedFolder>& unlisted) {
  std::error_code error;
  if (!std::filesystem::is_directory(path, error)) return {path};
  std::vector<std::filesystem::path> files;
  AddFolder(path, recursive, files, unlisted);
  return files;
}

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

}  // namespace holvane::cli
