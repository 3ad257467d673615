// SPDX-License-Identifier: MIT
#include "conversion/catalogue_reading.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "common/translation.h"
#include "text/code_page_1251.h"
#include "text/unicode.h"

// Both readers find their faults as byte offsets into the whole catalogue
// and turn them into a line and a column only when one is told, so the
// common path keeps no positions. A translation's characters are checked
// against code page 1251 as it is read, and only one that fails is decoded
// again with the position of each byte.

namespace holvane::internal {

void Faults::Add(std::size_t at, std::string cause) {
  const std::size_t line_start = LineStart(at);
  if (any() && line_start == last_line_start_) return;
  last_line_start_ = line_start;
  if (++count_ > kReportedFaults) return;
  const std::size_t line =
      1 + static_cast<std::size_t>(std::count(
              content_.begin(), content_.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
  const std::size_t column =
      1 + static_cast<std::size_t>(
              std::count_if(content_.begin() + static_cast<std::ptrdiff_t>(line_start),
                            content_.begin() + static_cast<std::ptrdiff_t>(at),
                            [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
  faults_.push_back({line, column, std::move(cause)});
}

void Faults::Into(CatalogueReading& reading) {
  // Faults are found in the order of the catalogue but for a translation's
  // characters, found when its entry ends; they are told in line order.
  std::stable_sort(faults_.begin(), faults_.end(),
                   [](const LineFault& a, const LineFault& b) { return a.line < b.line; });
  reading.faults = std::move(faults_);
  reading.fault_count = count_;
  if (count_ > 0) reading.entries.clear();
}

std::size_t Faults::LineStart(std::size_t at) const {
  const std::size_t newline = content_.rfind('\n', at == 0 ? 0 : at - 1);
  return at == 0 || newline == std::string_view::npos ? 0 : newline + 1;
}

void EntryMaker::Make(Gathered& gathered, std::size_t line) {
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

// Whether `decoded`, decoded from `spans`, is UTF-8; a fault where not.
bool EntryMaker::Utf8(std::string_view decoded, const std::vector<Span>& spans) {
  for (std::size_t at = 0; at < decoded.size();) {
    char32_t code_point = 0;
    const std::size_t taken = text::DecodeUtf8Character(decoded.substr(at), code_point);
    if (taken == 0) {
      std::vector<std::size_t> positions;
      std::string again;
      Decode(content_, spans, quoting_, again, &positions);
      faults_.Add(positions[at],
                  Filled(Tr("the escape sequences give the byte {}, which is not of a UTF-8 text"),
                         {ByteName(static_cast<unsigned char>(decoded[at]))}));
      return false;
    }
    at += taken;
  }
  return true;
}

void EntryMaker::CheckHeader(const std::string& header, const Gathered& gathered) {
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
                Filled(Tr("the catalogue's charset '{}' is not supported: it must be UTF-8 "
                          "(charset=UTF-8 in Content-Type)"),
                       {charset}));
    return;
  }
}

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
      faults.Add(at,
                 Filled(Tr(text::kNotUtf8), {ByteName(static_cast<unsigned char>(content[at]))}));
      return false;
    }
    at += taken;
  }
  return true;
}

}  // namespace holvane::internal
