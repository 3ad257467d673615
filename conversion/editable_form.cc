// SPDX-License-Identifier: MIT
#include "conversion/editable_form.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "common/translation.h"
#include "text/code_page_1251.h"
#include "text/escapes.h"
#include "text/unicode.h"

namespace holvane {

namespace {

constexpr std::string_view kEditableSuffix = ".edit.txt";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::int64_t kFlagLimit = std::int64_t{1} << 31;

// "U+0401", "U+1F600".
std::string CodePointName(char32_t code_point) {
  return "U+" + text::HexDigits(code_point, 4, text::HexCase::kUpper);
}

std::string ByteName(unsigned char byte) {
  return "0x" + text::HexDigits(byte, 2, text::HexCase::kUpper);
}

// A fault at the byte `at` of its line.
struct Fault {
  std::size_t at;
  std::string cause;
};

// A byte that stands for itself in either encoding: printable ASCII and
// TAB (an editor's, or a person's, kept as typed).
bool IsPlain(unsigned char byte) {
  return (byte >= 0x20 && byte < 0x7F && byte != '\\') || byte == '\t';
}

class LineReader {
 public:
  LineReader(TextEncoding encoding, const EditableLimits& limits, std::string& stream)
      : utf8_(encoding == TextEncoding::kUtf8), limits_(limits), stream_(stream) {}

  // Appends the entry of `line`, its line break taken off, to the stream;
  // or leaves the stream as it was and gives the line's first fault.
  std::optional<Fault> Read(std::string_view line) {
    const std::size_t entry = stream_.size();
    std::optional<Fault> fault = ReadEntry(line, entry);
    if (fault) stream_.resize(entry);
    return fault;
  }

