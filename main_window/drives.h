// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_DRIVES_H_
#define HOLVANE_MAIN_WINDOW_DRIVES_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QStorageInfo;

namespace holvane::ui {

// What the drive list asks of one mounted volume, as QStorageInfo tells it.
struct Volume {
  // rootPath(), as the bytes the file system names it by.
  std::string root_path;
  // fileSystemType(): "ext4", "vfat", "nfs4", "tmpfs", ...
  std::string type;
  // isValid() and isReady(): the volume is there and its file system answers.
  bool valid = true;
  bool ready = true;
  // isReadOnly().
  bool read_only = false;
};

// `storage` as the drive list asks of it. The root path's bytes are those of
// QFile::encodeName(rootPath()): exact for a UTF-8 name, which is every name
// Qt can give back (it decodes a mount point's name as UTF-8, so the bytes of
// one that is not are already lost in rootPath()).
Volume DescribeVolume(const QStorageInfo& storage);

// The volumes a person would call drives, by their root paths: the root file
// system always, whatever it is and even when `volumes` lacks it, and
// besides it every volume that is
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
// each once. Pure: it looks at nothing but `volumes`.
std::vector<std::string> SelectDrives(const std::vector<Volume>& volumes);

// SelectDrives over QStorageInfo::mountedVolumes().
std::vector<std::string> MountedDrives();

// Where the lists learn the drives, asked afresh whenever they need them, so
// that a medium mounted while the program runs shows up.
using DriveSource = std::function<std::vector<std::string>()>;

// The drive among `drives` that holds the absolute path `path`: the longest
// mount point that is `path` or one of its ancestors ("/" when none is).
std::string DriveOf(std::string_view path, const std::vector<std::string>& drives);

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_DRIVES_H_
