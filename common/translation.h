// SPDX-License-Identifier: MIT
#ifndef HOLVANE_COMMON_TRANSLATION_H_
#define HOLVANE_COMMON_TRANSLATION_H_

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// The sentences holvane-convert prints are written in English and marked with
// Tr or TrPlural, so that xgettext gathers them into po/holvane.pot and a
// catalogue (po/LL.po) gives them in its language. The window's texts are
// fixed and never pass through here.
namespace holvane {

// The message catalogues' domain: holvane.mo, and the name of po/holvane.pot.
inline constexpr char kTextDomain[] = "holvane";

// `english` in the language chosen by UseUserLanguage; as written until it
// is called, and wherever the catalogue has no translation of it. The result lives as long as the
// program.
const char* Tr(const char* english);

// Marks `english` for the catalogues where it is kept to be translated
// later, by Tr, where it is put into a sentence.
constexpr const char* TrNoop(const char* english) { return english; }

// The form of a sentence for the number `n`: `singular` for 1 and `plural`
// otherwise in English; the catalogue's form for `n` (by its Plural-Forms)
// in another language.
const char* TrPlural(const char* singular, const char* plural, std::uint64_t n);

// Chooses the language of the messages from the user's settings, as gettext
// does: LANGUAGE (a list, the first with a catalogue wins), then the locale
// of LC_ALL, LC_MESSAGES or LANG; English in the C and POSIX locales and where
// no catalogue fits. On Windows, where none of these is set, the user's
// interface language.
void UseUserLanguage();

// `pattern` with its holes filled: "{}" takes the next of `values`, "{N}" the
// Nth (from 1), so that a translation may put them in another order. Values
// are put in as they are; a hole beyond the values is left as it stands.
std::string Filled(std::string_view pattern, std::initializer_list<std::string_view> values);

}  // namespace holvane

#endif  // HOLVANE_COMMON_TRANSLATION_H_
