// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_CATALOGUE_H_
#define HOLVANE_CONVERSION_CATALOGUE_H_

// Translation catalogues of the files' texts (docs/format.md, "Catalogues"):
// one entry for each distinct non-empty text, written as a gettext PO file or
// as CSV (written and read in po_form.cc and csv_form.cc), read back, and applied onto
// record streams.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "conversion/editable_form.h"

namespace holvane {

// One record of a record stream: its text's code page 1251 bytes and its flag.
struct Record {
  std::string text;
  std::int32_t flag = 0;
};

// The records of `stream`, a whole record stream in memory. A stream that
// breaks off throws RunTimeError as RenderRecordStream does.
std::vector<Record> ReadRecords(std::string_view stream);

// The record stream that holds `records`, in order.
std::string WriteRecords(const std::vector<Record>& records);

// A text's code page 1251 bytes as a catalogue shows them, in UTF-8: each
// byte's character; 0x98, which has none, as U+FFFD; the control bytes but
// TAB, LF and CR (00-1F, 7F) as their control pictures, U+2400 + the byte
// (7F as U+2421).
std::string CatalogueText(std::string_view cp1251);

// `seconds` since 1970-01-01 00:00 UTC as a PO header's date:
// "YYYY-MM-DD hh:mm+0000".
std::string CatalogueDate(std::int64_t seconds);

// Takes a catalogue's bytes in pieces, in order; what it throws ends the
// writing and goes on.
using PieceSink = std::function<void(std::string_view)>;

// About how many bytes CatalogueBuilder hands on at a time.
inline constexpr std::size_t kCataloguePiece = std::size_t{1} << 18;

// One entry of a catalogue.
struct CatalogueEntry {
  std::string source;                   // CatalogueText of the records' text
  std::string translation;              // UTF-8; empty: none
  std::vector<std::string> references;  // "FILE:N", N the record's number from 1
  std::vector<std::int32_t> flags;      // the records' flags, each once, as met
  std::optional<std::string> context;   // a PO msgctxt: such an entry stands for no record
  bool fuzzy = false;
  bool obsolete = false;
  std::size_t line = 0;  // where the entry starts in what it was read from (0: made)

  // Whether applying uses the translation, as msgfmt does.
  bool Usable() const { return !translation.empty() && !fuzzy && !obsolete; }
};

// Gathers the entries of a catalogue from files, in the order of first
// appearance; identical texts share one entry. Empty texts are left out.
class CatalogueBuilder {
 public:
  // Adds the records of the file named `file` (its path relative to the PATH
  // it came from, in UTF-8 with '/' between folders, as references show it).
  void AddFile(std::string_view file, const std::vector<Record>& records);

  // The same for the records of the whole record stream `stream`; a stream
  // that breaks off throws RunTimeError as ReadRecords does, and adds nothing.
  void AddStream(std::string_view file, std::string_view stream);

  // Fills in the translation of every entry whose source a usable entry of
  // `previous` has, from that entry; returns how many were filled.
  std::size_t TakeTranslations(const std::vector<CatalogueEntry>& previous);

  // How many entries there are.
  std::size_t size() const { return item_count_; }

  // The entries, made when first asked for after a change.
  const std::vector<CatalogueEntry>& entries() const;

  // WritePo(entries(), creation_date) and WriteCsv(entries()), byte for byte,
  // written without making the entries.
  std::string Po(std::string_view creation_date) const;
  std::string Csv() const;

  // The same bytes handed to `write` as they are made, in pieces of about
  // kCataloguePiece bytes (an entry is never split), so that the whole
  // catalogue is never held in memory.
  void Po(std::string_view creation_date, const PieceSink& write) const;
  void Csv(const PieceSink& write) const;

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;
  // An entry, kept in store_ as this header, then its text's code page 1251
  // bytes, padded to a multiple of 8; entries lie there in the order made.
  // Its flags after the first are a chain in more_flags_; its references are
  // in met_.
  struct Header {
    std::uint32_t text_size;
    std::uint32_t item;  // the entry's number, from 0
    std::int32_t flag;
    std::uint32_t more_flags;
  };
  struct Reference {
    std::uint32_t file;
    std::uint32_t number;  // from 1
  };
  // A record met: its entry and its number; its file is the last one whose
  // first record met_ held before it (file_starts_).
  struct Met {
    std::uint32_t item;
    std::uint32_t number;
  };
  struct MoreFlag {
    std::int32_t flag;
    std::uint32_t next = kNone;
  };

  void Add(std::uint32_t number, std::string_view text, std::int32_t flag);
  // A non-empty text whose HashOf is `hash`.
  void Add(std::uint32_t number, std::string_view text, std::int32_t flag, std::uint64_t hash);
  // A text's hash, its high 32 bits as good as the rest.
  static std::uint64_t HashOf(std::string_view text);
  // The slot a hash's probe starts at: its highest bits.
  std::size_t SlotOf(std::uint64_t hash) const { return hash >> (64 - slot_bits_); }
  // Room in the table for `items` entries, half full at most.
  void Grow(std::size_t items);
  // Room in store_ for `bytes` more, grown by half at least.
  void Reserve(std::size_t bytes);
  Header HeaderAt(std::size_t at) const;
  std::string_view TextAt(std::size_t at, const Header& header) const {
    return {store_.data() + at + sizeof(Header), header.text_size};
  }
  // Where the entry after the one at `at` starts.
  static std::size_t Next(std::size_t at, const Header& header) {
    return at + sizeof(Header) + ((header.text_size + 7) & ~std::size_t{7});
  }

