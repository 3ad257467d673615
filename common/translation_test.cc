// SPDX-License-Identifier: MIT
#include "common/translation.h"

#include <gtest/gtest.h>

#include <string>
#include <system_error>

#include "common/file_system.h"
#include "tests/test_language.h"

namespace holvane {
namespace {

using ::holvane::testing::SetVariable;

// The language the user's settings choose, told by the words of one failure.
// Every system reads the same settings the same way: LANGUAGE's list where
// the locale (LC_ALL, then LC_MESSAGES, then LANG) is not C or POSIX, the
// locale's own language otherwise; English where no catalogue fits.
TEST(TranslationTest, TheUserSettingsChooseTheLanguage) {
  struct Row {
    const char* language;
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    bool russian;
  };
  const Row rows[] = {
      {"ru", "C.UTF-8", "", "", true},
      {"ru_RU", "", "C.UTF-8", "", true},  // ll_CC, failing that ll
      {"fr:ru", "", "", "C.UTF-8", true},  // the first of the list with a catalogue
      {"fr", "", "", "C.UTF-8", false},    // none in the list has one
      {"", "C.UTF-8", "", "", false},      // a locale without a catalogue
      {"ru", "C", "", "", false},          // the C locale, whatever LANGUAGE says
      {"ru", "POSIX", "", "", false},
      {"ru", "C", "", "C.UTF-8", false},  // LC_ALL before LANG
      {"ru", "", "C", "C.UTF-8", false},  // LC_MESSAGES before LANG
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("LANGUAGE=") + row.language + " LC_ALL=" + row.lc_all +
                 " LC_MESSAGES=" + row.lc_messages + " LANG=" + row.lang);
    SetVariable("LANGUAGE", row.language);
    SetVariable("LC_ALL", row.lc_all);
    SetVariable("LC_MESSAGES", row.lc_messages);
    SetVariable("LANG", row.lang);
    UseUserLanguage();
    EXPECT_EQ(SystemErrorWords(std::errc::no_such_file_or_directory),
              row.russian ? "файл не найден" : "file not found");
  }
  ::holvane::testing::UseTestLanguage();
}

TEST(TranslationTest, HolesAreFilledInOrderOrByNumber) {
  EXPECT_EQ(Filled("{} of {}", {"a", "b"}), "a of b");
  EXPECT_EQ(Filled("{2} before {1}", {"a", "b"}), "b before a");
  // A hole past the values and a brace that is no hole stay as they are.
  EXPECT_EQ(Filled("{}, {} and {3}; {x} {", {"a"}), "a, {} and {3}; {x} {");
}

}  // namespace
}  // namespace holvane
