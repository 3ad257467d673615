// SPDX-License-Identifier: MIT
#include <algorithm>
#include <charconv>
#include <cstring>

#include "common/translation.h"
#include "conversion/catalogue.h"
#include "conversion/catalogue_reading.h"
#include "conversion/catalogue_text.h"

namespace holvane {

using namespace internal;

namespace {

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
      if (current_.has_context) faults_.Add(current_.start, Tr("msgctxt has no msgid"));
    } else if (!current_.has_str) {
      faults_.Add(at == content_.size() ? current_.id_at : at, Tr("msgid has no msgstr"));
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
        faults_.Add(at, Tr("a quoted string without msgctxt, msgid or msgstr before it"));
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
        faults_.Add(at, current_.has_str ? Tr("a second msgstr in one entry")
                                         : Tr("msgstr without msgid before it"));
        field_ = Field::kNone;
        return;
      }
      current_.has_str = true;
      field_ = Field::kStr;
    } else if (word == "msgid_plural" || word.starts_with("msgstr[")) {
      faults_.Add(
          at,
          Filled(Tr("plural forms ('{}') are not supported: the files' texts have none"), {word}));
      field_ = Field::kNone;
      return;
    } else {
      faults_.Add(at,
                  Filled(Tr("an unknown word '{}': msgctxt, msgid, msgstr, a quoted string or a "
                            "comment '#' is expected"),
                         {word}));
      return;
    }
    if (string_at == end || content_[string_at] != '"') {
      faults_.Add(string_at, Filled(Tr("a quoted string must follow {}"), {word}));
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
      faults_.Add(at, Tr("the string is not closed by a quote before the end of the line"));
      return;
    }
    const std::size_t after = SkipSpaces(p + 1, end);
    if (after != end) {
      faults_.Add(after, Tr("something more after the closing quote"));
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

}  // namespace

std::string CatalogueBuilder::Po(std::string_view creation_date) const {
  std::string out;
  Po(creation_date, [&out](std::string_view piece) { out += piece; });
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

CatalogueReading ReadPo(std::string_view content) {
  CatalogueReading reading;
  PoReader(content, reading, nullptr).Read();
  return reading;
}

CatalogueReading ReadPo(std::string_view content, const EntrySink& take) {
  CatalogueReading reading;
  PoReader(content, reading, &take).Read();
  return reading;
}

}  // namespace holvane
