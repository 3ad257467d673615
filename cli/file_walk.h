// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_FILE_WALK_H_
#define HOLVANE_CLI_FILE_WALK_H_

#include <filesystem>
#include <string>
#include <vector>

namespace holvane::cli {

// A folder that could not be listed, and why.
struct UnlistedFolder {
  std::filesystem::path folder;
  std::string cause;
};

// The files one PATH of the command line stands for, in the order they are
// converted: a file stands for itself, whatever its name; a folder for the
// files the window's file list would show there (whatever bytes their names
// hold), in the same order, and with `recursive`, then those of each
// subfolder as the window's folder list orders them (symbolic links to
// folders are not followed, hidden folders skipped).
//
// A folder that cannot be listed is left out and added to `unlisted`, so that
// one unreadable subfolder does not cost the rest of the tree its conversion.
std::vector<std::filesystem::path> FilesToConvert(const std::filesystem::path& path, bool recursive,
                                                  std::vector<UnlistedFolder>& unlisted);

// Whether `folder` has subfolders a recursive walk would take (false when it
// cannot be listed).
bool HasSubfolders(const std::filesystem::path& folder);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_FILE_WALK_H_
