// SPDX-License-Identifier: MIT
// Internal to conversion/: how a catalogue shows a record's text, escapes it
// in PO or CSV and reads it back, shared by the PO form, the CSV form and
// applying. Not part of the conversion's interface.
#ifndef HOLVANE_CONVERSION_CATALOGUE_TEXT_H_
#define HOLVANE_CONVERSION_CATALOGUE_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/catalogue.h"

namespace holvane::internal {

inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A piece of the catalogue: the bytes from `begin` to `end`.
struct Span {
  std::size_t begin;
  std::size_t end;
};

// How a piece of text is escaped: PO's strings, or a CSV cell's.
enum class Quoting { kPo, kCsv };

// "0xAB": a byte as a fault tells it.
std::string ByteName(unsigned char byte);

// Why the UTF-8 at the start of `utf8` has no byte; `utf8` is not empty.
std::string NoByteCause(std::string_view utf8);

// `utf8` in code page 1251 into `bytes`, each character the byte
// CatalogueText shows as it; on a character without a byte, the offset in
// `utf8` where it starts (`bytes` then holds what came before).
std::optional<std::size_t> ToCodePage(std::string_view utf8, std::string& bytes);

// Decodes the pieces `spans` of `content`, checked already by CheckEscape,
// into `out`; with `positions`, the offset in `content` each byte of `out`
// came from. Returns whether there was an escape.
bool Decode(std::string_view content, const std::vector<Span>& spans, Quoting quoting,
            std::string& out, std::vector<std::size_t>* positions);

// The escape (a backslash) at `at` of `content`, within `end`: its length,
// or 0 with the fault in `cause`.
std::size_t CheckEscape(std::string_view content, std::size_t at, std::size_t end, Quoting quoting,
                        std::string& cause);

// Appends `reference` as a reference is written, its spaces, TABs and "%"
// as "%20", "%09" and "%25".
void AppendReference(std::string_view reference, std::string& out);

// The references of `text`, separated by spaces, into `references`, each
// as AppendReference was given it.
void AppendReferences(std::string_view text, std::vector<std::string>& references);

// Appends `text` with PO's escapes, or a CSV cell's.
void AppendEscaped(std::string_view text, Quoting quoting, std::string& out);

// Appends the code page 1251 `text` as CatalogueText shows it, with PO's
// escapes or a CSV cell's; the same as AppendEscaped(CatalogueText(text)).
void AppendShownEscaped(std::string_view text, Quoting quoting, std::string& out);

// The flags as a catalogue writes them: numbers, a space between.
std::string FlagsText(const std::vector<std::int32_t>& flags);

// About the room `entry` takes written, escapes included.
std::size_t EscapedSize(const CatalogueEntry& entry);

// Appends `value` in decimal.
void AppendNumber(std::int64_t value, std::string& out);

}  // namespace holvane::internal

#endif  // HOLVANE_CONVERSION_CATALOGUE_TEXT_H_
