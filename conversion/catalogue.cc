// SPDX-License-Identifier: MIT
#include "conversion/catalogue.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstring>
#include <utility>

#include "common/file_system.h"
#include "conversion/record_format.h"
#include "conversion/record_stream.h"
#include "text/code_page_1251.h"
#include "text/escapes.h"
#include "text/unicode.h"

// Catalogues (docs/format.md, "Catalogues"). Both readers find their faults
// as byte offsets into the whole catalogue and turn them into a line and a
// column only when one is told, so the common path keeps no positions. A
// translation's characters are checked against code page 1251 as it is read,
// and only one that fails is decoded again with the position of each byte.

namespace holvane {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr char32_t kControlPictures = 0x2400;
constexpr char32_t kDeletePicture = 0x2421;
constexpr unsigned char kNoCharacter = 0x98;

std::string CodePointName(char32_t code_point) {
  return "U+" + text::HexDigits(code_point, 4, text::HexCase::kUpper);
}

std::string ByteName(unsigned char byte) {
  return "0x" + text::HexDigits(byte, 2, text::HexCase::kUpper);
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

// Why the UTF-8 at the start of `utf8` has no byte; `utf8` is not empty.
std::string NoByteCause(std::string_view utf8) {
  char32_t code_point = 0;
  const std::size_t taken = text::DecodeUtf8Character(utf8, code_point);
  if (taken == 0)
    return "байт " + ByteName(static_cast<unsigned char>(utf8[0])) + " не из текста UTF-8";
  return "символ «" + std::string(utf8.substr(0, taken)) + "» (" + CodePointName(code_point) +
         ") не представим в кодовой странице 1251";
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

// The faults a reader finds, each at a byte offset of the catalogue.
class Faults {
 public:
  explicit Faults(std::string_view content) : content_(content) {}

  bool any() const { return count_ > 0; }

  // A fault at the byte `at`; the first in a line only, the others in it are
  // what the first one caused.
  void Add(std::size_t at, std::string cause) {
    const std::size_t line_start = LineStart(at);
    if (any() && line_start == last_line_start_) return;
    last_line_start_ = line_start;
    if (++count_ > kReportedFaults) return;
    const std::size_t line =
        1 + static_cast<std::size_t>(std::count(
                content_.begin(), content_.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    const std::size_t column =
        1 + static_cast<std::size_t>(std::count_if(
                content_.begin() + static_cast<std::ptrdiff_t>(line_start),
                content_.begin() + static_cast<std::ptrdiff_t>(at),
                [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    faults_.push_back({line, column, std::move(cause)});
  }

  void Into(CatalogueReading& reading) {
    // Faults are found in the order of the catalogue but for a translation's
    // characters, found when its entry ends; they are told in line order.
    std::stable_sort(faults_.begin(), faults_.end(),
                     [](const LineFault& a, const LineFault& b) { return a.line < b.line; });
    reading.faults = std::move(faults_);
    reading.fault_count = count_;
    if (count_ > 0) reading.entries.clear();
  }

 private:
  std::size_t LineStart(std::size_t at) const {
    const std::size_t newline = content_.rfind('\n', at == 0 ? 0 : at - 1);
    return at == 0 || newline == std::string_view::npos ? 0 : newline + 1;
  }

  std::string_view content_;
  std::vector<LineFault> faults_;
  std::size_t count_ = 0;
  std::size_t last_line_start_ = 0;
};

// A piece of the catalogue: the bytes from `begin` to `end`.
struct Span {
  std::size_t begin;
  std::size_t end;
};

// How a piece of text is escaped: PO's strings, or a CSV cell's.
enum class Quoting { kPo, kCsv };

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
    cause = "неверная escape-последовательность «\\" +
            std::string(e == '\0' ? "" : std::string(1, e)) +
            "»: в ячейке допустимы \\\\, \\t, \\n и \\r";
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
    cause = "восьмеричный код «" + std::string(content.substr(at, n)) + "» больше байта (\\377)";
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
    cause = n == 2 ? "после «\\x» нужны шестнадцатеричные цифры"
                   : "шестнадцатеричный код «" + std::string(content.substr(at, n)) +
                         "» больше байта (\\xFF)";
    return 0;
  }
  cause = "неверная escape-последовательность «\\" +
          std::string(e == '\0' ? "" : std::string(1, e)) +
          "»: допустимы \\\\, \\\", \\n, \\t, \\r, \\a, \\b, \\f, \\v, \\NNN и \\xNN";
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

// An entry as a reader gathers it.
struct Gathered {
  std::vector<Span> context;
  std::vector<Span> id;
  std::vector<Span> str;
  bool has_context = false;
  bool has_id = false;
  bool has_str = false;
  bool fuzzy = false;
  bool obsolete = false;
  std::size_t start = 0;  // offset of its first line
  std::size_t id_at = 0;  // offset of its msgid
  std::vector<std::string> references;
};

// Turns a gathered entry into `reading`'s entries, checking the characters
// of a usable translation, or reads the header's charset.
class EntryMaker {
 public:
  EntryMaker(std::string_view content, Quoting quoting, Faults& faults, CatalogueReading& reading,
             const EntrySink* take)
      : content_(content), quoting_(quoting), faults_(faults), reading_(reading), take_(take) {}

  // Whether entries go to a sink, without their references.
  bool Taken() const { return take_ != nullptr; }

  void Make(Gathered& gathered, std::size_t line) {
    CatalogueEntry entry;
    bool escaped = Decode(content_, gathered.id, quoting_, entry.source, nullptr);
    escaped |= Decode(content_, gathered.str, quoting_, entry.translation, nullptr);
    if (gathered.has_context) {
      std::string context;
      escaped |= Decode(content_, gathered.context, quoting_, context, nullptr);
      entry.context = std::move(context);
    }
    // Escapes may make bytes that are not UTF-8; the file's own bytes are
    // checked as it is read, so without an escape or a fault so far they are.
    if ((escaped || faults_.any()) &&
        (!Utf8(entry.source, gathered.id) || !Utf8(entry.translation, gathered.str) ||
         (entry.context && !Utf8(*entry.context, gathered.context)))) {
      return;
    }
    entry.fuzzy = gathered.fuzzy;
    entry.obsolete = gathered.obsolete;
    entry.references = std::move(gathered.references);
    entry.line = line;
    if (quoting_ == Quoting::kPo && entry.source.empty() && !entry.context && !entry.obsolete) {
      CheckHeader(entry.translation, gathered);
      return;
    }
    if (entry.Usable() && ToCodePage(entry.translation, bytes_)) {
      std::vector<std::size_t> positions;
      std::string again;
      Decode(content_, gathered.str, quoting_, again, &positions);
      const std::size_t at = *ToCodePage(again, bytes_);
      faults_.Add(positions[at], NoByteCause(std::string_view(again).substr(at)));
    }
    if (faults_.any()) return;
    if (take_ != nullptr) {
      (*take_)(std::move(entry));
    } else {
      reading_.entries.push_back(std::move(entry));
    }
  }

 private:
  // Whether `decoded`, decoded from `spans`, is UTF-8; a fault where not.
  bool Utf8(std::string_view decoded, const std::vector<Span>& spans) {
    for (std::size_t at = 0; at < decoded.size();) {
      char32_t code_point = 0;
      const std::size_t taken = text::DecodeUtf8Character(decoded.substr(at), code_point);
      if (taken == 0) {
        std::vector<std::size_t> positions;
        std::string again;
        Decode(content_, spans, quoting_, again, &positions);
        faults_.Add(positions[at], "escape-последовательности дают байт " +
                                       ByteName(static_cast<unsigned char>(decoded[at])) +
                                       " не из текста UTF-8");
        return false;
      }
      at += taken;
    }
    return true;
  }

  void CheckHeader(const std::string& header, const Gathered& gathered) {
    constexpr std::string_view kCharset = "charset=";
    std::size_t line_start = 0;
    while (line_start < header.size()) {
      std::size_t line_end = header.find('\n', line_start);
      if (line_end == std::string::npos) line_end = header.size();
      const std::string_view field(header.data() + line_start, line_end - line_start);
      line_start = line_end + 1;
      if (!field.starts_with("Content-Type:")) continue;
      const std::size_t at = field.find(kCharset);
      if (at == std::string_view::npos) continue;
      std::string_view charset = field.substr(at + kCharset.size());
      charset = charset.substr(0, charset.find_first_of(" ;"));
      std::string upper(charset);
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (upper == "UTF-8" || upper == "ASCII" || upper == "US-ASCII" || upper == "CHARSET") return;
      std::vector<std::size_t> positions;
      std::string again;
      Decode(content_, gathered.str, quoting_, again, &positions);
      // The charset's name, or the string's closing quote when it has none.
      const auto name_at =
          static_cast<std::size_t>(field.data() - header.data()) + at + kCharset.size();
      faults_.Add(name_at < positions.size() ? positions[name_at] : gathered.str.back().end,
                  "кодировка каталога «" + std::string(charset) +
                      "» не поддерживается: нужна UTF-8 (charset=UTF-8 в Content-Type)");
      return;
    }
  }

  std::string_view content_;
  Quoting quoting_;
  Faults& faults_;
  CatalogueReading& reading_;
  const EntrySink* take_;
  std::string bytes_;
};

// The byte offsets of the UTF-8 faults of `line` at `start`, told to `faults`;
// whether there was none.
bool CheckUtf8(std::string_view content, std::size_t start, std::size_t end, Faults& faults) {
  for (std::size_t at = start; at < end;) {
    // Eight ASCII bytes at once where they are.
    if (at + 8 <= end) {
      std::uint64_t eight = 0;
      std::memcpy(&eight, content.data() + at, sizeof eight);
      if ((eight & 0x8080808080808080u) == 0) {
        at += 8;
        continue;
      }
    }
    const auto lead = static_cast<unsigned char>(content[at]);
    if (lead < 0x80) {
      ++at;
      continue;
    }
    // Two bytes, as Cyrillic is, without decoding in general.
    if (lead >= 0xC2 && lead <= 0xDF && at + 1 < end &&
        (static_cast<unsigned char>(content[at + 1]) & 0xC0) == 0x80) {
      at += 2;
      continue;
    }
    char32_t code_point = 0;
    const std::size_t taken = text::DecodeUtf8Character(content.substr(at, end - at), code_point);
    if (taken == 0) {
      faults.Add(
          at, "байт " + ByteName(static_cast<unsigned char>(content[at])) + " не из текста UTF-8");
      return false;
    }
    at += taken;
  }
  return true;
}

// The PO reader, a line at a time.
class PoReader {
 public:
  PoReader(std::string_view content, CatalogueReading& reading, const EntrySink* take)
      : content_(content),
        faults_(content),
        maker_(content, Quoting::kPo, faults_, reading, take),
        reading_(reading) {}

  void Read() {
    std::size_t at = 0;
    if (content_.starts_with(kByteOrderMark)) at = kByteOrderMark.size();
    std::size_t number = 0;
    while (at < content_.size()) {
      ++number;
      std::size_t end = content_.find('\n', at);
      if (end == std::string_view::npos) end = content_.size();
      std::size_t line_end = end;
      if (line_end > at && content_[line_end - 1] == '\r') --line_end;
      // A line with a byte that is not UTF-8 is read all the same, so that
      // the entries around it stay whole; its first fault is that byte.
      CheckUtf8(content_, at, line_end, faults_);
      ReadLine(at, line_end, number);
      at = end + 1;
    }
    Finish(content_.size());
    faults_.Into(reading_);
  }

 private:
  enum class Field { kNone, kContext, kId, kStr };

  static bool IsSpace(char c) { return c == ' ' || c == '\t'; }

  std::size_t SkipSpaces(std::size_t at, std::size_t end) const {
    while (at < end && IsSpace(content_[at])) ++at;
    return at;
  }

  // Ends the entry being gathered, if any, before what starts at `at`.
  void Finish(std::size_t at) {
    if (!current_.has_id) {
      if (current_.has_context) faults_.Add(current_.start, "у msgctxt нет msgid");
    } else if (!current_.has_str) {
      faults_.Add(at == content_.size() ? current_.id_at : at, "у msgid нет msgstr");
    } else {
      maker_.Make(current_, entry_line_);
    }
    current_ = Gathered{};
    field_ = Field::kNone;
    comments_started_ = false;
  }

  // A comment line starts the next entry once this one has its msgstr.
  void BeginComment(std::size_t at, std::size_t number) {
    if (current_.has_str) Finish(at);
    if (!comments_started_ && !current_.has_id && !current_.has_context) {
      comments_started_ = true;
      current_.start = at;
      entry_line_ = number;
    }
  }

  void ReadLine(std::size_t at, std::size_t end, std::size_t number) {
    at = SkipSpaces(at, end);
    if (at == end) return;
    bool obsolete = false;
    if (content_[at] == '#') {
      const char kind = at + 1 < end ? content_[at + 1] : ' ';
      if (kind == '~') {
        obsolete = true;
        at = SkipSpaces(at + 2, end);
        if (at == end || content_[at] == '|') return;
      } else {
        BeginComment(at, number);
        if (kind == ',') ReadFlags(at + 2, end);
        if (kind == ':') ReadReferences(at + 2, end);
        return;
      }
    }
    ReadKeyword(at, end, number, obsolete);
  }

  void ReadFlags(std::size_t at, std::size_t end) {
    while (at < end) {
      std::size_t comma = content_.find(',', at);
      if (comma == std::string_view::npos || comma > end) comma = end;
      std::size_t first = SkipSpaces(at, comma);
      std::size_t last = comma;
      while (last > first && IsSpace(content_[last - 1])) --last;
      if (content_.substr(first, last - first) == "fuzzy") current_.fuzzy = true;
      at = comma + 1;
    }
  }

  void ReadReferences(std::size_t at, std::size_t end) {
    if (maker_.Taken()) return;
    AppendReferences(content_.substr(at, end - at), current_.references);
  }

  void ReadKeyword(std::size_t at, std::size_t end, std::size_t number, bool obsolete) {
    if (content_[at] == '"') {
      if (field_ == Field::kNone) {
        faults_.Add(at, "строка в кавычках без msgctxt, msgid или msgstr перед ней");
        return;
      }
      ReadString(at, end, Target());
      return;
    }
    std::size_t word_end = at;
    while (word_end < end && !IsSpace(content_[word_end]) && content_[word_end] != '"') ++word_end;
    const std::string_view word = content_.substr(at, word_end - at);
    const std::size_t string_at = SkipSpaces(word_end, end);
    const auto start_entry = [&] {
      if (current_.has_id || current_.has_context) Finish(at);
      if (!comments_started_) {
        current_.start = at;
        entry_line_ = number;
      }
      current_.obsolete = obsolete;
    };
    if (word == "msgctxt") {
      start_entry();
      current_.has_context = true;
      field_ = Field::kContext;
    } else if (word == "msgid") {
      if (!current_.has_context || current_.has_id) start_entry();
      current_.has_id = true;
      current_.id_at = at;
      field_ = Field::kId;
    } else if (word == "msgstr") {
      if (!current_.has_id || current_.has_str) {
        faults_.Add(
            at, current_.has_str ? "второй msgstr у одной записи" : "msgstr без msgid перед ним");
        field_ = Field::kNone;
        return;
      }
      current_.has_str = true;
      field_ = Field::kStr;
    } else if (word == "msgid_plural" || word.starts_with("msgstr[")) {
      faults_.Add(at, "формы множественного числа («" + std::string(word) +
                          "») не поддерживаются: у текстов файлов их нет");
      field_ = Field::kNone;
      return;
    } else {
      faults_.Add(at,
                  "неизвестное слово «" + std::string(word) +
                      "»: ожидается msgctxt, msgid, msgstr, строка в кавычках или комментарий «#»");
      return;
    }
    if (string_at == end || content_[string_at] != '"') {
      faults_.Add(string_at, "после " + std::string(word) + " нужна строка в кавычках");
      field_ = Field::kNone;
      return;
    }
    ReadString(string_at, end, Target());
  }

  std::vector<Span>& Target() {
    return field_ == Field::kContext ? current_.context
           : field_ == Field::kId    ? current_.id
                                     : current_.str;
  }

  // The string whose opening quote is at `at`, its escapes checked.
  void ReadString(std::size_t at, std::size_t end, std::vector<Span>& into) {
    std::size_t p = at + 1;
    std::string cause;
    while (p < end && content_[p] != '"') {
      if (content_[p] == '\\') {
        const std::size_t taken = CheckEscape(content_, p, end, Quoting::kPo, cause);
        if (taken == 0) {
          faults_.Add(p, cause);
          return;
        }
        p += taken;
      } else {
        ++p;
      }
    }
    if (p >= end) {
      faults_.Add(at, "строка не закрыта кавычкой до конца строки");
      return;
    }
    const std::size_t after = SkipSpaces(p + 1, end);
    if (after != end) {
      faults_.Add(after, "лишнее после закрывающей кавычки");
      return;
    }
    into.push_back({at + 1, p});
  }

  std::string_view content_;
  Faults faults_;
  EntryMaker maker_;
  CatalogueReading& reading_;
  Gathered current_;
  Field field_ = Field::kNone;
  bool comments_started_ = false;
  std::size_t entry_line_ = 0;
};

// The header row of a catalogue's CSV, and the names of the columns read
// back (the flags always come from the files, so their column is not read).
constexpr std::string_view kCsvHeaderRow = "source,target,fuzzy,references,flags\r\n";
constexpr std::string_view kSourceColumn = "source";
constexpr std::string_view kTargetColumn = "target";
constexpr std::string_view kFuzzyColumn = "fuzzy";
constexpr std::string_view kReferencesColumn = "references";

// The CSV reader, a record at a time.
class CsvReader {
 public:
  CsvReader(std::string_view content, CatalogueReading& reading, const EntrySink* take)
      : content_(content),
        faults_(content),
        maker_(content, Quoting::kCsv, faults_, reading, take),
        reading_(reading) {}

  void Read() {
    std::size_t at = content_.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    std::vector<Cell> cells;
    bool header = true;
    std::size_t number = 1;
    while (at < content_.size()) {
      const std::size_t row_line = number;
      const std::size_t row_at = at;
      if (!ReadRow(at, number, cells)) continue;
      if (header) {
        header = false;
        if (!FindColumns(cells, row_at)) break;
        continue;
      }
      MakeEntry(cells, row_line);
    }
    if (header)
      faults_.Add(content_.size() > 0 ? content_.size() - 1 : 0,
                  "нет строки заголовка со столбцами «source» и «target»");
    faults_.Into(reading_);
  }

 private:
  struct Cell {
    Span span;
    bool quoted = false;
  };

  // The row at `at`, `at` left at the next one and `number` at its line;
  // whether it could be read.
  bool ReadRow(std::size_t& at, std::size_t& number, std::vector<Cell>& cells) {
    cells.clear();
    bool good = true;
    while (true) {
      Cell cell;
      if (at < content_.size() && content_[at] == '"') {
        cell.quoted = true;
        const std::size_t open = at++;
        while (true) {
          if (at >= content_.size()) {
            faults_.Add(open, "ячейка в кавычках не закрыта до конца файла");
            return false;
          }
          if (content_[at] == '"') {
            if (at + 1 < content_.size() && content_[at + 1] == '"') {
              at += 2;
              continue;
            }
            break;
          }
          if (content_[at] == '\n') ++number;
          ++at;
        }
        cell.span = {open + 1, at};
        ++at;
        if (at < content_.size() && content_[at] != ',' && content_[at] != '\n' &&
            !(content_[at] == '\r' && at + 1 < content_.size() && content_[at + 1] == '\n') &&
            !(content_[at] == '\r' && at + 1 == content_.size())) {
          if (good) faults_.Add(at, "после закрывающей кавычки нужна запятая или конец строки");
          good = false;
          while (at < content_.size() && content_[at] != ',' && content_[at] != '\n') ++at;
        }
      } else {
        const std::size_t start = at;
        while (at < content_.size() && content_[at] != ',' && content_[at] != '\n') {
          if (content_[at] == '"' && good) {
            faults_.Add(
                at,
                "кавычка внутри ячейки без кавычек: заключите ячейку в кавычки, а кавычку удвойте");
            good = false;
          }
          ++at;
        }
        std::size_t stop = at;
        if (stop > start && content_[stop - 1] == '\r' &&
            (stop == content_.size() || content_[stop] == '\n'))
          --stop;
        cell.span = {start, stop};
      }
      cells.push_back(cell);
      if (good && !CheckCell(cell)) good = false;
      if (at >= content_.size()) break;
      if (content_[at++] == '\n') {
        ++number;
        break;
      }
    }
    return good;
  }

  // The cell's UTF-8 and escapes.
  bool CheckCell(const Cell& cell) {
    if (!CheckUtf8(content_, cell.span.begin, cell.span.end, faults_)) return false;
    std::string cause;
    for (std::size_t p = cell.span.begin; p < cell.span.end; ++p) {
      if (content_[p] == '"')
        ++p;
      else if (content_[p] == '\\') {
        const std::size_t taken = CheckEscape(content_, p, cell.span.end, Quoting::kCsv, cause);
        if (taken == 0) {
          faults_.Add(p, cause);
          return false;
        }
        ++p;
      }
    }
    return true;
  }

  std::string Name(const Cell& cell) const {
    std::string name;
    Decode(content_, {cell.span}, Quoting::kCsv, name, nullptr);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  }

  bool FindColumns(const std::vector<Cell>& cells, std::size_t row_at) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      const std::string name = Name(cells[i]);
      if (name == kSourceColumn) source_ = i;
      if (name == kTargetColumn) target_ = i;
      if (name == kFuzzyColumn) fuzzy_ = i;
      if (name == kReferencesColumn) references_ = i;
    }
    if (source_ && target_) return true;
    faults_.Add(row_at, "в строке заголовка нет столбца «" +
                            std::string(source_ ? kTargetColumn : kSourceColumn) + "»");
    return false;
  }

  std::vector<Span> SpansOf(const std::vector<Cell>& cells,
                            std::optional<std::size_t> column) const {
    if (!column || *column >= cells.size()) return {};
    return {cells[*column].span};
  }

  void MakeEntry(const std::vector<Cell>& cells, std::size_t line) {
    Gathered gathered;
    gathered.id = SpansOf(cells, source_);
    gathered.str = SpansOf(cells, target_);
    std::string cell;
    Decode(content_, SpansOf(cells, fuzzy_), Quoting::kCsv, cell, nullptr);
    gathered.fuzzy = !cell.empty();
    Decode(content_, SpansOf(cells, references_), Quoting::kCsv, cell, nullptr);
    if (!maker_.Taken()) AppendReferences(cell, gathered.references);
    // A row without a source, such as a blank one, is nobody's entry.
    if (gathered.id.empty() || gathered.id[0].begin == gathered.id[0].end) return;
    maker_.Make(gathered, line);
  }

  std::string_view content_;
  Faults faults_;
  EntryMaker maker_;
  CatalogueReading& reading_;
  std::optional<std::size_t> source_, target_, fuzzy_, references_;
};

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

void AppendCsvCell(std::string_view text, std::string& out) {
  out += '"';
  AppendEscaped(text, Quoting::kCsv, out);
  out += '"';
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

// A PO catalogue's header. A template's keeps gettext's placeholders and is
// fuzzy, as xgettext leaves it; a translated catalogue's has the date for both.
void AppendPoHeader(bool translated, std::string_view creation_date, std::string& out) {
  if (!translated) out += "#, fuzzy\n";
  out += "msgid \"\"\nmsgstr \"\"\n";
  out += "\"Project-Id-Version: holvane\\n\"\n";
  out += "\"POT-Creation-Date: " + std::string(creation_date) + "\\n\"\n";
  out += translated ? "\"PO-Revision-Date: " + std::string(creation_date) + "\\n\"\n"
                    : std::string("\"PO-Revision-Date: YEAR-MO-DA HO:MI+ZONE\\n\"\n");
  out += translated ? "\"Last-Translator: \\n\"\n\"Language-Team: \\n\"\n"
                    : "\"Last-Translator: FULL NAME <EMAIL@ADDRESS>\\n\"\n"
                      "\"Language-Team: LANGUAGE <LL@li.org>\\n\"\n";
  out += "\"MIME-Version: 1.0\\n\"\n";
  out += "\"Content-Type: text/plain; charset=UTF-8\\n\"\n";
  out += "\"Content-Transfer-Encoding: 8bit\\n\"\n";
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

// A PO keyword and its string, split after each line break as gettext
// writes them, `prefix` ("#~ " for an obsolete entry) before each line, each
// piece written by `escape` (AppendEscaped or AppendShownEscaped).
template <typename Escape>
void AppendSplitPoString(std::string_view prefix, std::string_view keyword, std::string_view text,
                         Escape escape, std::string& out) {
  out += prefix;
  out += keyword;
  const std::size_t first_break = text.find('\n');
  if (first_break == std::string_view::npos || first_break + 1 == text.size()) {
    out += " \"";
    escape(text, Quoting::kPo, out);
    out += "\"\n";
    return;
  }
  out += " \"\"\n";
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t stop = std::min(text.find('\n', at), text.size() - 1) + 1;
    out += prefix;
    out += '"';
    escape(text.substr(at, stop - at), Quoting::kPo, out);
    out += "\"\n";
    at = stop;
  }
}

// The string of a catalogue's own UTF-8 text.
void AppendPoString(std::string_view prefix, std::string_view keyword, std::string_view text,
                    std::string& out) {
  AppendSplitPoString(prefix, keyword, text, AppendEscaped, out);
}

// The string of the code page 1251 `text` as CatalogueText shows it.
void AppendShownPoString(std::string_view keyword, std::string_view text, std::string& out) {
  AppendSplitPoString("", keyword, text, AppendShownEscaped, out);
}

void AppendNumber(std::int64_t value, std::string& out) {
  char digits[24];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, static_cast<std::size_t>(end - digits));
}

// Hands each record of `stream`, which ForEachRecord has read through
// without fault, to `visit(flag, text)`, the text where it lies in `stream`.
template <class Visit>
void ForEachCheckedRecord(std::string_view stream, Visit visit) {
  using record_format::kFieldWidth;
  using record_format::LoadInt32;
  for (std::size_t at = 0; at < stream.size();) {
    const auto size = static_cast<std::size_t>(LoadInt32(stream.data() + at));
    const std::string_view text = stream.substr(at + kFieldWidth, size);
    visit(LoadInt32(text.data() + size), text);
    at += size + 2 * kFieldWidth;
  }
}

}  // namespace

std::vector<Record> ReadRecords(std::string_view stream) {
  std::vector<Record> records;
  ForEachRecord(stream, [&records](std::int32_t flag, std::string_view text) {
    records.push_back({std::string(text), flag});
  });
  return records;
}

std::string WriteRecords(const std::vector<Record>& records) {
  std::size_t size = 0;
  for (const Record& record : records) size += record.text.size() + record_format::kFieldsWidth;
  std::string stream(size, '\0');
  char* out = stream.data();
  for (const Record& record : records) {
    record_format::StoreInt32(out, static_cast<std::int32_t>(record.text.size()));
    std::memcpy(out + record_format::kFieldWidth, record.text.data(), record.text.size());
    out += record_format::kFieldWidth + record.text.size();
    record_format::StoreInt32(out, record.flag);
    out += record_format::kFieldWidth;
  }
  return stream;
}

std::string CatalogueText(std::string_view cp1251) {
  // Three bytes at most for each, and the table's store behind the last.
  std::string utf8(3 * cp1251.size() + sizeof(Shown), '\0');
  char* end =
      text::PutPackedCharacters(utf8.data(), cp1251.data(), cp1251.size(), ShownCharacters());
  utf8.resize(static_cast<std::size_t>(end - utf8.data()));
  return utf8;
}

std::string CatalogueDate(std::int64_t seconds) {
  // Days to a civil date, after H. Hinnant's days_from_civil, inverted.
  const std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  const std::int64_t in_day = seconds - days * 86400;
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  const auto two = [](std::int64_t value) {
    return std::string(value < 10 ? "0" : "") + std::to_string(value);
  };
  return std::to_string(year) + "-" + two(month) + "-" + two(day) + " " + two(in_day / 3600) + ":" +
         two(in_day / 60 % 60) + "+0000";
}

void CatalogueBuilder::AddFile(std::string_view file, const std::vector<Record>& records) {
  entries_made_ = false;
  const auto index = static_cast<std::uint32_t>(files_.size());
  files_.emplace_back(file);
  for (std::size_t i = 0; i < records.size(); ++i) {
    Add(index, static_cast<std::uint32_t>(i + 1), records[i].text, records[i].flag);
  }
}

void CatalogueBuilder::AddStream(std::string_view file, std::string_view stream) {
  // Read through once first, so that a stream that breaks off adds nothing.
  std::size_t count = 0;
  ForEachRecord(stream, [&count](std::int32_t, std::string_view) { ++count; });
  entries_made_ = false;
  const auto index = static_cast<std::uint32_t>(files_.size());
  files_.emplace_back(file);
  if (met_.size() + count > met_.capacity()) {
    met_.reserve(std::max(met_.size() + count, met_.capacity() + met_.capacity() / 2));
    PreferLargePages(met_.data(), met_.capacity() * sizeof(Met));
  }
  // Every text new, at most: room reserved is not memory used until written,
  // and the store is never copied as it fills.
  Reserve(stream.size() + count * (sizeof(Header) + 8));
  // Most of the time goes in waiting for memory: the slot of a text, then
  // its entry. So each record waits in a ring while the slot of the one
  // kLead later is fetched, and the entry of the one kLead / 2 later.
  struct Waiting {
    std::string_view text;
    std::uint64_t hash;
    std::int32_t flag;
    std::uint32_t number;
  };
  constexpr std::size_t kLead = 32;
  std::array<Waiting, kLead> ring;
  std::size_t taken = 0;  // records put in the ring
  std::size_t done = 0;   // records added
  const auto add_oldest = [&] {
    if (taken - done > kLead / 2 && !slots_.empty()) {
      const Waiting& half = ring[(done + kLead / 2) % kLead];
      const std::uint64_t slot = slots_[SlotOf(half.hash)];
      const auto word = static_cast<std::uint32_t>(slot);
      if (word != 0 && (slot >> 32) == (half.hash >> 32)) {
        const std::size_t at = 8 * std::size_t{word - 1};
        if (at < store_.size()) __builtin_prefetch(store_.data() + at);
      }
    }
    const Waiting& oldest = ring[done++ % kLead];
    Add(index, oldest.number, oldest.text, oldest.flag, oldest.hash);
  };
  std::uint32_t number = 0;
  // The texts must stay where they are while they wait: ForEachRecord's
  // may not.
  ForEachCheckedRecord(stream, [&](std::int32_t flag, std::string_view text) {
    ++number;
    if (text.empty()) return;
    const std::uint64_t hash = HashOf(text);
    if (!slots_.empty()) __builtin_prefetch(&slots_[SlotOf(hash)]);
    if (taken - done == kLead) add_oldest();
    ring[taken++ % kLead] = {text, hash, flag, number};
  });
  while (done < taken) add_oldest();
}

void CatalogueBuilder::Reserve(std::size_t bytes) {
  if (store_.size() + bytes <= store_.capacity()) return;
  store_.reserve(std::max(store_.size() + bytes, store_.capacity() + store_.capacity() / 2));
  PreferLargePages(store_.data(), store_.capacity());
}

CatalogueBuilder::Header CatalogueBuilder::HeaderAt(std::size_t at) const {
  Header header;
  std::memcpy(&header, store_.data() + at, sizeof header);
  return header;
}

void CatalogueBuilder::Grow() {
  // Half full at most, so that a probe stays short. A slot starts at its
  // hash's highest bits, which the slot itself holds: the table is rebuilt
  // from the old one alone, in order, without a look at any entry.
  const int bits = std::max(10, slot_bits_ + 1);
  // The large tables of a large catalogue are made of large pages where the
  // system gives them, asked for before the first byte is written: a page
  // fault for every 4 KiB costs more than building the table.
  std::vector<std::uint64_t> slots;
  slots.reserve(std::size_t{1} << bits);
  PreferLargePages(slots.data(), slots.capacity() * sizeof(std::uint64_t));
  slots.resize(slots.capacity(), 0);
  const std::size_t mask = slots.size() - 1;
  for (const std::uint64_t slot : slots_) {
    if (slot == 0) continue;
    std::size_t at = slot >> (64 - bits);
    while (slots[at] != 0) at = (at + 1) & mask;
    slots[at] = slot;
  }
  slots_ = std::move(slots);
  slot_bits_ = bits;
}

void CatalogueBuilder::Add(std::uint32_t file, std::uint32_t number, std::string_view text,
                           std::int32_t flag) {
  if (text.empty()) return;
  Add(file, number, text, flag, HashOf(text));
}

void CatalogueBuilder::Add(std::uint32_t file, std::uint32_t number, std::string_view text,
                           std::int32_t flag, std::uint64_t hash) {
  if (2 * (item_count_ + 1) > slots_.size()) Grow();
  const std::size_t mask = slots_.size() - 1;
  const std::uint64_t tag = hash >> 32 << 32;
  std::size_t at = SlotOf(hash);
  while (true) {
    const std::uint64_t slot = slots_[at];
    if (slot == 0) {
      // A new entry, at the end of the store, which Reserve has made room
      // for: the padding is zeros, so that the store's bytes are all written.
      const std::size_t place = store_.size();
      const auto item = static_cast<std::uint32_t>(item_count_++);
      slots_[at] = tag | (place / 8 + 1);
      met_.push_back({item, {file, number}});
      const Header header{static_cast<std::uint32_t>(text.size()), item, flag, kNone};
      store_.append(reinterpret_cast<const char*>(&header), sizeof header);
      store_ += text;
      store_.append(Next(place, header) - store_.size(), '\0');
      if (!translations_.empty()) translations_.emplace_back();
      return;
    }
    if ((slot & ~std::uint64_t{0xFFFFFFFF}) == tag) {
      const std::size_t place = 8 * ((slot & 0xFFFFFFFF) - 1);
      Header header = HeaderAt(place);
      if (TextAt(place, header) == text) {
        met_.push_back({header.item, {file, number}});
        // Flags are few; a search of those already met stays short.
        if (header.flag == flag) return;
        std::uint32_t next = header.more_flags;
        std::uint32_t last = kNone;
        for (; next != kNone; last = next, next = more_flags_[next].next) {
          if (more_flags_[next].flag == flag) return;
        }
        const auto added = static_cast<std::uint32_t>(more_flags_.size());
        more_flags_.push_back({flag});
        if (last == kNone) {
          header.more_flags = added;
          std::memcpy(store_.data() + place, &header, sizeof header);
        } else {
          more_flags_[last].next = added;
        }
        return;
      }
    }
    at = (at + 1) & mask;
  }
}

std::size_t CatalogueBuilder::TakeTranslations(const std::vector<CatalogueEntry>& previous) {
  std::unordered_map<std::string_view, const CatalogueEntry*> usable;
  usable.reserve(previous.size());
  for (const CatalogueEntry& entry : previous) {
    if (entry.Usable() && !entry.context) usable.try_emplace(entry.source, &entry);
  }
  translations_.resize(item_count_);
  entries_made_ = false;
  std::size_t filled = 0;
  for (std::size_t at = 0, i = 0; i < item_count_; ++i) {
    const Header header = HeaderAt(at);
    const auto found = usable.find(CatalogueText(TextAt(at, header)));
    at = Next(at, header);
    if (found == usable.end()) continue;
    translations_[i] = found->second->translation;
    ++filled;
  }
  return filled;
}

std::vector<CatalogueBuilder::Reference> CatalogueBuilder::Grouped(
    std::vector<std::uint32_t>* starts) const {
  // Counted, then placed in one pass in the order met: no chain to follow.
  starts->assign(item_count_ + 1, 0);
  for (const Met& met : met_) ++(*starts)[met.item + 1];
  for (std::size_t i = 0; i < item_count_; ++i) (*starts)[i + 1] += (*starts)[i];
  std::vector<std::uint32_t> next(starts->begin(), starts->end() - 1);
  std::vector<Reference> grouped;
  grouped.reserve(met_.size());
  PreferLargePages(grouped.data(), grouped.capacity() * sizeof(Reference));
  grouped.resize(met_.size());
  for (const Met& met : met_) grouped[next[met.item]++] = met.reference;
  return grouped;
}

const std::vector<CatalogueEntry>& CatalogueBuilder::entries() const {
  if (entries_made_) return entries_;
  entries_.assign(item_count_, CatalogueEntry{});
  std::vector<std::uint32_t> starts;
  const std::vector<Reference> grouped = Grouped(&starts);
  for (std::size_t at = 0, i = 0; i < item_count_; ++i) {
    const Header header = HeaderAt(at);
    CatalogueEntry& entry = entries_[i];
    entry.source = CatalogueText(TextAt(at, header));
    if (!translations_.empty()) entry.translation = translations_[i];
    for (std::uint32_t r = starts[i]; r < starts[i + 1]; ++r) {
      entry.references.push_back(files_[grouped[r].file] + ":" + std::to_string(grouped[r].number));
    }
    entry.flags.push_back(header.flag);
    for (std::uint32_t f = header.more_flags; f != kNone; f = more_flags_[f].next) {
      entry.flags.push_back(more_flags_[f].flag);
    }
    at = Next(at, header);
  }
  entries_made_ = true;
  return entries_;
}

std::string CatalogueBuilder::Po(std::string_view creation_date) const {
  std::string out;
  Po(creation_date, [&out](std::string_view piece) { out += piece; });
  return out;
}

std::string CatalogueBuilder::Csv() const {
  std::string out;
  Csv([&out](std::string_view piece) { out += piece; });
  return out;
}

void CatalogueBuilder::Po(std::string_view creation_date, const PieceSink& write) const {
  const bool translated = std::any_of(translations_.begin(), translations_.end(),
                                      [](const std::string& t) { return !t.empty(); });
  // Each file's name as a reference shows it, once.
  std::vector<std::string> names(files_.size());
  for (std::size_t i = 0; i < files_.size(); ++i) {
    AppendReference(files_[i], names[i]);
    names[i] += ':';
  }
  std::size_t longest_name = 0;
  for (const std::string& name : names) longest_name = std::max(longest_name, name.size());
  std::vector<std::uint32_t> starts;
  const std::vector<Reference> grouped = Grouped(&starts);
  // One piece at a time, handed on once it is full: the same few pages are
  // written over and over, where a whole catalogue in memory would cost a
  // page fault for every 4 KiB of it.
  std::string out;
  out.reserve(2 * kCataloguePiece);
  AppendPoHeader(translated, creation_date, out);
  for (std::size_t at = 0, i = 0; i < item_count_; ++i) {
    const Header header = HeaderAt(at);
    out += "\n#. flags: ";
    AppendNumber(header.flag, out);
    for (std::uint32_t f = header.more_flags; f != kNone; f = more_flags_[f].next) {
      out += ' ';
      AppendNumber(more_flags_[f].flag, out);
    }
    out += "\n#:";
    // Room for the references made at once, written by pointer, then cut.
    const std::size_t room = out.size();
    out.resize(room + (starts[i + 1] - starts[i]) * (longest_name + 12));
    char* put = out.data() + room;
    for (std::uint32_t r = starts[i]; r < starts[i + 1]; ++r) {
      *put++ = ' ';
      const std::string& name = names[grouped[r].file];
      std::memcpy(put, name.data(), name.size());
      put = std::to_chars(put + name.size(), put + name.size() + 11, grouped[r].number).ptr;
    }
    out.resize(static_cast<std::size_t>(put - out.data()));
    out += '\n';
    AppendShownPoString("msgid", TextAt(at, header), out);
    at = Next(at, header);
    if (translations_.empty() || translations_[i].empty()) {
      out += "msgstr \"\"\n";
    } else {
      AppendPoString("", "msgstr", translations_[i], out);
    }
    if (out.size() >= kCataloguePiece) {
      write(out);
      out.clear();
    }
  }
  if (!out.empty()) write(out);
}

void CatalogueBuilder::Csv(const PieceSink& write) const {
  // Each file's name as a reference shows it in a cell, once.
  std::vector<std::string> names(files_.size());
  for (std::size_t i = 0; i < files_.size(); ++i) {
    std::string name;
    AppendReference(files_[i], name);
    AppendEscaped(name, Quoting::kCsv, names[i]);
    names[i] += ':';
  }
  std::vector<std::uint32_t> starts;
  const std::vector<Reference> grouped = Grouped(&starts);
  // In pieces, as Po writes.
  std::string out;
  out.reserve(2 * kCataloguePiece);
  out += kByteOrderMark;
  out += kCsvHeaderRow;
  for (std::size_t at = 0, i = 0; i < item_count_; ++i) {
    const Header header = HeaderAt(at);
    out += '"';
    AppendShownEscaped(TextAt(at, header), Quoting::kCsv, out);
    at = Next(at, header);
    out += "\",";
    AppendCsvCell(translations_.empty() ? std::string_view() : translations_[i], out);
    out += ",,\"";
    for (std::uint32_t r = starts[i]; r < starts[i + 1]; ++r) {
      if (r != starts[i]) out += ' ';
      out += names[grouped[r].file];
      AppendNumber(grouped[r].number, out);
    }
    out += "\",";
    AppendNumber(header.flag, out);
    for (std::uint32_t f = header.more_flags; f != kNone; f = more_flags_[f].next) {
      out += ' ';
      AppendNumber(more_flags_[f].flag, out);
    }
    out += "\r\n";
    if (out.size() >= kCataloguePiece) {
      write(out);
      out.clear();
    }
  }
  if (!out.empty()) write(out);
}

std::string WritePo(const std::vector<CatalogueEntry>& entries, std::string_view creation_date) {
  const bool translated = std::any_of(entries.begin(), entries.end(), [](const CatalogueEntry& e) {
    return !e.translation.empty();
  });
  std::size_t size = 512;
  for (const CatalogueEntry& entry : entries) size += EscapedSize(entry);
  std::string out;
  out.reserve(size);
  AppendPoHeader(translated, creation_date, out);
  for (const CatalogueEntry& entry : entries) {
    out += '\n';
    const std::string_view prefix = entry.obsolete ? "#~ " : "";
    if (!entry.flags.empty()) out += "#. flags: " + FlagsText(entry.flags) + "\n";
    if (!entry.references.empty()) {
      out += "#:";
      for (const std::string& reference : entry.references) {
        out += ' ';
        AppendReference(reference, out);
      }
      out += '\n';
    }
    if (entry.fuzzy) out += "#, fuzzy\n";
    if (entry.context) AppendPoString(prefix, "msgctxt", *entry.context, out);
    AppendPoString(prefix, "msgid", entry.source, out);
    AppendPoString(prefix, "msgstr", entry.translation, out);
  }
  return out;
}

std::string WriteCsv(const std::vector<CatalogueEntry>& entries) {
  std::size_t size = 64;
  for (const CatalogueEntry& entry : entries) size += EscapedSize(entry);
  std::string out;
  out.reserve(size);
  out += kByteOrderMark;
  out += kCsvHeaderRow;
  for (const CatalogueEntry& entry : entries) {
    if (entry.obsolete || entry.context) continue;
    AppendCsvCell(entry.source, out);
    out += ',';
    AppendCsvCell(entry.translation, out);
    out += entry.fuzzy ? ",fuzzy," : ",,";
    out += '"';
    std::string references;
    for (std::size_t i = 0; i < entry.references.size(); ++i) {
      if (i > 0) references += ' ';
      AppendReference(entry.references[i], references);
    }
    AppendEscaped(references, Quoting::kCsv, out);
    out += "\",";
    out += FlagsText(entry.flags);
    out += "\r\n";
  }
  return out;
}

CatalogueReading ReadPo(std::string_view content) {
  CatalogueReading reading;
  PoReader(content, reading, nullptr).Read();
  return reading;
}

CatalogueReading ReadCsv(std::string_view content) {
  CatalogueReading reading;
  CsvReader(content, reading, nullptr).Read();
  return reading;
}

CatalogueReading ReadPo(std::string_view content, const EntrySink& take) {
  CatalogueReading reading;
  PoReader(content, reading, &take).Read();
  return reading;
}

CatalogueReading ReadCsv(std::string_view content, const EntrySink& take) {
  CatalogueReading reading;
  CsvReader(content, reading, &take).Read();
  return reading;
}

Translations::Translations(const std::vector<CatalogueEntry>& entries) {
  Reserve(entries.size(), 0);
  for (const CatalogueEntry& entry : entries) Add(entry);
}

void Translations::Reserve(std::size_t entries, std::size_t bytes) {
  by_source_.reserve(entries);
  store_.reserve(bytes);
  if (slots_.empty()) {
    std::size_t slots = 1024;
    while (slots < 2 * entries) slots *= 2;
    slots_.assign(slots, 0);
  }
}

void Translations::Add(const CatalogueEntry& entry) {
  // An obsolete entry, or one with a context, stands for no record.
  if (entry.obsolete) return;
  if (entry.context || ToCodePage(entry.source, source_)) {
    ++never_matched_;
    return;
  }
  const bool usable = entry.Usable() && !ToCodePage(entry.translation, bytes_);
  const std::size_t hash = std::hash<std::string_view>{}(source_);
  Translation* found = Find(source_, hash);
  // Of two entries with one source, the first usable one is applied.
  if (found != nullptr && (found->usable || !usable)) return;
  Translation translation;
  translation.hash = hash;
  translation.fuzzy = entry.fuzzy;
  translation.usable = usable;
  translation.source_at = store_.size();
  translation.source_size = static_cast<std::uint32_t>(source_.size());
  store_ += source_;
  if (usable) {
    translation.bytes_size = static_cast<std::uint32_t>(bytes_.size());
    store_ += bytes_;
  }
  if (found != nullptr) {
    *found = translation;
    return;
  }
  by_source_.push_back(translation);
  // Half full at most, so that a probe stays short.
  if (2 * by_source_.size() > slots_.size()) {
    slots_.assign(std::max<std::size_t>(1024, 2 * slots_.size()), 0);
    for (std::size_t i = 0; i < by_source_.size(); ++i) Place(i);
  } else {
    Place(by_source_.size() - 1);
  }
}

void Translations::Place(std::size_t index) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = by_source_[index].hash & mask;
  while (slots_[at] != 0) at = (at + 1) & mask;
  slots_[at] = static_cast<std::uint32_t>(index + 1);
}

Translations::Translation* Translations::Find(std::string_view source, std::size_t hash) {
  if (slots_.empty()) return nullptr;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask; slots_[at] != 0; at = (at + 1) & mask) {
    Translation& translation = by_source_[slots_[at] - 1];
    if (translation.hash == hash && std::string_view(store_.data() + translation.source_at,
                                                     translation.source_size) == source) {
      return &translation;
    }
  }
  return nullptr;
}

std::optional<std::string_view> Translations::Lookup(std::string_view text, std::size_t hash,
                                                     ApplyCounts& counts) {
  Translation* found = Find(text, hash);
  if (found == nullptr) {
    ++counts.kept;
    return std::nullopt;
  }
  found->matched = true;
  if (found->usable) {
    ++counts.translated;
    return std::string_view(store_.data() + found->source_at + found->source_size,
                            found->bytes_size);
  }
  ++counts.kept;
  if (found->fuzzy) ++counts.fuzzy;
  return std::nullopt;
}

std::vector<Record> Translations::Apply(std::vector<Record> records, ApplyCounts& counts) {
  for (Record& record : records) {
    if (record.text.empty()) continue;
    if (const std::optional<std::string_view> bytes =
            Lookup(record.text, std::hash<std::string_view>{}(record.text), counts)) {
      record.text = *bytes;
    }
  }
  return records;
}

std::string Translations::ApplyStream(std::string_view stream, ApplyCounts& counts) {
  // Read through once first, so that a stream that breaks off matches nothing.
  ForEachRecord(stream, [](std::int32_t, std::string_view) {});
  std::string out;
  out.reserve(stream.size() + stream.size() / 4);
  // As CatalogueBuilder::AddStream does, each record waits in a ring while
  // the table slot of the one kLead later is fetched, and the translation
  // of the one kLead / 2 later, and its stored source kLead / 4 later.
  struct Waiting {
    std::string_view text;
    std::size_t hash;
    std::int32_t flag;
  };
  constexpr std::size_t kLead = 32;
  std::array<Waiting, kLead> ring;
  std::size_t taken = 0;
  std::size_t done = 0;
  const auto put_oldest = [&] {
    if (taken - done > kLead / 2 && !slots_.empty()) {
      const Waiting& half = ring[(done + kLead / 2) % kLead];
      const std::uint32_t slot = slots_[half.hash & (slots_.size() - 1)];
      if (slot != 0) __builtin_prefetch(&by_source_[slot - 1]);
    }
    if (taken - done > kLead / 4 && !slots_.empty()) {
      const Waiting& quarter = ring[(done + kLead / 4) % kLead];
      const std::uint32_t slot = slots_[quarter.hash & (slots_.size() - 1)];
      if (slot != 0) __builtin_prefetch(store_.data() + by_source_[slot - 1].source_at);
    }
    const Waiting& oldest = ring[done++ % kLead];
    std::string_view text = oldest.text;
    if (!text.empty()) {
      if (const std::optional<std::string_view> bytes = Lookup(text, oldest.hash, counts)) {
        text = *bytes;
      }
    }
    char field[record_format::kFieldWidth];
    record_format::StoreInt32(field, static_cast<std::int32_t>(text.size()));
    out.append(field, sizeof field);
    out += text;
    record_format::StoreInt32(field, oldest.flag);
    out.append(field, sizeof field);
  };
  ForEachCheckedRecord(stream, [&](std::int32_t flag, std::string_view text) {
    const std::size_t hash = text.empty() ? 0 : std::hash<std::string_view>{}(text);
    if (!text.empty() && !slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    if (taken - done == kLead) put_oldest();
    ring[taken++ % kLead] = {text, hash, flag};
  });
  while (done < taken) put_oldest();
  return out;
}

std::size_t Translations::Unmatched() const {
  return never_matched_ +
         static_cast<std::size_t>(std::count_if(by_source_.begin(), by_source_.end(),
                                                [](const Translation& t) { return !t.matched; }));
}

}  // namespace holvane
