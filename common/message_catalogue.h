// SPDX-License-Identifier: MIT
#ifndef HOLVANE_COMMON_MESSAGE_CATALOGUE_H_
#define HOLVANE_COMMON_MESSAGE_CATALOGUE_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace holvane {

// A compiled gettext catalogue (a .mo file, as msgfmt writes it), read in
// place: where the system has no gettext of its own, the program carries its
// catalogues built in and looks its sentences up here.
class MessageCatalogue {
 public:
  // Reads `mo`, which must outlive the catalogue. A file that is not a
  // well-formed .mo (bad magic, tables or strings outside it, a Plural-Forms
  // that does not parse) gives an empty catalogue, which translates nothing:
  // a message is then shown in English rather than not at all.
  explicit MessageCatalogue(std::string_view mo);

  // The translation of `id` (for a plural entry, its singular), or nullptr
  // when there is none or it is empty.
  const char* Find(std::string_view id) const;

  // The translation of plural entry `singular` for the number `n`, by the
  // catalogue's Plural-Forms; nullptr when there is none.
  const char* FindPlural(std::string_view singular, std::uint64_t n) const;

  // The index of the plural form for `n`: what the catalogue's Plural-Forms
  // gives (0 for 1 and 1 otherwise when it has none), held below nplurals.
  std::size_t PluralIndex(std::uint64_t n) const;

  bool empty() const { return count_ == 0; }

 private:
  // One operation of the Plural-Forms expression, C's: `op` is 'n', '#' (the
  // number `value`), '!', '?' or a binary operator ("||" is '|', "&&" '&',
  // "==" '=', "!=" '~', "<=" 'l', ">=" 'g'); its operands are nodes a, b, c.
  struct Node {
    char op;
    std::uint64_t value;
    std::size_t a, b, c;
  };
  friend class PluralParser;

  // The translations of entry `index`: its strings, NUL-separated.
  std::string_view Translation(std::size_t index) const;
  std::string_view Original(std::size_t index) const;
  std::uint32_t Word(std::size_t at) const;
  std::uint64_t Evaluate(std::size_t node, std::uint64_t n) const;
  // The index of entry `id`, or count_ when there is none.
  std::size_t Lookup(std::string_view id) const;

  std::string_view mo_;
  bool swapped_ = false;
  std::size_t count_ = 0;
  std::size_t originals_ = 0;
  std::size_t translations_ = 0;
  std::size_t plurals_ = 2;
  // The Plural-Forms expression as a tree, its root last; empty: n != 1.
  std::vector<Node> plural_;
};

// The compiled catalogues built into a program that has no gettext to find
// them on disk (po/CMakeLists.txt makes the table from po/LL.po): LL and the
// bytes of its .mo.
struct BuiltInCatalogue {
  const char* language;
  const unsigned char* data;
  std::size_t size;
};
extern const BuiltInCatalogue kBuiltInCatalogues[];
extern const std::size_t kBuiltInCatalogueCount;

}  // namespace holvane

#endif  // HOLVANE_COMMON_MESSAGE_CATALOGUE_H_