  std::vector<std::string> files_;
  std::string store_;
  std::size_t item_count_ = 0;
  // Open addressing: the high 32 bits of a text's hash, then the place of its
  // entry in store_ / 8 + 1 (a store under 32 GiB); 0 free. 2^slot_bits_ of
  // them, or none.
  std::vector<std::uint64_t> slots_;
  int slot_bits_ = 0;
  std::vector<Met> met_;                  // in the order the records were met
  std::vector<std::size_t> file_starts_;  // by file: where its records start in met_

  // The references of every entry, entry by entry: those of entry i from
  // (*starts)[i] to (*starts)[i + 1].
  std::vector<Reference> Grouped(std::vector<std::uint32_t>* starts) const;
  std::vector<MoreFlag> more_flags_;
  std::vector<std::string> translations_;  // by item; empty until one is taken
  mutable std::vector<CatalogueEntry> entries_;
  mutable bool entries_made_ = true;
};

// What reading a catalogue gives: its entries, or the faults of its lines
// (LineFault as the editable form's, lines and columns from 1, columns in
// characters). A usable translation with a character code page 1251 cannot
// hold is a fault at that character.
struct CatalogueReading {
  std::vector<CatalogueEntry> entries;
  std::vector<LineFault> faults;  // the first kReportedFaults
  std::size_t fault_count = 0;
};

// Each entry handed to `take` as it is read, without its references, instead
// of kept in `entries` (ReadPo and ReadCsv with a sink): for applying a
// catalogue without holding it as entries. An entry is handed only while no
// fault has been found, but a later line may still have one: what was taken
// is then void.
using EntrySink = std::function<void(CatalogueEntry&&)>;

// What applying a catalogue did, over every file it was applied to.
struct ApplyCounts {
  std::int64_t translated = 0;  // records given a translation
  std::int64_t kept = 0;        // non-empty records without a usable one
  std::int64_t fuzzy = 0;       // of those, the ones whose entry is fuzzy
};

// A catalogue's usable translations, by the code page 1251 bytes of their
// source, ready to apply.
class Translations {
 public:
  // From entries read without fault (every usable translation encodable).
  explicit Translations(const std::vector<CatalogueEntry>& entries);
  Translations() = default;

  // Adds the entry read after those already added, as the constructor does.
  void Add(const CatalogueEntry& entry);

  // Room for `entries` entries and `bytes` bytes of sources and translations,
  // made before the first Add: what a large catalogue needs, and no more.
  void Reserve(std::size_t entries, std::size_t bytes);

  // `records` with every text that has a usable translation replaced by it;
  // the number, order and flags of the records stay. Counts into `counts`.
  std::vector<Record> Apply(std::vector<Record> records, ApplyCounts& counts);

  // The same for the whole record stream `stream`: the record stream
  // WriteRecords(Apply(ReadRecords(stream))) gives. A stream that breaks off
  // throws RunTimeError as ReadRecords does, and neither counts nor matches.
  std::string ApplyStream(std::string_view stream, ApplyCounts& counts);

  // How many entries of the catalogue no applied record has matched so far.
  std::size_t Unmatched() const;

 private:
  // A source and its translation, both code page 1251 bytes in store_, the
  // translation right after the source.
  struct Translation {
    std::size_t source_at = 0;
    std::size_t hash = 0;
    std::uint32_t source_size = 0;
    std::uint32_t bytes_size = 0;
    bool usable = false;
    bool fuzzy = false;
    bool matched = false;
  };

  // The translation of records whose text is `text`, of std::hash `hash`,
  // counted into `counts`; none when the text is to stay.
  std::optional<std::string_view> Lookup(std::string_view text, std::size_t hash,
                                         ApplyCounts& counts);
  Translation* Find(std::string_view source, std::size_t hash);
  void Place(std::size_t index);

  std::string store_;
  std::vector<Translation> by_source_;
  std::vector<std::uint32_t> slots_;  // open addressing: an index of by_source_ + 1, 0 free
  // Entries no record can match: a source code page 1251 cannot hold, or a
  // context.
  std::size_t never_matched_ = 0;
  std::string source_, bytes_;  // Add's room
};

// ---------------------------------------------------------------------------
// The two forms of a catalogue on disk (docs/format.md, "Catalogues"), each
// written and read back in a file of its own; CatalogueBuilder::Po and ::Csv
// write the same forms.

// The catalogue as a PO file: UTF-8, with its header; a template (every
// msgstr empty, the header's fields left as a template has them) when no
// entry is translated. `creation_date` is the POT-Creation-Date to write
// ("YYYY-MM-DD hh:mm+0000"), from SOURCE_DATE_EPOCH or the clock.
std::string WritePo(const std::vector<CatalogueEntry>& entries, std::string_view creation_date);

// The PO catalogue `content` read, as CatalogueReading tells; with `take`,
// each entry handed to it as EntrySink tells.
CatalogueReading ReadPo(std::string_view content);
CatalogueReading ReadPo(std::string_view content, const EntrySink& take);

// The catalogue as CSV (RFC 4180, UTF-8 with a byte-order mark, CR LF): a
// header row, then a row per entry; TAB, LF, CR and backslash inside a cell
// as \t, \n, \r, \\.
std::string WriteCsv(const std::vector<CatalogueEntry>& entries);

// The CSV catalogue `content` read, as CatalogueReading tells; with `take`,
// each entry handed to it as EntrySink tells.
CatalogueReading ReadCsv(std::string_view content);
CatalogueReading ReadCsv(std::string_view content, const EntrySink& take);

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_CATALOGUE_H_
