// SPDX-License-Identifier: MIT
#include "main_window/qt/mounted_drives.h"

#include <gtest/gtest.h>

#include <QStorageInfo>
#include <filesystem>
#include <string>
#include <vector>

namespace holvane::ui {
namespace {

using Drives = std::vector<std::string>;

// This machine's volumes as Qt reports them: whatever they are, the root
// comes first and every drive is an absolute folder that is there.
TEST(DrivesMounted, RootFirstThenFoldersThatExist) {
  const Drives drives = MountedDrives();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives.front(), "/");
  for (const std::string& drive : drives) {
    EXPECT_TRUE(drive.starts_with('/')) << drive;
    EXPECT_TRUE(std::filesystem::is_directory(drive)) << drive;
  }
}

TEST(DrivesDescribeVolume, TakesQtsFieldsAndTheRootPathsBytes) {
  const Volume root = DescribeVolume(QStorageInfo::root());
  EXPECT_EQ(root.root_path, "/");
  EXPECT_TRUE(root.valid);
  EXPECT_TRUE(root.ready);
  EXPECT_EQ(root.type, QStorageInfo::root().fileSystemType().toStdString());

  const Volume none = DescribeVolume(QStorageInfo());
  EXPECT_FALSE(none.valid);
  EXPECT_EQ(SelectDrives({none}), Drives{"/"});
}

}  // namespace
}  // namespace holvane::ui
