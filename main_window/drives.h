// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_DRIVES_H_
#define HOLVANE_MAIN_WINDOW_DRIVES_H_

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "text/names.h"

namespace holvane::ui {

// The systems whose drives differ: which volumes count as drives and how a
// drive is named. The rules for each are pure functions that take the system
// as a parameter, so that both can be checked anywhere; kThisPlatform is the
// one the program runs on (set by the system's part of paths.h).
enum class Platform { kLinux, kWindows };
extern const Platform kThisPlatform;

// What the drive list asks of one mounted volume, as a view learns it from
// its system (QStorageInfo, GetLogicalDriveStringsW, ...).
struct Volume {
  // Where it is mounted, as the file system names it ("/media/x" on Linux,
  // "C:/" or "C:\" on Windows).
  text::NativeName root_path;
  // Its file system: "ext4", "vfat", "nfs4", "tmpfs", "NTFS", "CDFS", ...
  std::string type;
  // The volume is there, and its file system answers.
  bool valid = true;
  bool ready = true;
  bool read_only = false;
};

// The volumes a person would call drives, by their root paths, each once.
// On Linux: the root first, always, then in byte order every valid and ready
// volume mounted at an absolute path, of a file system on a disk, a medium or
// a network share, and outside the folders the system keeps its own mounts in
// (/proc, /sys, /dev, /run but /run/media, ...); read-only ones count.
// On Windows: every valid and ready volume with a drive letter, as "C:\" in
// capitals, in the order of the letters; one mounted only in a folder is
// left out. Pure: it looks at nothing but `volumes`.
std::vector<text::NativeName> SelectDrives(const std::vector<Volume>& volumes,
                                           Platform platform = kThisPlatform);

// The text that names `drive`, one of SelectDrives' results, in the drive
// list: its drive letter on Windows ("C:" for "C:\"), its mount point on
// Linux.
text::NativeName DriveName(const text::NativeName& drive, Platform platform = kThisPlatform);

// Where the lists learn the drives, asked afresh whenever they need them, so
// that a medium mounted while the program runs shows up.
using DriveSource = std::function<std::vector<text::NativeName>()>;

// The drive among `drives` that holds the absolute path `path`: the longest
// one that is `path` or one of its ancestors, part by part, or else the root
// of `path` itself ("/", or a drive or share that is not listed, on Windows).
text::NativeName DriveOf(const std::filesystem::path& path,
                         const std::vector<text::NativeName>& drives);

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_DRIVES_H_
