// SPDX-License-Identifier: MIT
// Internal to conversion/: what the PO and the CSV readers share, the
// faults they find and the entries they make. Not part of the conversion's
// interface.
#ifndef HOLVANE_CONVERSION_CATALOGUE_READING_H_
#define HOLVANE_CONVERSION_CATALOGUE_READING_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/catalogue.h"
#include "conversion/catalogue_text.h"

namespace holvane::internal {

// The faults a reader finds, each at a byte offset of the catalogue, turned
// into a line and a column (in characters) only when one is kept.
class Faults {
 public:
  explicit Faults(std::string_view content) : content_(content) {}

  bool any() const { return count_ > 0; }

  // A fault at the byte `at`; the first in a line only, the others in it are
  // what the first one caused. Past kReportedFaults only counted.
  void Add(std::size_t at, std::string cause);

  // Hands the faults, in line order, and their count to `reading`, whose
  // entries are dropped when there is any.
  void Into(CatalogueReading& reading);

 private:
  std::size_t LineStart(std::size_t at) const;

  std::string_view content_;
  std::vector<LineFault> faults_;
  std::size_t count_ = 0;
  std::size_t last_line_start_ = 0;
};

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

// Turns a gathered entry into `reading`'s entries (or hands it to `take`,
// without its references), checking the characters of a usable
// translation, or reads the header's charset; faults go to `faults`.
class EntryMaker {
 public:
  EntryMaker(std::string_view content, Quoting quoting, Faults& faults, CatalogueReading& reading,
             const EntrySink* take)
      : content_(content), quoting_(quoting), faults_(faults), reading_(reading), take_(take) {}

  // Whether entries go to a sink, without their references.
  bool Taken() const { return take_ != nullptr; }

  // Makes the entry `gathered`, which starts at the line `line`; nothing is
  // kept or handed on once a fault has been found.
  void Make(Gathered& gathered, std::size_t line);

 private:
  bool Utf8(std::string_view decoded, const std::vector<Span>& spans);
  void CheckHeader(const std::string& header, const Gathered& gathered);

  std::string_view content_;
  Quoting quoting_;
  Faults& faults_;
  CatalogueReading& reading_;
  const EntrySink* take_;
  std::string bytes_;
};

// Whether the bytes of `content` from `start` to `end` are UTF-8; the first
// fault told to `faults` where not.
bool CheckUtf8(std::string_view content, std::size_t start, std::size_t end, Faults& faults);

}  // namespace holvane::internal

#endif  // HOLVANE_CONVERSION_CATALOGUE_READING_H_
