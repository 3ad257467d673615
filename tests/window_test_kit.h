// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TESTS_WINDOW_TEST_KIT_H_
#define HOLVANE_TESTS_WINDOW_TEST_KIT_H_

// What the tests of the window's logic and of its views share: a host that
// records, the window's messages as it records them, and inputs that tell
// which file their text came from.

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "main_window/host.h"
#include "main_window/paths.h"
#include "tests/test_support.h"

namespace holvane::ui::testing {

using Texts = std::vector<std::string>;

inline std::string Message(MessageIcon icon, const std::string& text) {
  constexpr const char* kIcons[] = {"information: ", "exclamation: ", "critical: "};
  return kIcons[static_cast<int>(icon)] + text;
}
inline const std::string kDriveUnavailable = Message(MessageIcon::kExclamation, "Диск недоступен!");
inline const std::string kFolderUnavailable =
    Message(MessageIcon::kExclamation, "Папка недоступна!");
inline const std::string kFatal =
    Message(MessageIcon::kCritical, "Произошла непоправимая ошибка и приложение будет закрыто!");
inline std::string Converted(int count) {
  return Message(MessageIcon::kInformation,
                 "Файлов успешно декомпилировано: " + std::to_string(count) + ".");
}

// Stands in for the message box, the wait cursor and the end of the
// program; a message while busy is a failure.
class RecordingHost final : public Host {
 public:
  ~RecordingHost() { EXPECT_FALSE(busy); }
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    EXPECT_FALSE(busy) << "a message while the window is busy";
    messages.push_back(Message(icon, text));
  }
  void SetBusy(bool now) override {
    EXPECT_NE(now, busy);
    busy = now;
  }
  void EndProgram() override { ++ends; }

  Texts messages;
  int ends = 0;
  bool busy = false;
};

inline std::vector<::holvane::testing::Entry> EntriesFor(const std::filesystem::path& input) {
  const std::string name = ShownText(input.filename());
  return {{name, 0}, {"second line of " + name, -1}, {"odd flag", 7}};
}

// A valid input whose text tells which file it came from.
inline void WriteWvl(const std::filesystem::path& path) {
  using namespace ::holvane::testing;
  WriteFileBytes(path, ZlibCompress(RecordStream(EntriesFor(path))));
}

// Files of `names` in `folder`, each as WriteWvl writes it; their paths, in
// the order of `names`.
inline std::vector<std::filesystem::path> WriteWvls(const std::filesystem::path& folder,
                                                    std::initializer_list<const char*> names) {
  std::vector<std::filesystem::path> paths;
  for (const char* name : names) {
    paths.push_back(folder / name);
    WriteWvl(paths.back());
  }
  return paths;
}

inline std::filesystem::path OutputOf(std::filesystem::path input) { return input += ".txt"; }
inline std::filesystem::path TemporaryOf(std::filesystem::path input) { return input += ".tmp"; }

// Success when `path` holds exactly `expected`, otherwise what is wrong.
inline ::testing::AssertionResult HoldsBytes(const std::filesystem::path& path,
                                             std::string_view expected) {
  if (!std::filesystem::exists(path)) return ::testing::AssertionFailure() << path << " is missing";
  const ::testing::AssertionResult same =
      ::holvane::testing::SameBytes(::holvane::testing::ReadFileBytes(path), expected);
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << path << ": " << same.message();
}

// The input `input` was converted: its text is beside it.
inline ::testing::AssertionResult HasItsText(const std::filesystem::path& input) {
  return HoldsBytes(OutputOf(input), ::holvane::testing::RenderedText(EntriesFor(input)));
}

inline std::set<std::filesystem::path> Listing(const std::filesystem::path& folder) {
  std::set<std::filesystem::path> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename());
  }
  return names;
}

}  // namespace holvane::ui::testing

#endif  // HOLVANE_TESTS_WINDOW_TEST_KIT_H_