  // The column of the byte `at` of `line`: its characters before it, plus
  // one. Everything before a fault has been read as characters.
  std::size_t Column(std::string_view line, std::size_t at) const {
    if (!utf8_) return at + 1;
    return 1 + static_cast<std::size_t>(std::count_if(
                   line.begin(), line.begin() + static_cast<std::ptrdiff_t>(at),
                   [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
  }

 private:
  std::optional<Fault> ReadEntry(std::string_view line, std::size_t entry) {
    std::int32_t flag = 0;
    std::size_t at = 1;
    if (line.empty()) return Fault{0, Tr("an empty line: no record mark '+', '-' or '?'")};
    switch (line[0]) {
      case '+':
        flag = record_format::kTrue;
        break;
      case '-':
        flag = record_format::kFalse;
        break;
      case '?':
        if (auto fault = ReadFlag(line, at, flag)) return fault;
        break;
      default:
        return Fault{0, Tr("no record mark: a line must begin with '+', '-' or '?'")};
    }
    using record_format::kFieldWidth;
    // The length field is written once the text is read and its length known.
    stream_.append(kFieldWidth, '\0');
    const std::size_t text = stream_.size();
    if (auto fault = ReadText(line, at, text)) return fault;
    const std::size_t length = stream_.size() - text;
    record_format::StoreInt32(stream_.data() + entry, static_cast<std::int32_t>(length));
    stream_.append(kFieldWidth, '\0');
    record_format::StoreInt32(stream_.data() + stream_.size() - kFieldWidth, flag);
    if (static_cast<std::int64_t>(stream_.size()) > limits_.stream) {
      return Fault{0, Filled(Tr("a record stream longer than {} bytes: its 32-bit positions "
                                "cannot hold that many"),
                             {std::to_string(limits_.stream)})};
    }
    return std::nullopt;
  }

  // "?", an optional minus, decimal digits, one space; `at` is past the "?"
  // and is left past the space.
  static std::optional<Fault> ReadFlag(std::string_view line, std::size_t& at, std::int32_t& flag) {
    const std::size_t number = at;
    const bool negative = at < line.size() && line[at] == '-';
    if (negative) ++at;
    const std::size_t digits = at;
    std::int64_t value = 0;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9') {
      value = std::min(value * 10 + (line[at] - '0'), kFlagLimit + 1);
      ++at;
    }
    if (at == digits) return Fault{number, Tr("a flag number must follow '?'")};
    if (value > (negative ? kFlagLimit : kFlagLimit - 1)) {
      std::string written(line.substr(number, std::min<std::size_t>(at - number, 24)));
      if (at - number > written.size()) written += "…";
      return Fault{number,
                   Filled(Tr("the flag {} is outside the 32-bit range: -2147483648 to 2147483647"),
                          {written})};
    }
    flag = static_cast<std::int32_t>(negative ? -value : value);
    if (at >= line.size() || line[at] != ' ') {
      return Fault{at, Tr("the flag number must be followed by a space, then the text")};
    }
    ++at;
    return std::nullopt;
  }

  // The text from `at` to the line's end, its bytes appended to the stream
  // from `text` on. A text has no more bytes than the line has left, so they
  // are written into room made for that many, then the rest is cut off.
  std::optional<Fault> ReadText(std::string_view line, std::size_t at, std::size_t text) {
    const std::size_t most = line.size() - at;
    // Only a line longer than a text may be needs its bytes counted.
    const bool limited = static_cast<std::int64_t>(most) > limits_.text;
    stream_.resize(text + most);
    char* const start = stream_.data() + text;
    char* out = start;
    while (at < line.size()) {
      if (limited && out - start >= limits_.text) [[unlikely]] {
        return Fault{at, Filled(Tr("a text longer than {} bytes: a record's length field "
                                   "cannot hold that many"),
                                {std::to_string(limits_.text)})};
      }
      const auto byte = static_cast<unsigned char>(line[at]);
      if (IsPlain(byte) || (!utf8_ && byte >= 0x80)) {
        *out++ = static_cast<char>(byte);
        ++at;
        continue;
      }
      // А to я, the most of a Russian text, without a search.
      if (utf8_ && (byte == 0xD0 || byte == 0xD1) && at + 1 < line.size()) {
        const auto next = static_cast<unsigned char>(line[at + 1]);
        const char32_t code_point = (char32_t{byte} & 0x1F) << 6 | (next & 0x3F);
        if ((next & 0xC0) == 0x80 && code_point >= 0x0410 && code_point <= 0x044F) {
          *out++ = static_cast<char>(code_point - 0x0410 + 0xC0);
          at += 2;
          continue;
        }
      }
      unsigned char value = 0;
      std::size_t taken = 0;
      if (byte == '\\') {
        taken = text::ReadEscape(line.substr(at), value);
        if (taken == 0) return BadEscape(line, at);
      } else if (byte < 0x80) {
        return Fault{at, Filled(Tr("the control character {} in a text: write it as {}"),
                                {CodePointName(byte), text::EscapeOf(byte)})};
      } else {
        char32_t code_point = 0;
        taken = text::DecodeUtf8Character(line.substr(at), code_point);
        if (taken == 0) return Fault{at, Filled(Tr(text::kNotUtf8), {ByteName(byte)})};
        const std::optional<unsigned char> mapped = text::CodePage1251Byte(code_point);
        if (!mapped) {
          const std::string character(line.substr(at, taken));
          const std::string name = CodePointName(code_point);
          return Fault{at, code_point == 0xFFFD
                               ? Filled(Tr("the character '{}' ({}) has no place in code page "
                                           "1251; the byte 0x98 is written as \\x98"),
                                        {character, name})
                               : Filled(Tr(text::kNotIn1251), {character, name})};
        }
        value = *mapped;
      }
      *out++ = static_cast<char>(value);
      at += taken;
    }
    stream_.resize(static_cast<std::size_t>(out - stream_.data()));
    return std::nullopt;
  }

  static Fault BadEscape(std::string_view line, std::size_t at) {
    // The backslash and what follows it, as far as it looks like an escape.
    std::size_t end = at + 1;
    const std::size_t most = end < line.size() && line[end] == 'x' ? at + 4 : at + 2;
    while (end < std::min(most, line.size()) && line[end] > 0x20 && line[end] < 0x7F) ++end;
    return Fault{at, Filled(Tr("a bad escape sequence '{}': write \\\\, \\r, \\n, \\t or \\xNN"),
                            {line.substr(at, end - at)})};
  }

  const bool utf8_;
  const EditableLimits& limits_;
  std::string& stream_;
};

}  // namespace

std::filesystem::path EditablePathFor(const std::filesystem::path& input) {
  std::filesystem::path result = input;
  result += kEditableSuffix;
  return result;
}

std::filesystem::path PackedPathFor(const std::filesystem::path& editable) {
  const std::filesystem::path::string_type name = editable.filename().native();
  const std::filesystem::path::string_type suffix(kEditableSuffix.begin(), kEditableSuffix.end());
  if (name.size() <= suffix.size() || !name.ends_with(suffix)) return {};
  return editable.parent_path() / name.substr(0, name.size() - suffix.size());
}

text::PackedCharacters<EditableCharacter> MakeEditableCharacters(TextEncoding encoding) {
  return text::MakePackedCharacters<EditableCharacter>([encoding](unsigned char byte) {
    std::string shown;
    if (text::IsEscaped(byte)) {
      shown = text::EscapeOf(byte);
    } else if (encoding == TextEncoding::kUtf8) {
      text::AppendUtf8(text::CodePage1251Character(byte), shown);
    } else {
      shown.assign(1, static_cast<char>(byte));
    }
    return shown;
  });
}

EditableReading ReadEditable(std::string_view content, TextEncoding encoding,
                             const EditableLimits& limits) {
  EditableReading reading;
  if (encoding == TextEncoding::kUtf8 && content.starts_with(kByteOrderMark)) {
    content.remove_prefix(kByteOrderMark.size());
  }
  // An entry's fields take 8 bytes, its marker and line break at least 2,
  // and a text's bytes are never more than the characters that stand for
  // them: one allocation holds the whole stream.
  const auto lines = static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n'));
  reading.stream.reserve(content.size() + 6 * (lines + 1));
  LineReader reader(encoding, limits, reading.stream);
  std::size_t number = 0;
  while (!content.empty()) {
    ++number;
    const std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    if (std::optional<Fault> fault = reader.Read(line)) {
      if (++reading.fault_count <= kReportedFaults) {
        reading.faults.push_back({number, reader.Column(line, fault->at), std::move(fault->cause)});
      }
    }
  }
  if (reading.fault_count > 0) {
    reading.stream = std::string();
  } else {
    reading.entries = number;
  }
  return reading;
}

std::string FaultLine(std::string_view file_name, const LineFault& fault) {
  return std::string(file_name) + ":" + std::to_string(fault.line) + ":" +
         std::to_string(fault.column) + ": " + fault.cause;
}

}  // namespace holvane
