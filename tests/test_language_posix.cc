// SPDX-License-Identifier: MIT
#include <cstdlib>

#include "common/translation.h"
#include "tests/test_language.h"

namespace holvane::testing {

void SetVariable(const char* name, const char* value) {
  if (*value == '\0') {
    ::unsetenv(name);
  } else {
    ::setenv(name, value, 1);
  }
}

void UseTestLanguage() {
  SetVariable("LANGUAGE", "ru");
  SetVariable("LC_ALL", "C.UTF-8");
  SetVariable("TEXTDOMAINDIR", HOLVANE_LOCALE_BUILD_DIR);
  UseUserLanguage();
}

namespace {
const bool kChosen = (UseTestLanguage(), true);
}  // namespace

}  // namespace holvane::testing
