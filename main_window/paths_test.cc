// SPDX-License-Identifier: MIT
#include "main_window/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace holvane::ui {
namespace {

namespace fs = std::filesystem;

TEST(PathsAbsoluteFolder, CleansDotsAndDoubledSeparators) {
  EXPECT_EQ(AbsoluteFolder("/a//b/./c/../d/").native(), "/a/b/d");
  EXPECT_EQ(AbsoluteFolder("/").native(), "/");
  EXPECT_EQ(AbsoluteFolder("/..").native(), "/");
  EXPECT_EQ(AbsoluteFolder("//").native(), "/");
  EXPECT_EQ(AbsoluteFolder("rel/x").native(), (fs::current_path() / "rel" / "x").native());
}

// A path whose parts come from machines with different code pages: each part
// is shown by itself.
TEST(PathsShownText, EachPartAsTheListingShowsIt) {
  EXPECT_EQ(ShownText("/media/Диск/\xCF\xF0\xE8\xE2\xE5\xF2"),
            QString::fromUtf8("/media/Диск/Привет"));
  EXPECT_EQ(ShownText("/"), QStringLiteral("/"));
}

}  // namespace
}  // namespace holvane::ui
