// SPDX-License-Identifier: MIT
#include "conversion/catalogue_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

#include "common/translation.h"
#include "text/code_page_1251.h"
#include "text/escapes.h"
#include "text/unicode.h"

namespace holvane {

namespace internal {

namespace {

constexpr char32_t kControlPictures = 0x2400;
constexpr char32_t kDeletePicture = 0x2421;
constexpr unsigned char kNoCharacter = 0x98;

std::string CodePointName(char32_t code_point) {
  return "U+" + text::HexDigits(code_point, 4, text::HexCase::kUpper);
}

bool IsControl(unsigned char byte) {
  return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') || byte == 0x7F;
}

// Each byte as CatalogueText shows it.
using Shown = std::uint32_t;
const text::PackedCharacters<Shown>& ShownCharacters() {
  static const text::PackedCharacters<Shown> table =
      text::MakePackedCharacters<Shown>([](unsigned char byte) {
        std::string utf8;
        if (IsControl(byte)) {
          text::AppendUtf8(byte == 0x7F ? kDeletePicture : kControlPictures + byte, utf8);
        } else {
          text::AppendUtf8(text::CodePage1251Character(byte), utf8);
        }
        return utf8;
      });
  return table;
}

// The byte a catalogue's character stands for, the reverse of CatalogueText.
std::optional<unsigned char> ByteOf(char32_t character) {
  if (character >= kControlPictures && character < kControlPictures + 0x20) {
    return static_cast<unsigned char>(character - kControlPictures);
  }
  if (character == kDeletePicture) return 0x7F;
  if (character == 0xFFFD) return kNoCharacter;
  return text::CodePage1251Byte(character);
}

}  // namespace

std::string ByteName(unsigned char byte) {
  return "0x" + text::HexDigits(byte, 2, text::HexCase::kUpper);
}

// Why the UTF-8 at the start of `utf8` has no byte; `utf8` is not empty.
std::string NoByteCause(std::string_view utf8) {
  char32_t code_point = 0;
  const std::size_t taken = text::DecodeUtf8Character(utf8, code_point);
  if (taken == 0)
    return Filled(Tr(text::kNotUtf8), {ByteName(static_cast<unsigned char>(utf8[0]))});
  return Filled(Tr(text::kNotIn1251), {utf8.substr(0, taken), CodePointName(code_point)});
}

// `utf8` in code page 1251 into `bytes`; on a character without a byte, the
// offset in `utf8` where it starts.
std::optional<std::size_t> ToCodePage(std::string_view utf8, std::string& bytes) {
  // Never longer than the UTF-8; written through a pointer, cut at the end.
  bytes.resize(utf8.size());
  char* out = bytes.data();
  for (std::size_t at = 0; at < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    if (lead < 0x80) {
      *out++ = static_cast<char>(lead);
      ++at;
      continue;
    }
    // А to я, most of every Russian text, without decoding in general.
    if ((lead == 0xD0 || lead == 0xD1) && at + 1 < utf8.size()) {
      const auto trail = static_cast<unsigned char>(utf8[at + 1]);
      const char32_t code_point = ((lead & 0x1Fu) << 6) | (trail & 0x3Fu);
      if ((trail & 0xC0) == 0x80 && code_point >= 0x0410 && code_point <= 0x044F) {
        *out++ = static_cast<char>(code_point - 0x0410 + 0xC0);
        at += 2;
        continue;
      }
    }
    char32_t code_point = 0;
    const std::size_t taken = text::DecodeUtf8Character(utf8.substr(at), code_point);
    const std::optional<unsigned char> byte = taken == 0 ? std::nullopt : ByteOf(code_point);
    if (!byte) {
      bytes.resize(static_cast<std::size_t>(out - bytes.data()));
      return at;
    }
    *out++ = static_cast<char>(*byte);
    at += taken;
  }
  bytes.resize(static_cast<std::size_t>(out - bytes.data()));
  return std::nullopt;
}

// Decodes the pieces `spans` of `content`, checked already, into `out`; with
// `positions`, the offset in `content` each byte of `out` came from. Returns
// whether there was an escape.
bool Decode(std::string_view content, const std::vector<Span>& spans, Quoting quoting,
            std::string& out, std::vector<std::size_t>* positions) {
  out.clear();
  bool escaped = false;
  for (const Span& span : spans) {
    for (std::size_t at = span.begin; at < span.end;) {
      if (positions == nullptr) {
        // Most of a text has no escape: it goes in runs.
        const std::string_view rest = content.substr(at, span.end - at);
        const std::size_t run = std::min(
            quoting == Quoting::kPo ? rest.find('\\') : rest.find_first_of("\\\""), rest.size());
        out.append(rest.substr(0, run));
        at += run;
        if (at == span.end) break;
        escaped = true;
      }
      const std::size_t from = at;
      char c = content[at++];
      if (c == '"' && quoting == Quoting::kCsv) {
        ++at;  // "" in a quoted cell
      } else if (c == '\\') {
        const char e = content[at++];
        switch (e) {
          case 'n':
            c = '\n';
            break;
          case 't':
            c = '\t';
            break;
          case 'r':
            c = '\r';
            break;
          case 'a':
            c = '\a';
            break;
          case 'b':
            c = '\b';
            break;
          case 'f':
            c = '\f';
            break;
          case 'v':
            c = '\v';
            break;
          case 'x': {
            unsigned value = 0;
            while (at < span.end && std::isxdigit(static_cast<unsigned char>(content[at]))) {
              const char h = content[at++];
              value =
                  value * 16 + static_cast<unsigned>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
            }
            c = static_cast<char>(value);
            break;
          }
          default:
            if (e >= '0' && e <= '7') {
              unsigned value = static_cast<unsigned>(e - '0');
              for (int i = 0; i < 2 && at < span.end && content[at] >= '0' && content[at] <= '7';
                   ++i) {
                value = value * 8 + static_cast<unsigned>(content[at++] - '0');
              }
              c = static_cast<char>(value);
            } else {
              c = e;  // \\ \" \' \?
            }
        }
      }
      out.push_back(c);
      if (positions) positions->push_back(from);
    }
  }
  return escaped;
}

// The escape at `at` of `content`, within `end`: its length, or 0 with the
// fault in `cause`.
std::size_t CheckEscape(std::string_view content, std::size_t at, std::size_t end, Quoting quoting,
                        std::string& cause) {
  const char e = at + 1 < end ? content[at + 1] : '\0';
  if (quoting == Quoting::kCsv) {
    if (e == 'n' || e == 't' || e == 'r' || e == '\\') return 2;
    cause = Filled(Tr("a bad escape sequence '\\{}': a cell may hold \\\\, \\t, \\n and \\r"),
                   {e == '\0' ? std::string() : std::string(1, e)});
    return 0;
  }
  if (std::strchr("ntrabfv\\\"'?", e) != nullptr && e != '\0') return 2;
  if (e >= '0' && e <= '7') {
    std::size_t n = 1;
    unsigned value = 0;
    while (n <= 3 && at + n < end && content[at + n] >= '0' && content[at + n] <= '7') {
      value = value * 8 + static_cast<unsigned>(content[at + n] - '0');
      ++n;
    }
    if (value <= 0xFF) return n;
    cause = Filled(Tr("the octal code '{}' is more than a byte (\\377)"), {content.substr(at, n)});
    return 0;
  }
  if (e == 'x') {
    // As gettext reads it: every hexadecimal digit that follows.
    std::size_t n = 2;
    unsigned value = 0;
    while (at + n < end && std::isxdigit(static_cast<unsigned char>(content[at + n]))) {
      const char h = content[at + n++];
      value = std::min(
          0x100u, value * 16 + static_cast<unsigned>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10));
    }
    if (n > 2 && value <= 0xFF) return n;
    cause = n == 2 ? std::string(Tr("hexadecimal digits must follow '\\x'"))
                   : Filled(Tr("the hexadecimal code '{}' is more than a byte (\\xFF)"),
                            {content.substr(at, n)});
    return 0;
  }
  cause = Filled(Tr("a bad escape sequence '\\{}': write \\\\, \\\", \\n, \\t, \\r, \\a, \\b, \\f, "
                    "\\v, \\NNN or \\xNN"),
                 {e == '\0' ? std::string() : std::string(1, e)});
  return 0;
}

// References are separated by spaces, and the gettext tools split a
// reference at any space, so a file name's spaces are written "%20" in one
// (and its "%" as "%25"), the way URLs carry them; reading undoes it.
void AppendReference(std::string_view reference, std::string& out) {
  if (reference.find_first_of(" %\t") == std::string_view::npos) {
    out += reference;
    return;
  }
  for (const char c : reference) {
    if (c == ' ') {
      out += "%20";
    } else if (c == '%') {
      out += "%25";
    } else if (c == '\t') {
      out += "%09";
    } else {
      out.push_back(c);
    }
  }
}

// The references of `text`, separated by spaces, into `references`.
void AppendReferences(std::string_view text, std::vector<std::string>& references) {
  std::size_t at = 0;
  while (true) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at >= text.size()) return;
    const std::size_t stop = std::min(text.find_first_of(" \t", at), text.size());
    const std::string_view whole = text.substr(at, stop - at);
    if (whole.find('%') == std::string_view::npos) {
      references.emplace_back(whole);
      at = stop;
      continue;
    }
    std::string reference;
    for (; at < text.size() && text[at] != ' ' && text[at] != '\t'; ++at) {
      const std::string_view rest = text.substr(at);
      if (rest.starts_with("%20")) {
        reference.push_back(' ');
      } else if (rest.starts_with("%25")) {
        reference.push_back('%');
      } else if (rest.starts_with("%09")) {
        reference.push_back('\t');
      } else {
        reference.push_back(text[at]);
        continue;
      }
      at += 2;
    }
    references.push_back(std::move(reference));
  }
}

