// SPDX-License-Identifier: MIT
#include "conversion/catalogue.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "common/file_system.h"
#include "conversion/catalogue_text.h"
#include "conversion/record_format.h"
#include "conversion/record_stream.h"

// Catalogues (docs/format.md, "Catalogues"): the entries gathered from the
// record streams, and a catalogue's translations applied onto them. The PO
// and the CSV forms are in po_form.cc and csv_form.cc.

namespace holvane {

using namespace internal;

namespace {

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
  files_.emplace_back(file);
  file_starts_.push_back(met_.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    Add(static_cast<std::uint32_t>(i + 1), records[i].text, records[i].flag);
  }
}

void CatalogueBuilder::AddStream(std::string_view file, std::string_view stream) {
  // Read through once first, so that a stream that breaks off adds nothing.
  std::size_t count = 0;
  ForEachRecord(stream, [&count](std::int32_t, std::string_view) { ++count; });
  entries_made_ = false;
  files_.emplace_back(file);
  file_starts_.push_back(met_.size());
  if (met_.size() + count > met_.capacity()) {
    met_.reserve(std::max(met_.size() + count, met_.capacity() + met_.capacity() / 2));
    PreferLargePages(met_.data(), met_.capacity() * sizeof(Met));
  }
  // Every text new, at most: room reserved is not memory used until written,
  // and the store is never copied as it fills.
  Reserve(stream.size() + count * (sizeof(Header) + 8));
  // A table for one new text in two records, made at once: each doubling
  // on the way would write a table as large as the last. (For every
  // record, the table would be twice as large when most texts repeat.)
  if (2 * (item_count_ + count / 2) > slots_.size()) Grow(item_count_ + count / 2);
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
    Add(oldest.number, oldest.text, oldest.flag, oldest.hash);
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

std::uint64_t CatalogueBuilder::HashOf(std::string_view text) {
  // Most texts are short: eight bytes at a time, each word mixed in by a
  // multiply, the last word read overlapping the one before rather than
  // byte by byte; a text under eight bytes read as two overlapping halves.
  // Only the table sees the hash, never the output.
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15;
  const auto mix = [](std::uint64_t hash, std::uint64_t word) {
    hash = (hash ^ word) * kMultiplier;
    return hash ^ (hash >> 32);
  };
  const char* data = text.data();
  const std::size_t size = text.size();
  std::uint64_t hash = size * kMultiplier;
  if (size >= 8) {
    std::uint64_t word = 0;
    for (std::size_t at = 0; at + 8 < size; at += 8) {
      std::memcpy(&word, data + at, 8);
      hash = mix(hash, word);
    }
    std::memcpy(&word, data + size - 8, 8);
    hash = mix(hash, word);
  } else if (size >= 4) {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::memcpy(&first, data, 4);
    std::memcpy(&last, data + size - 4, 4);
    hash = mix(hash, (std::uint64_t{first} << 32) | last);
  } else if (size > 0) {
    const auto byte = [data](std::size_t at) {
      return std::uint64_t{static_cast<unsigned char>(data[at])};
    };
    hash = mix(hash, (byte(0) << 16) | (byte(size / 2) << 8) | byte(size - 1));
  }
  // The high bits, which choose the slot, from every bit of the last word.
  hash *= 0xFF51AFD7ED558CCD;
  return hash ^ (hash >> 29);
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

void CatalogueBuilder::Grow(std::size_t items) {
  // Half full at most, so that a probe stays short. A slot starts at its
  // hash's highest bits, which the slot itself holds: the table is rebuilt
  // from the old one alone, in order, without a look at any entry.
  int bits = std::max(10, slot_bits_ + 1);
  while ((std::size_t{1} << bits) < 2 * items) ++bits;
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

void CatalogueBuilder::Add(std::uint32_t number, std::string_view text, std::int32_t flag) {
  if (text.empty()) return;
  Add(number, text, flag, HashOf(text));
}

void CatalogueBuilder::Add(std::uint32_t number, std::string_view text, std::int32_t flag,
                           std::uint64_t hash) {
  if (2 * (item_count_ + 1) > slots_.size()) Grow(item_count_ + 1);
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
      met_.push_back({item, number});
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
        met_.push_back({header.item, number});
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
  // Each entry's start is its cursor while placing, which leaves it at the
  // next entry's start; shifted by one, the starts are back.
  starts->assign(item_count_ + 1, 0);
  for (const Met& met : met_) ++(*starts)[met.item + 1];
  for (std::size_t i = 0; i < item_count_; ++i) (*starts)[i + 1] += (*starts)[i];
  std::vector<Reference> grouped;
  grouped.reserve(met_.size());
  PreferLargePages(grouped.data(), grouped.capacity() * sizeof(Reference));
  grouped.resize(met_.size());
  for (std::size_t file = 0; file < file_starts_.size(); ++file) {
    const std::size_t end = file + 1 < file_starts_.size() ? file_starts_[file + 1] : met_.size();
    for (std::size_t m = file_starts_[file]; m < end; ++m) {
      grouped[(*starts)[met_[m].item]++] = {static_cast<std::uint32_t>(file), met_[m].number};
    }
  }
  std::copy_backward(starts->begin(), starts->end() - 1, starts->end());
  (*starts)[0] = 0;
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
