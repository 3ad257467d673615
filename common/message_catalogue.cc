// SPDX-License-Identifier: MIT
// A .mo file is a header of 32-bit words (magic 0x950412de in the writer's
// byte order, revision, the number of entries N, the offsets of the table of
// originals and the table of translations), then two tables of N (length,
// offset) pairs, each string NUL-terminated after its length. The originals
// are sorted by their bytes, as msgfmt writes them, so a lookup is a binary
// search. A plural entry's original is "singular\0plural" and its
// translation the forms one after another, NUL-separated.
#include "common/message_catalogue.h"

#include <cstring>
#include <string>

namespace holvane {

namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kSwappedMagic = 0xde120495;
// A Plural-Forms nested deeper than this is not one a translator wrote.
constexpr int kDeepestNesting = 64;

std::string_view FirstString(std::string_view strings) {
  return strings.substr(0, std::min(strings.find('\0'), strings.size()));
}

}  // namespace

// Reads a Plural-Forms expression, C's grammar from the conditional down,
// into the catalogue's nodes; the root is pushed last.
class PluralParser {
 public:
  PluralParser(std::string_view text, std::vector<MessageCatalogue::Node>& nodes)
      : text_(text), nodes_(nodes) {}

  bool Parse() {
    const bool good = Conditional(0) && (Skip(), at_ == text_.size());
    if (!good) nodes_.clear();
    return good;
  }

 private:
  using Node = MessageCatalogue::Node;

  void Skip() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n')) {
      ++at_;
    }
  }
  bool Take(std::string_view token) {
    Skip();
    if (text_.substr(at_, token.size()) != token) return false;
    at_ += token.size();
    return true;
  }
  void Push(char op, std::size_t a = 0, std::size_t b = 0, std::size_t c = 0, std::uint64_t v = 0) {
    nodes_.push_back(Node{op, v, a, b, c});
  }

  bool Conditional(int depth) {
    if (depth > kDeepestNesting || !Binary(0, depth)) return false;
    if (!Take("?")) return true;
    const std::size_t condition = nodes_.size() - 1;
    if (!Conditional(depth + 1)) return false;
    const std::size_t then = nodes_.size() - 1;
    if (!Take(":") || !Conditional(depth + 1)) return false;
    Push('?', condition, then, nodes_.size() - 1);
    return true;
  }

  // The binary operators by level, loosest first; each level left to right.
  bool Binary(std::size_t level, int depth) {
    static constexpr std::string_view kLevels[][4] = {
        {"||"}, {"&&"}, {"==", "!="}, {"<=", ">=", "<", ">"}, {"+", "-"}, {"*", "/", "%"}};
    static constexpr char kCodes[][4] = {
        {'|'}, {'&'}, {'=', '~'}, {'l', 'g', '<', '>'}, {'+', '-'}, {'*', '/', '%'}};
    if (level == std::size(kLevels)) return Unary(depth);
    if (!Binary(level + 1, depth)) return false;
    for (;;) {
      std::size_t which = 0;
      while (which < 4 && !(!kLevels[level][which].empty() && Take(kLevels[level][which]))) ++which;
      if (which == 4) return true;
      const std::size_t left = nodes_.size() - 1;
      if (!Binary(level + 1, depth)) return false;
      Push(kCodes[level][which], left, nodes_.size() - 1);
    }
  }

  bool Unary(int depth) {
    if (depth > kDeepestNesting) return false;
    if (Take("!")) {
      if (!Unary(depth + 1)) return false;
      Push('!', nodes_.size() - 1);
      return true;
    }
    if (Take("(")) return Conditional(depth + 1) && Take(")");
    if (Take("n")) {
      Push('n');
      return true;
    }
    Skip();
    std::uint64_t value = 0;
    const std::size_t start = at_;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9' && value < (1ULL << 40)) {
      value = value * 10 + (text_[at_++] - '0');
    }
    if (at_ == start) return false;
    Push('#', 0, 0, 0, value);
    return true;
  }

  std::string_view text_;
  std::vector<Node>& nodes_;
  std::size_t at_ = 0;
};

