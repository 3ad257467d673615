// SPDX-License-Identifier: MIT
// The catalogues are built into the programs here: no folder to name.
#include <cstdlib>
#include <string>

#include "common/translation.h"
#include "tests/test_language.h"

namespace holvane::testing {

void SetVariable(const char* name, const char* value) { ::_putenv_s(name, value); }

void UseTestLanguage() {
  SetVariable("LANGUAGE", "ru");
  SetVariable("LC_ALL", "C.UTF-8");
  UseUserLanguage();
}

namespace {
const bool kChosen = (UseTestLanguage(), true);
}  // namespace

}  // namespace holvane::testing
