// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_FILE_SET_H_
#define HOLVANE_CLI_FILE_SET_H_

#include <filesystem>
#include <vector>

namespace holvane::cli {

// A PATH of "-" stands for standard input; a file of that name is "./-".
inline constexpr char kStandardInput[] = "-";

// The files the PATHs stand for, in order (see FilesToConvert), each once: a
// file named twice, also through its folder, by its folder's identity and its
// name there. A PATH that does not exist, or a folder that cannot be listed,
// is reported as that PATH's failure and sets `failed`; the others go on.
std::vector<std::filesystem::path> CollectFiles(const std::vector<std::filesystem::path>& paths,
                                                bool recursive, bool& failed);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_FILE_SET_H_
