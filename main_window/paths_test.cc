// SPDX-License-Identifier: MIT
#include "main_window/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace holvane::ui {
namespace {

namespace fs = std::filesystem;

TEST(PathsAbsoluteFolder, CleansDotsAndDoubledSeparators) {
  if (kThisPlatform == Platform::kWindows) GTEST_SKIP() << "the cases are Linux paths";
  EXPECT_EQ(AbsoluteFolder("/a//b/./c/../d/").native(), fs::path("/a/b/d").native());
  EXPECT_EQ(AbsoluteFolder("/").native(), fs::path("/").native());
  EXPECT_EQ(AbsoluteFolder("/..").native(), fs::path("/").native());
  EXPECT_EQ(AbsoluteFolder("//").native(), fs::path("/").native());
  EXPECT_EQ(AbsoluteFolder("rel/x").native(), (fs::current_path() / "rel" / "x").native());
}

// A path whose parts come from machines with different code pages: each part
// is shown by itself.
TEST(PathsShownText, EachPartAsTheListingShowsIt) {
  if (kThisPlatform == Platform::kWindows) GTEST_SKIP() << "Windows names are UTF-16, not bytes";
  EXPECT_EQ(ShownText(fs::path("/media/Диск/\xCF\xF0\xE8\xE2\xE5\xF2")), "/media/Диск/Привет");
  EXPECT_EQ(ShownText(fs::path("/")), "/");
}

}  // namespace
}  // namespace holvane::ui
