// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_DRIVES_H_
#define HOLVANE_MAIN_WINDOW_DRIVES_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace holvane::ui {

// One line of the kernel's mount table.
struct MountEntry {
  std::string device;
  std::string mount_point;
  std::string type;
};

// The entries of a mount table in the format of /proc/self/mounts, with the
// kernel's octal escapes (\040 for a space, ...) undone. Malformed lines are
// skipped.
std::vector<MountEntry> ParseMountTable(std::string_view text);

// The mount points a person would call drives: the root file system always,
// and the disks, removable media and network shares mounted elsewhere; not
// the kernel's and the system's own file systems (/proc, /sys, /dev, /run,
// tmpfs, overlay, snap images, ...). The root comes first, then the others in
// name order, each once.
std::vector<std::string> SelectDrives(const std::vector<MountEntry>& mounts);

// SelectDrives over this machine's mount table.
std::vector<std::string> MountedDrives();

// Where the lists learn the drives, asked afresh whenever they need them, so
// that a medium mounted while the program runs shows up.
using DriveSource = std::function<std::vector<std::string>()>;

// The drive among `drives` that holds the absolute path `path`: the longest
// mount point that is `path` or one of its ancestors ("/" when none is).
std::string DriveOf(std::string_view path, const std::vector<std::string>& drives);

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_DRIVES_H_