namespace {

// Where the first byte from `at` of `text` that PO or a CSV cell escapes
// is, or the size of `text`: a table, since find_first_of searches the
// set for each byte.
std::size_t NextEscaped(std::string_view text, std::size_t at) {
  static constexpr std::array<bool, 256> kEscaped = [] {
    std::array<bool, 256> escaped{};
    for (const char c : std::string_view("\\\t\n\r\""))
      escaped[static_cast<unsigned char>(c)] = true;
    return escaped;
  }();
  while (at < text.size() && !kEscaped[static_cast<unsigned char>(text[at])]) ++at;
  return at;
}

}  // namespace

// Appends `text` with PO's escapes, or a CSV cell's.
void AppendEscaped(std::string_view text, Quoting quoting, std::string& out) {
  // Most of a text needs no escape: it goes in runs.
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t stop = NextEscaped(text, at);
    out.append(text.substr(at, stop - at));
    if (stop == text.size()) return;
    at = stop + 1;
    switch (text[stop]) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '"':
        out += quoting == Quoting::kPo ? "\\\"" : "\"\"";
        break;
    }
  }
}

std::string FlagsText(const std::vector<std::int32_t>& flags) {
  std::string text;
  for (const std::int32_t flag : flags) {
    if (!text.empty()) text += ' ';
    text += std::to_string(flag);
  }
  return text;
}

