// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_EDITABLE_READER_H_
#define HOLVANE_CONVERSION_EDITABLE_READER_H_

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/text_form.h"

namespace holvane {

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
  // The bytes one text may hold: what a length field holds.
  std::int64_t text = std::numeric_limits<std::int32_t>::max();
  // The bytes of the whole stream, so that every position in it, counted
  // from 1, and the position after its end are signed 32-bit numbers.
  std::int64_t stream = std::numeric_limits<std::int32_t>::max() - 1;
};

// Reads `content`, a text in the editable layout (docs/format.md, "The
// editable form"), written in `encoding`: a UTF-8 byte-order mark at its
// start is skipped (only in UTF-8), lines end in LF or CR LF, mixed at will,
// and the last one may end without either. Every line is one entry; each
// line at fault is one fault, the first found in it, and reading goes on
// with the next line. Never throws but std::bad_alloc.
EditableReading ReadEditable(std::string_view content, TextEncoding encoding,
                             const EditableLimits& limits = {});

// The line that tells of `fault` in the file named `file_name`, in the form
// compilers give, which editors jump to: "FILE:LINE:COLUMN: CAUSE", no line
// break. `file_name` is put in as it is: whoever shows the line escapes it.
std::string FaultLine(std::string_view file_name, const LineFault& fault);

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_EDITABLE_READER_H_
