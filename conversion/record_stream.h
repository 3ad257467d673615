// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_RECORD_STREAM_H_
#define HOLVANE_CONVERSION_RECORD_STREAM_H_

#include <cstdint>
#include <functional>
#include <string_view>

#include "common/file_system.h"

namespace holvane {

// How a rendered text is written (docs/format.md, "Text forms"). The default
// is the program's own form, the one the window writes: the texts' code page
// 1251 bytes as they are, and CR LF after every line.
enum class TextEncoding {
  kCp1251,  // the text bytes unchanged
  kUtf8,    // the text bytes read as code page 1251 and written as UTF-8
};

// Only the line breaks the renderer adds follow it; those inside a text are
// text.
enum class LineBreak {
  kCrLf,
  kLf,
};

// What the lines are for; each layout is laid out in a file of its own.
enum class TextLayout {
  kReadable,  // the window's text (conversion/readable_form.h)
  kEditable,  // for editing and packing back (conversion/editable_form.h)
};

struct TextForm {
  TextEncoding encoding = TextEncoding::kCp1251;
  LineBreak line_break = LineBreak::kCrLf;
  TextLayout layout = TextLayout::kReadable;

  friend bool operator==(const TextForm&, const TextForm&) = default;
};

// Renders the record stream held in `source` as text into `target`, in
// `form`, neither opened nor closed here. Every append to `target` ends at an
// entry's end. The first fault of the stream or failed write ends it: it
// throws RunTimeError with the number, cause and offset docs/format.md gives
// ("A stream that breaks off"), or the file layer's failure, and `target`
// then ends with the last whole entry before the fault that could be written.
void RenderRecordStream(ReadableFile& source, WritableFile& target, const TextForm& form = {});

// Hands each entry of `stream`, a whole record stream in memory, to
// `visit(flag, text)` in order, with the renderer's parser: the first fault
// throws the RunTimeError RenderRecordStream gives, after the entries before it.
void ForEachRecord(std::string_view stream,
                   const std::function<void(std::int32_t, std::string_view)>& visit);

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_RECORD_STREAM_H_
