// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_EDITABLE_FORM_H_
#define HOLVANE_CONVERSION_EDITABLE_FORM_H_

// The editable form (docs/format.md, "The editable form"): a file's texts for
// editing, lossless, one line an entry, "+" or "-" or "?FLAG " before its
// text, every byte that would break the line or has no character escaped.
// Its names, the layout the renderer writes it with, and its reading back.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_system.h"
#include "conversion/record_format.h"
#include "conversion/record_stream.h"
#include "text/code_page_1251.h"

namespace holvane {

// The editable text of an input: its whole name with ".edit.txt" appended
// ("game.wvl" gives "game.wvl.edit.txt"), so that the ".txt" stays what the
// window writes.
std::filesystem::path EditablePathFor(const std::filesystem::path& input);

// The *.wvl file an editable text names: its name without ".edit.txt"
// ("game.wvl.edit.txt" gives "game.wvl"); empty for a name that does not end
// so, or is nothing else.
std::filesystem::path PackedPathFor(const std::filesystem::path& editable);

// A byte as an editable line shows it: its one to four bytes.
using EditableCharacter = std::uint64_t;
// The table EditableCharacters holds, made anew on each call: each byte's
// escape (text/escapes.h), or else the byte itself, as it is or in UTF-8.
text::PackedCharacters<EditableCharacter> MakeEditableCharacters(TextEncoding encoding);

// Every byte of code page 1251 as an editable line in `kEncoding` shows it,
// made once.
template <TextEncoding kEncoding>
const text::PackedCharacters<EditableCharacter>& EditableCharacters() {
  static const text::PackedCharacters<EditableCharacter> table = MakeEditableCharacters(kEncoding);
  return table;
}

// The layout the renderer writes the editable form with; see ReadableLayout
// (conversion/readable_form.h) for what each member is.
template <TextEncoding kEncoding, LineBreak kBreak>
struct EditableLayout {
  static constexpr std::string_view kLineBreak = kBreak == LineBreak::kCrLf ? "\r\n" : "\n";
  // An escape, "\xNN", is the longest a byte becomes.
  static constexpr std::size_t kGrowth = 4;
  // "?-2147483648 " and a line break.
  static constexpr std::size_t kAdded = 13 + kLineBreak.size();
  static constexpr std::size_t kOverrun = sizeof(EditableCharacter);

  static char* PutMarker(char* out, std::int32_t flag) {
    if (flag == record_format::kTrue) {
      *out = '+';
      return out + 1;
    }
    if (flag == record_format::kFalse) {
      *out = '-';
      return out + 1;
    }
    *out = '?';
    char* end = std::to_chars(out + 1, out + 12, flag).ptr;
    *end = ' ';
    return end + 1;
  }

  static char* PutText(char* out, const char* text, std::size_t n) {
    return text::PutPackedCharacters(out, text, n, EditableCharacters<kEncoding>());
  }

  static std::size_t AppendLine(WritableFile& target, std::int32_t flag, const char* text,
                                std::size_t n) {
    std::string line(kAdded + n * kGrowth + kOverrun, '\0');
    char* out = PutText(PutMarker(line.data(), flag), text, n);
    std::memcpy(out, kLineBreak.data(), kLineBreak.size());
    line.resize(static_cast<std::size_t>(out + kLineBreak.size() - line.data()));
    target.Append(line);
    return line.size();
  }
};

// A line of an editable text that cannot be read, where and why.
struct LineFault {
  std::size_t line;    // counted from 1
  std::size_t column;  // in characters, counted from 1
  std::string cause;   // in Russian, naming no file
};

// What reading an editable text gives: the record stream it describes, or
// the faults of its lines.
struct EditableReading {
  // The record stream, the entries in the order of the lines; empty when
  // any line is at fault.
  std::string stream;
  // The faults of the first kReportedFaults lines at fault, in line order.
  std::vector<LineFault> faults;
  // How many lines are at fault in all.
  std::size_t fault_count = 0;
  // How many entries the stream holds (0 when any line is at fault).
  std::size_t entries = 0;
};

// A person mends a handful of lines at a time; a file that is not an
// editable text at all would bury the first lines in thousands more.
inline constexpr std::size_t kReportedFaults = 10;

// The limits a record stream's fields set; smaller ones only for tests.
struct EditableLimits {
  std::int64_t text = record_format::kLongestText;
  std::int64_t stream = record_format::kLongestStream;
};

// Reads `content`, an editable text in `encoding` (docs/format.md, "Reading
// it back"): every line is one entry; each line at fault is one fault, the
// first found in it, and reading goes on with the next line. Never throws
// but std::bad_alloc.
EditableReading ReadEditable(std::string_view content, TextEncoding encoding,
                             const EditableLimits& limits = {});

// The line that tells of `fault` in the file named `file_name`, in the form
// compilers give, which editors jump to: "FILE:LINE:COLUMN: CAUSE", no line
// break. `file_name` is put in as it is: whoever shows the line escapes it.
std::string FaultLine(std::string_view file_name, const LineFault& fault);

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_EDITABLE_FORM_H_
