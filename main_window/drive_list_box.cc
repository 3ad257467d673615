// SPDX-License-Identifier: MIT
#include "main_window/drive_list_box.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

#include "common/run_time_error.h"
#include "main_window/paths.h"

namespace holvane::ui {

namespace {

namespace fs = std::filesystem;

// Which volumes are drives, on Linux. A volume that is not valid and ready (a
// share whose server has gone, say) is left out until it answers again. The
// file systems that count live on a disk, a removable medium or a network
// share (kDriveTypes); proc, sysfs, tmpfs, devtmpfs, cgroup, overlay,
// squashfs and the like do not. A volume in or under a folder where the
// system keeps its own mounts (kSystemFolders) is left out, except under
// /run/media, where removable media go; "in or under" goes part by part, so
// /devices is not under /dev, nor /run/mediax under /run/media. A read-only
// volume (a CD, a write-protected stick) counts: its files can be read and
// listed, though their texts cannot be written beside them. The root counts
// whatever it is, even when the volumes lack it.
//
// On Windows every volume with a drive letter counts, whatever it holds (a
// disk, a CD, a stick, a network share), its root spelled "C:\" however the
// system gave it ("C:/", "c:\"). A volume mounted only in a folder is reached
// through the folders of the drive that holds that folder.

// File systems that live on a disk, a removable medium or a network share.
constexpr std::string_view kDriveTypes[] = {
    "ext2",  "ext3",    "ext4",     "xfs",     "btrfs",   "vfat", "msdos", "exfat", "ntfs",
    "ntfs3", "fuseblk", "hfs",      "hfsplus", "iso9660", "udf",  "f2fs",  "jfs",   "reiserfs",
    "zfs",   "nilfs2",  "bcachefs", "nfs",     "nfs4",    "cifs", "smb3",
};

// Where Linux keeps its own mounts; removable media under /run/media are the
// exception.
constexpr const char* kSystemFolders[] = {
    "/proc",         "/sys", "/dev", "/run", "/snap", "/var/lib/docker", "/var/lib/containers",
    "/var/lib/snapd"};

// Whether `path` is `folder` or lies under it, part by part: "/devices" is
// not under "/dev", nor "C:\Users" under "C:\User".
bool IsUnder(const fs::path& path, const fs::path& folder) {
  if (folder.empty()) return false;
  auto at = path.begin();
  for (const fs::path& part : folder) {
    if (at == path.end() || at->native() != part.native()) return false;
    ++at;
  }
  return true;
}

// Every Linux rule of SelectDrives but the root's.
bool IsLinuxDrive(const Volume& volume) {
  if (!volume.valid || !volume.ready) return false;
  const fs::path root(volume.root_path);
  if (!root.has_root_directory()) return false;
  if (std::find(std::begin(kDriveTypes), std::end(kDriveTypes), volume.type) ==
      std::end(kDriveTypes)) {
    return false;
  }
  if (IsUnder(root, "/run/media")) return true;
  return std::none_of(std::begin(kSystemFolders), std::end(kSystemFolders),
                      [&](const char* folder) { return IsUnder(root, folder); });
}

std::vector<text::NativeName> SelectLinuxDrives(const std::vector<Volume>& volumes) {
  const text::NativeName root = fs::path("/").native();
  std::vector<text::NativeName> drives{root};
  for (const Volume& volume : volumes) {
    if (volume.root_path != root && IsLinuxDrive(volume)) drives.push_back(volume.root_path);
  }
  std::sort(drives.begin() + 1, drives.end());
  drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
  return drives;
}

// The root of a drive letter, "C:\", for `root_path` when it is one in any
// spelling ("C:/", "c:\"); empty otherwise. Windows' rule, spelled out rather
// than left to std::filesystem so that it holds on every system.
text::NativeName WindowsDriveRoot(const text::NativeName& root_path) {
  if (root_path.size() != 3 || root_path[1] != ':' ||
      (root_path[2] != '/' && root_path[2] != '\\')) {
    return {};
  }
  text::NativeName::value_type letter = root_path[0];
  if (letter >= 'a' && letter <= 'z')
    letter = static_cast<text::NativeName::value_type>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return {};
  return text::NativeName{letter, ':', '\\'};
}

std::vector<text::NativeName> SelectWindowsDrives(const std::vector<Volume>& volumes) {
  std::vector<text::NativeName> drives;
  for (const Volume& volume : volumes) {
    if (!volume.valid || !volume.ready) continue;
    text::NativeName root = WindowsDriveRoot(volume.root_path);
    if (!root.empty()) drives.push_back(std::move(root));
  }
  std::sort(drives.begin(), drives.end());
  drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
  return drives;
}

}  // namespace

std::vector<text::NativeName> SelectDrives(const std::vector<Volume>& volumes, Platform platform) {
  return platform == Platform::kWindows ? SelectWindowsDrives(volumes) : SelectLinuxDrives(volumes);
}

text::NativeName DriveName(const text::NativeName& drive, Platform platform) {
  if (platform == Platform::kWindows && !WindowsDriveRoot(drive).empty()) {
    return drive.substr(0, 2);
  }
  return drive;
}

text::NativeName DriveOf(const fs::path& path, const std::vector<text::NativeName>& drives) {
  const text::NativeName* best = nullptr;
  for (const text::NativeName& drive : drives) {
    if (IsUnder(path, drive) && (best == nullptr || drive.size() > best->size())) best = &drive;
  }
  return best != nullptr ? *best : path.root_path().native();
}

DriveListBox::DriveListBox(DriveSource drives, const std::filesystem::path& start_folder,
                           DriveListView& view, Host& host)
    : drives_(std::move(drives)), view_(view), host_(host) {
  const std::vector<text::NativeName> drives_now = drives_();
  Fill(drives_now);
  chosen_ = std::max(IndexOf(DriveOf(AbsoluteFolder(start_folder), drives_now)),
                     drives_listed_.empty() ? -1 : 0);
  view_.ShowDrives(names_, chosen_);
}

std::filesystem::path DriveListBox::Drive() const {
  return chosen_ >= 0 ? drives_listed_[static_cast<std::size_t>(chosen_)] : std::filesystem::path();
}

void DriveListBox::DroppingDown() {
  const std::filesystem::path chosen = Drive();
  Fill(drives_());
  int index = IndexOf(chosen);
  if (index < 0 && !chosen.empty()) {
    Add(chosen);
    index = ListCount() - 1;
  }
  chosen_ = index;
  view_.ShowDrives(names_, chosen_);
}

void DriveListBox::Fill(const std::vector<text::NativeName>& drives) {
  drives_listed_.clear();
  names_.clear();
  for (const text::NativeName& drive : drives) Add(drive);
}

void DriveListBox::Add(const std::filesystem::path& drive) {
  drives_listed_.push_back(drive);
  names_.push_back(ShownText(DriveName(drive.native())));
}

int DriveListBox::IndexOf(const std::filesystem::path& drive) const {
  for (std::size_t index = 0; index < drives_listed_.size(); ++index) {
    if (drives_listed_[index].native() == drive.native()) return static_cast<int>(index);
  }
  return -1;
}

void DriveListBox::SetDrive(const std::filesystem::path& drive) {
  const int index = IndexOf(drive);
  if (index < 0) return;
  view_.ShowChosen(index);
  Choose(index);
}

void DriveListBox::Chosen(int index) {
  if (index < 0 || index >= ListCount()) return;
  try {
    Choose(index);
  } catch (const RunTimeError&) {
    host_.ReportFolderUnavailable();
  } catch (...) {
    host_.ReportFatalError();
  }
}

void DriveListBox::Choose(int index) {
  if (index == chosen_) return;
  chosen_ = index;
  // The list keeps showing the new drive even when its handler fails.
  Change.Raise();
}

}  // namespace holvane::ui
