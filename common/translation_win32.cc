// SPDX-License-Identifier: MIT
// Windows has no gettext of its own: the catalogues are compiled into the
// program (po/CMakeLists.txt makes kBuiltInCatalogues from po/LL.po by way of
// msgfmt), so that holvane-convert.exe alone speaks every language it has,
// and are read by MessageCatalogue. The language is chosen as gettext
// chooses it where the user has said so in the environment (a console user,
// a script, the tests), otherwise it is the user's interface language.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/message_catalogue.h"
#include "common/translation.h"

namespace holvane {

namespace {

// The catalogue chosen, nullptr for English.
const MessageCatalogue* chosen = nullptr;

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// "ru_RU.UTF-8@mod" names ru_RU, then ru.
const MessageCatalogue* CatalogueFor(std::string name) {
  name = name.substr(0, name.find_first_of(".@"));
  for (std::string candidate : {name, name.substr(0, name.find('_'))}) {
    for (std::size_t i = 0; i < kBuiltInCatalogueCount; ++i) {
      if (candidate != kBuiltInCatalogues[i].language) continue;
      const auto& entry = kBuiltInCatalogues[i];
      // Read once, kept for the program's life: Tr hands out their strings.
      static std::vector<const MessageCatalogue*> cache(kBuiltInCatalogueCount, nullptr);
      if (cache[i] == nullptr) {
        cache[i] = new MessageCatalogue(
            std::string_view(reinterpret_cast<const char*>(entry.data), entry.size));
      }
      return cache[i];
    }
  }
  return nullptr;
}

// The user's interface language as a name like "ru_RU".
std::string InterfaceLanguage() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  if (LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0) == 0) return {};
  std::string ascii;
  for (const wchar_t* c = name; *c != L'\0'; ++c) {
    ascii.push_back(*c == L'-' ? '_' : static_cast<char>(*c & 0x7F));
  }
  return ascii;
}

}  // namespace

const char* Tr(const char* english) {
  const char* translated = chosen != nullptr ? chosen->Find(english) : nullptr;
  return translated != nullptr ? translated : english;
}

const char* TrPlural(const char* singular, const char* plural, std::uint64_t n) {
  const char* translated = chosen != nullptr ? chosen->FindPlural(singular, n) : nullptr;
  if (translated != nullptr) return translated;
  return n == 1 ? singular : plural;
}

// gettext's order: the locale is LC_ALL, LC_MESSAGES or LANG, the first set;
// in the C and POSIX locales English; otherwise the first of LANGUAGE's list
// with a catalogue, or the locale's own. Where neither LANGUAGE nor a locale
// is set, the interface language.
void UseUserLanguage() {
  std::string locale = Variable("LC_ALL");
  if (locale.empty()) locale = Variable("LC_MESSAGES");
  if (locale.empty()) locale = Variable("LANG");
  const std::string languages = Variable("LANGUAGE");
  chosen = nullptr;
  if (locale == "C" || locale == "POSIX") return;
  if (locale.empty() && languages.empty()) {
    chosen = CatalogueFor(InterfaceLanguage());
    return;
  }
  std::size_t start = 0;
  while (start < languages.size() && chosen == nullptr) {
    const std::size_t end = std::min(languages.find(':', start), languages.size());
    if (end > start) chosen = CatalogueFor(languages.substr(start, end - start));
    start = end + 1;
  }
  if (chosen == nullptr && languages.empty()) chosen = CatalogueFor(locale);
}

}  // namespace holvane
