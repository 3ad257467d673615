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
// one the program runs on.
enum class Platform { kLinux, kWindows };
#ifdef _WIN32
inline constexpr Platform kThisPlatform = Platform::kWindows;
#else
inline constexpr Platform kThisPlatform = Platform::kLinux;
#endif

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

// The volumes a person would call drives, by their root paths.
//
// On Linux: the root file system always, whatever it is and even when
// `volumes` lacks it, and besides it every volume that is
//   - valid and ready: a share whose server has gone, say, is left out until
//     it answers again;
//   - mounted at an absolute path;
//   - of a file system that lives on a disk, a removable medium or a network
//     share (ext2/3/4, xfs, btrfs, vfat, exfat, ntfs, iso9660, udf, nfs,
//     cifs, ... ; not proc, sysfs, tmpfs, devtmpfs, cgroup, overlay,
//     squashfs, ...);
//   - not mounted in or under a folder where the system keeps its own mounts:
//     /proc, /sys, /dev, /run (but /run/media, where removable media go,
//     counts), /snap, /var/lib/docker, /var/lib/containers, /var/lib/snapd.
//     A folder that merely begins like one (/devices, /run/mediax) is not in
//     it.
// A read-only volume (a CD, a write-protected stick) counts: its files can be
// read and listed, though their texts cannot be written beside them.
// The root comes first, then the others in byte order of their root paths,
// each once.
//
// On Windows: every valid and ready volume with a drive letter, whatever it
// holds (a disk, a CD, a stick, a network share), as the root of that letter
// in capitals with a backslash ("C:\" for "C:/" or "c:\"); in the order
// of the letters, each once. A volume mounted only in a folder is left out:
// it is reached through the folders of the drive that holds that folder.
//
// Pure: it looks at nothing but `volumes`.
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