MessageCatalogue::MessageCatalogue(std::string_view mo) : mo_(mo) {
  if (mo.size() < 20) return;
  std::uint32_t magic;
  std::memcpy(&magic, mo.data(), 4);
  if (magic != kMagic && magic != kSwappedMagic) return;
  swapped_ = magic == kSwappedMagic;
  const std::size_t count = Word(8);
  originals_ = Word(12);
  translations_ = Word(16);
  const std::size_t table = count * 8;
  if (count > mo.size() / 8 || originals_ > mo.size() - table ||
      translations_ > mo.size() - table) {
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    for (const std::size_t at : {originals_ + 8 * i, translations_ + 8 * i}) {
      const std::size_t length = Word(at);
      const std::size_t offset = Word(at + 4);
      if (offset >= mo.size() || length >= mo.size() - offset || mo[offset + length] != '\0') {
        return;
      }
    }
  }
  count_ = count;

  // The header, the translation of "": its Plural-Forms, if any.
  const char* header = Find("");
  if (header == nullptr) return;
  const std::string_view text(header);
  const std::size_t forms = text.find("Plural-Forms:");
  if (forms == std::string_view::npos) return;
  const std::string_view line = text.substr(forms, text.find('\n', forms) - forms);
  const std::size_t nplurals = line.find("nplurals=");
  const std::size_t plural =
      line.find("plural=", nplurals == std::string_view::npos ? 0 : nplurals + 9);
  if (nplurals == std::string_view::npos || plural == std::string_view::npos) return;
  const std::size_t number = nplurals + 9;
  if (number >= line.size() || line[number] < '1' || line[number] > '9') return;
  std::string_view expression = line.substr(plural + 7);
  expression = expression.substr(0, expression.find(';'));
  if (PluralParser(expression, plural_).Parse())
    plurals_ = static_cast<std::size_t>(line[number] - '0');
}

std::uint32_t MessageCatalogue::Word(std::size_t at) const {
  std::uint32_t word;
  std::memcpy(&word, mo_.data() + at, 4);
  return swapped_ ? __builtin_bswap32(word) : word;
}

std::string_view MessageCatalogue::Original(std::size_t index) const {
  const std::size_t at = originals_ + 8 * index;
  return mo_.substr(Word(at + 4), Word(at));
}

std::string_view MessageCatalogue::Translation(std::size_t index) const {
  const std::size_t at = translations_ + 8 * index;
  return mo_.substr(Word(at + 4), Word(at));
}

std::size_t MessageCatalogue::Lookup(std::string_view id) const {
  std::size_t low = 0;
  std::size_t high = count_;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const int order = FirstString(Original(middle)).compare(id);
    if (order == 0) return middle;
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return count_;
}

const char* MessageCatalogue::Find(std::string_view id) const {
  const std::size_t index = Lookup(id);
  if (index == count_) return nullptr;
  const std::string_view translation = Translation(index);
  return translation.empty() ? nullptr : translation.data();
}

const char* MessageCatalogue::FindPlural(std::string_view singular, std::uint64_t n) const {
  const std::size_t index = Lookup(singular);
  if (index == count_) return nullptr;
  // The forms lie one after another, NUL-separated; a form past the last is
  // none.
  std::string_view forms = Translation(index);
  for (std::size_t form = PluralIndex(n); form > 0; --form) {
    const std::size_t end = forms.find('\0');
    if (end == std::string_view::npos) return nullptr;
    forms.remove_prefix(end + 1);
  }
  return FirstString(forms).empty() ? nullptr : forms.data();
}

std::size_t MessageCatalogue::PluralIndex(std::uint64_t n) const {
  if (plural_.empty()) return n == 1 ? 0 : 1;
  const std::uint64_t index = Evaluate(plural_.size() - 1, n);
  return index >= plurals_ ? 0 : static_cast<std::size_t>(index);
}

// In unsigned arithmetic, as gettext evaluates it: no overflow is undefined,
// and a division by zero gives 0.
std::uint64_t MessageCatalogue::Evaluate(std::size_t at, std::uint64_t n) const {
  const Node& node = plural_[at];
  const auto a = [&] { return Evaluate(node.a, n); };
  const auto b = [&] { return Evaluate(node.b, n); };
  switch (node.op) {
    case 'n':
      return n;
    case '#':
      return node.value;
    case '!':
      return !a();
    case '?':
      return a() ? b() : Evaluate(node.c, n);
    case '|':
      return a() || b();
    case '&':
      return a() && b();
    case '=':
      return a() == b();
    case '~':
      return a() != b();
    case '<':
      return a() < b();
    case '>':
      return a() > b();
    case 'l':
      return a() <= b();
    case 'g':
      return a() >= b();
    case '+':
      return a() + b();
    case '-':
      return a() - b();
    case '*':
      return a() * b();
    case '/':
    case '%': {
      const std::uint64_t divisor = b();
      if (divisor == 0) return 0;
      return node.op == '/' ? a() / divisor : a() % divisor;
    }
  }
  return 0;
}

}  // namespace holvane
