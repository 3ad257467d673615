// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_FILE_SET_H_
#define HOLVANE_CLI_FILE_SET_H_

#include <filesystem>
#include <string>
#include <vector>

namespace holvane::cli {

// A PATH of "-" stands for standard input; a file of that name is "./-".
inline constexpr char kStandardInput[] = "-";

// The files the PATHs stand for, in order (see FilesToConvert), each once: a
// file named twice, also through its folder, by its folder's identity and its
// name there. A PATH that does not exist, or a folder that cannot be listed,
// is reported as that PATH's failure and sets `failed`; the others go on. A
// folder that gives nothing is named in a line of its own. With `relative`,
// each file's path relative to the PATH it came from is added to it, in the
// same order (a file given by name: its own name; "-": itself).
std::vector<std::filesystem::path> CollectFiles(
    const std::vector<std::filesystem::path>& paths, bool recursive, bool& failed,
    std::vector<std::filesystem::path>* relative = nullptr);

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
// folders are not followed, hidden folders skipped). A folder that cannot be
// listed is left out and added to `unlisted`, so that one unreadable
// subfolder does not cost the rest of the tree its conversion.
std::vector<std::filesystem::path> FilesToConvert(const std::filesystem::path& path, bool recursive,
                                                  std::vector<UnlistedFolder>& unlisted);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_FILE_SET_H_
