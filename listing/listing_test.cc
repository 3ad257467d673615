// SPDX-License-Identifier: MIT
#include "listing/listing.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "common/run_time_error.h"
#include "tests/test_support.h"

namespace holvane::listing {
namespace {

namespace fs = std::filesystem;
using namespace ::holvane::testing;  // the test kit and its GoogleTest helpers
using Names = std::vector<std::string>;

// "Привет" in code page 1251, as a machine using it names a file.
const std::string kPrivetCp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";

#ifdef _WIN32
// Names on Windows are UTF-16: the tests' UTF-8 names made into it, and back.
fs::path PathOf(const std::string& name) {
  return fs::path(std::u8string(name.begin(), name.end()));
}
std::string TextOf(text::NativeNameView name) {
  const std::u8string text = fs::path(name).u8string();
  return std::string(text.begin(), text.end());
}
#else
fs::path PathOf(const std::string& name) { return name; }
std::string TextOf(text::NativeNameView name) { return std::string(name); }
#endif

void MakeFolders(const TempDir& dir, std::initializer_list<std::string> names) {
  for (const std::string& name : names) fs::create_directory(dir / PathOf(name));
}

void MakeFiles(const TempDir& dir, std::initializer_list<std::string> names) {
  for (const std::string& name : names) WriteFileBytes(dir / PathOf(name), "x");
}

// Symbolic links need a privilege on Windows (and Wine may not make them).
bool MakeLinks(const std::function<void()>& make) {
  try {
    make();
  } catch (const fs::filesystem_error&) {
    return false;
  }
  return true;
}

Names NamesOf(const Entries& entries) {
  Names names;
  for (const Entry entry : entries) names.push_back(TextOf(entry.name));
  return names;
}

Names ShownOf(const Entries& entries) {
  Names shown;
  for (const Entry entry : entries) shown.emplace_back(entry.shown);
  return shown;
}

// The order depends on no locale: the listing compares characters itself.
TEST(ListingListSubfolders, NaturalOrderIgnoringCaseWithoutHiddenOnesOrFiles) {
  TempDir dir;
  MakeFolders(dir, {"a10", "a2", "B", "a1", "c", ".hidden", "A3", "zeta", "x9y10", "x9y2"});
  MakeFiles(dir, {"a5", "file.wvl"});
  EXPECT_EQ(NamesOf(ListSubfolders(dir.path())),
            (Names{"a1", "a2", "A3", "a10", "B", "c", "x9y2", "x9y10", "zeta"}));
}

// The window lists a symbolic link to a folder among the folders (and
// holvane-convert, told it is one, does not follow it); links to files or to
// nothing are no folders.
TEST(ListingListSubfolders, LinksToFoldersAreListedAndMarked) {
  TempDir dir;
  TempDir elsewhere;
  MakeFolders(dir, {"real"});
  MakeFiles(dir, {"file"});
  if (!MakeLinks([&] {
        fs::create_directory_symlink(elsewhere.path(), dir / "linked");
        fs::create_symlink(dir / "file", dir / "link-to-file");
        fs::create_symlink(dir / "nowhere", dir / "broken");
      })) {
    GTEST_SKIP() << "symbolic links cannot be made here";
  }
  const Entries subfolders = ListSubfolders(dir.path());
  EXPECT_EQ(NamesOf(subfolders), (Names{"linked", "real"}));
  ASSERT_EQ(subfolders.size(), 2u);
  EXPECT_TRUE(subfolders[0].symbolic_link);
  EXPECT_FALSE(subfolders[1].symbolic_link);
}

TEST(ListingListSubfolders, NamesComeBackAsTheirBytesWithTheirShownText) {
#ifdef _WIN32
  GTEST_SKIP() << "a name on Windows is UTF-16, never bytes of a code page";
#endif
  TempDir dir;
  MakeFolders(dir, {"Привет", "мир", kPrivetCp1251 + "1"});
  const Entries subfolders = ListSubfolders(dir.path());
  EXPECT_EQ(NamesOf(subfolders), (Names{"мир", "Привет", kPrivetCp1251 + "1"}));
  EXPECT_EQ(ShownOf(subfolders), (Names{"мир", "Привет", "Привет1"}));
}

TEST(ListingListSubfolders, EmptyFolderHasNone) {
  TempDir dir;
  EXPECT_EQ(NamesOf(ListSubfolders(dir.path())), Names());
}

// An empty list would not tell these from empty folders; the lists must, so
// the window can say the folder is unavailable.
TEST(ListingUnreadable, MissingFolderOrAFileThrows) {
  TempDir dir;
  MakeFiles(dir, {"plain"});
  for (const fs::path& folder : {dir / "missing", dir / "plain"}) {
    SCOPED_TRACE(folder.string());
    const std::optional<RunTimeError> subfolders_error =
        RunTimeErrorOf([&] { ListSubfolders(folder); });
    ASSERT_TRUE(subfolders_error.has_value());
    EXPECT_EQ(subfolders_error->number(), ErrorNumber::kPathNotFound);
    EXPECT_EQ(subfolders_error->cause(), "папка не найдена");
    EXPECT_TRUE(testing::ConcernsFile(subfolders_error, folder));
    const std::optional<RunTimeError> files_error =
        RunTimeErrorOf([&] { ListFiles(folder, kFilePattern); });
    ASSERT_TRUE(files_error.has_value());
    EXPECT_EQ(files_error->number(), ErrorNumber::kPathNotFound);
  }
}

// Regular files and links to them, whatever bytes their names hold; two
// names shown alike keep the order of their bytes.
TEST(ListingUnreadable, FolderDeeperThanTheSystemsPathsSaysSo) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows paths have their own limit, and no folder descriptors to go past it";
#else
  TempDir dir;
  // Made and removed a step at a time from each folder's descriptor: no
  // path to the deepest ones fits a system call.
  const std::string name(200, 'd');
  constexpr int kDepth = 24;  // 24 * 201 bytes, past PATH_MAX's 4096
  std::vector<int> folders{::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  fs::path deep = dir.path();
  for (int i = 0; i < kDepth && folders.back() >= 0; ++i) {
    if (::mkdirat(folders.back(), name.c_str(), 0700) != 0) break;
    folders.push_back(::openat(folders.back(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    deep /= name;
  }
  const bool made = folders.size() == kDepth + 1 && folders.back() >= 0;
  const auto error = RunTimeErrorOf([&] { ListFiles(deep, kFilePattern); });
  for (std::size_t i = folders.size(); i-- > 0;) {
    if (i > 0) ::unlinkat(folders[i - 1], name.c_str(), AT_REMOVEDIR);
    if (folders[i] >= 0) ::close(folders[i]);
  }
  ASSERT_TRUE(made);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->file(), deep);
  EXPECT_NE(std::string(error->what()).find("PATH_MAX"), std::string::npos) << error->what();
#endif
}

TEST(ListingListFiles, AnyLetterCaseAnyBytesInNaturalOrderFilesOnly) {
#ifdef _WIN32
  GTEST_SKIP() << "a name on Windows is UTF-16, never bytes of a code page";
#endif
  TempDir dir;
  MakeFiles(dir, {"c.Wvl", "B.WVL", "a.wvl", "x.wvl.txt", "notes.txt", ".h.wvl", "wvl", "d.wvl.tmp",
                  "Привет.wvl", "b10.wvl", "b2.wvl", kPrivetCp1251 + ".wvl"});
  MakeFolders(dir, {"dir.wvl", ".hidden.wvl"});
  fs::create_symlink(dir / "a.wvl", dir / "link.wvl");
  fs::create_symlink(dir / "nowhere.wvl", dir / "broken.wvl");
  fs::create_directory_symlink(dir / "dir.wvl", dir / "linked-dir.wvl");
  const Entries files = ListFiles(dir.path(), kFilePattern);
  EXPECT_EQ(NamesOf(files), (Names{"a.wvl", "B.WVL", "b2.wvl", "b10.wvl", "c.Wvl", "link.wvl",
                                   kPrivetCp1251 + ".wvl", "Привет.wvl"}));
  EXPECT_EQ(ShownOf(files), (Names{"a.wvl", "B.WVL", "b2.wvl", "b10.wvl", "c.Wvl", "link.wvl",
                                   "Привет.wvl", "Привет.wvl"}));
}

// What Windows names are: UTF-16, in any letter case, hidden by an
// attribute as well as by a leading dot. (POSIX has no hidden attribute; the
// same order and wildcard hold there.)
TEST(ListingListFiles, WideNamesInAnyCaseInNaturalOrder) {
  TempDir dir;
  MakeFiles(dir, {"c.Wvl", "B.WVL", "a.wvl", "x.wvl.txt", ".h.wvl", "ёж.wvl", "Привет.wvl",
                  "b10.wvl", "b2.wvl", "ЁЖ2.wvl"});
  MakeFolders(dir, {"dir.wvl"});
#ifdef _WIN32
  MakeFiles(dir, {"hidden.wvl"});
  ASSERT_TRUE(::SetFileAttributesW((dir / L"hidden.wvl").c_str(), FILE_ATTRIBUTE_HIDDEN));
#endif
  const Entries files = ListFiles(dir.path(), kFilePattern);
  const Names expected{"a.wvl", "B.WVL",  "b2.wvl",  "b10.wvl",
                       "c.Wvl", "ёж.wvl", "ЁЖ2.wvl", "Привет.wvl"};
  EXPECT_EQ(NamesOf(files), expected);
  EXPECT_EQ(ShownOf(files), expected);
}

TEST(ListingListFiles, NoMatchesInAFolderWithOtherFiles) {
  TempDir dir;
  MakeFiles(dir, {"a.wvl.txt", "readme"});
  EXPECT_EQ(NamesOf(ListFiles(dir.path(), kFilePattern)), Names());
}

}  // namespace
}  // namespace holvane::listing