std::size_t EscapedSize(const CatalogueEntry& entry) {
  std::size_t size = 2 * (entry.source.size() + entry.translation.size()) + 64;
  for (const std::string& reference : entry.references) size += 3 * reference.size() + 1;
  return size;
}

// Appends the code page 1251 `text` as CatalogueText shows it, with PO's
// escapes or a CSV cell's; the same as AppendEscaped(CatalogueText(text)).
void AppendShownEscaped(std::string_view text, Quoting quoting, std::string& out) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t stop = NextEscaped(text, at);
    if (stop > at) {
      // Three bytes at most for each, and the table's store behind the last.
      const std::size_t old_size = out.size();
      out.resize(old_size + 3 * (stop - at) + sizeof(Shown));
      char* end = text::PutPackedCharacters(out.data() + old_size, text.data() + at, stop - at,
                                            ShownCharacters());
      out.resize(static_cast<std::size_t>(end - out.data()));
    }
    if (stop == text.size()) return;
    AppendEscaped(text.substr(stop, 1), quoting, out);
    at = stop + 1;
  }
}

void AppendNumber(std::int64_t value, std::string& out) {
  char digits[24];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, static_cast<std::size_t>(end - digits));
}

}  // namespace internal

std::string CatalogueText(std::string_view cp1251) {
  // Three bytes at most for each, and the table's store behind the last.
  std::string utf8(3 * cp1251.size() + sizeof(internal::Shown), '\0');
  char* end = text::PutPackedCharacters(utf8.data(), cp1251.data(), cp1251.size(),
                                        internal::ShownCharacters());
  utf8.resize(static_cast<std::size_t>(end - utf8.data()));
  return utf8;
}

}  // namespace holvane
