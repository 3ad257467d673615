#include "main_window/folders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>

#include "compression/run_time_error.h"
#include "main_window/paths.h"
#include "tests/test_support.h"

// Lets a failed comparison of two lists print them instead of their bytes.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QStringList& list, std::ostream* out) {
  *out << '"' << list.join(QStringLiteral("\", \"")).toStdString() << '"';
}
QT_END_NAMESPACE

namespace holvane::ui {
namespace {

namespace fs = std::filesystem;
using ::holvane::testing::RunTimeErrorOf;
using ::holvane::testing::TempDir;
using ::holvane::testing::WriteFileBytes;

QString Folder(const TempDir& dir) { return FromPath(dir.path()); }

void MakeFolders(const TempDir& dir, std::initializer_list<const char*> names) {
  for (const char* name : names) fs::create_directory(dir / name);
}

void MakeFiles(const TempDir& dir, std::initializer_list<const char*> names) {
  for (const char* name : names) WriteFileBytes(dir / name, "x");
}

// The order must not depend on the locale the program happens to run in,
// the bare C locale of a service or a container included.
class FoldersListSubfoldersIn : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QString::fromLatin1(GetParam()))); }
  void TearDown() override { QLocale::setDefault(previous_); }

 private:
  QLocale previous_;
};

TEST_P(FoldersListSubfoldersIn, NaturalOrderIgnoringCaseWithoutHiddenOnesOrFiles) {
  TempDir dir;
  MakeFolders(dir, {"a10", "a2", "B", "a1", "c", ".hidden", "A3", "zeta", "x9y10", "x9y2"});
  MakeFiles(dir, {"a5", "file.wvl"});
  EXPECT_EQ(ListSubfolders(Folder(dir)),
            (QStringList{"a1", "a2", "A3", "a10", "B", "c", "x9y2", "x9y10", "zeta"}));
}

INSTANTIATE_TEST_SUITE_P(Locales, FoldersListSubfoldersIn,
                         ::testing::Values("C", "en_US", "ru_RU", "de_DE"));

TEST(FoldersListSubfolders, CyrillicNamesComeBackIntact) {
  TempDir dir;
  MakeFolders(dir, {"Привет", "мир"});
  const QStringList names = ListSubfolders(Folder(dir));
  ASSERT_EQ(names.size(), 2);
  EXPECT_TRUE(names.contains(QString::fromUtf8("Привет")));
  EXPECT_TRUE(names.contains(QString::fromUtf8("мир")));
}

TEST(FoldersListSubfolders, EmptyFolderHasNone) {
  TempDir dir;
  EXPECT_EQ(ListSubfolders(Folder(dir)), QStringList());
}

// QDir alone would report these as empty folders; the lists must tell them
// apart so the window can say the folder is unavailable.
TEST(FoldersUnreadable, MissingFolderOrAFileThrows) {
  TempDir dir;
  MakeFiles(dir, {"plain"});
  for (const QString& folder :
       {Folder(dir) + QStringLiteral("/missing"), Folder(dir) + QStringLiteral("/plain")}) {
    SCOPED_TRACE(folder.toStdString());
    const std::optional<RunTimeError> subfolders_error =
        RunTimeErrorOf([&] { ListSubfolders(folder); });
    ASSERT_TRUE(subfolders_error.has_value());
    EXPECT_EQ(subfolders_error->number(), ErrorNumber::kPathNotFound);
    const std::optional<RunTimeError> files_error =
        RunTimeErrorOf([&] { ListMatchingFiles(folder, QStringLiteral("*.wvl")); });
    ASSERT_TRUE(files_error.has_value());
    EXPECT_EQ(files_error->number(), ErrorNumber::kPathNotFound);
  }
}

TEST(FoldersListMatchingFiles, AnyLetterCaseSortedIgnoringCaseFilesOnly) {
  TempDir dir;
  MakeFiles(dir, {"c.Wvl", "B.WVL", "a.wvl", "x.wvl.txt", "notes.txt", ".h.wvl", "wvl", "d.wvl.tmp",
                  "Привет.wvl", "b2.wvl"});
  MakeFolders(dir, {"dir.wvl", ".hidden.wvl"});
  EXPECT_EQ(ListMatchingFiles(Folder(dir), QStringLiteral("*.wvl")),
            (QStringList{"a.wvl", "B.WVL", "b2.wvl", "c.Wvl", QString::fromUtf8("Привет.wvl")}));
}

TEST(FoldersListMatchingFiles, NoMatchesInAFolderWithOtherFiles) {
  TempDir dir;
  MakeFiles(dir, {"a.wvl.txt", "readme"});
  EXPECT_EQ(ListMatchingFiles(Folder(dir), QStringLiteral("*.wvl")), QStringList());
}

TEST(FoldersAbsoluteFolder, CleansDotsAndDoubledSeparators) {
  EXPECT_EQ(AbsoluteFolder(QStringLiteral("/a//b/./c/../d/")), QStringLiteral("/a/b/d"));
  EXPECT_EQ(AbsoluteFolder(QStringLiteral("/")), QStringLiteral("/"));
  EXPECT_EQ(AbsoluteFolder(QStringLiteral("rel/x")),
            QDir::cleanPath(QDir::currentPath() + QStringLiteral("/rel/x")));
}

}  // namespace
}  // namespace holvane::ui
