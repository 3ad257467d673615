// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cstring>

#include "common/translation.h"
#include "conversion/catalogue.h"
#include "conversion/catalogue_reading.h"
#include "conversion/catalogue_text.h"

namespace holvane {

using namespace internal;

namespace {

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
                  Tr("no header row with the columns 'source' and 'target'"));
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
            faults_.Add(open, Tr("a quoted cell is not closed before the end of the file"));
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
          if (good)
            faults_.Add(at, Tr("a comma or the end of the line must follow the closing quote"));
          good = false;
          while (at < content_.size() && content_[at] != ',' && content_[at] != '\n') ++at;
        }
      } else {
        const std::size_t start = at;
        while (at < content_.size() && content_[at] != ',' && content_[at] != '\n') {
          if (content_[at] == '"' && good) {
            faults_.Add(at, Tr("a quote inside a cell without quotes: put the cell in quotes and "
                               "double the quote"));
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
    faults_.Add(row_at, Filled(Tr("the header row has no column '{}'"),
                               {source_ ? kTargetColumn : kSourceColumn}));
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

void AppendCsvCell(std::string_view text, std::string& out) {
  out += '"';
  AppendEscaped(text, Quoting::kCsv, out);
  out += '"';
}

}  // namespace

std::string CatalogueBuilder::Csv() const {
  std::string out;
  Csv([&out](std::string_view piece) { out += piece; });
  return out;
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

CatalogueReading ReadCsv(std::string_view content) {
  CatalogueReading reading;
  CsvReader(content, reading, nullptr).Read();
  return reading;
}

CatalogueReading ReadCsv(std::string_view content, const EntrySink& take) {
  CatalogueReading reading;
  CsvReader(content, reading, &take).Read();
  return reading;
}

}  // namespace holvane
