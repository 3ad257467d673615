// SPDX-License-Identifier: MIT
// The C library's gettext: it chooses the catalogue by LANGUAGE and the
// locale, finds it under the folder bound here and caches what it found.
#include <libintl.h>

#include <clocale>
#include <cstdlib>

#include "common/translation.h"

namespace holvane {

namespace {

// Whether a language has been chosen; before that every sentence is the
// English it is written in, whatever the locale.
bool chosen = false;

}  // namespace

const char* Tr(const char* english) { return chosen ? dgettext(kTextDomain, english) : english; }

const char* TrPlural(const char* singular, const char* plural, std::uint64_t n) {
  if (!chosen) return n == 1 ? singular : plural;
  return dngettext(kTextDomain, singular, plural, static_cast<unsigned long>(n));
}

// Only the messages' category: the program's bytes, numbers and names must
// not follow a locale. TEXTDOMAINDIR, as gettext's own shell scripts take it,
// names another folder of catalogues: the build tree's, for the tests and for
// a program run before it is installed.
void UseUserLanguage() {
  std::setlocale(LC_MESSAGES, "");
  const char* folder = std::getenv("TEXTDOMAINDIR");
  bindtextdomain(kTextDomain, folder != nullptr && *folder != '\0' ? folder : HOLVANE_LOCALEDIR);
  // The program writes UTF-8 whatever the locale's character set, and in a
  // locale that is neither, gettext would otherwise turn Cyrillic into '?'.
  bind_textdomain_codeset(kTextDomain, "UTF-8");
  chosen = true;
}

}  // namespace holvane
