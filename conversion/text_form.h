// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_TEXT_FORM_H_
#define HOLVANE_CONVERSION_TEXT_FORM_H_

namespace holvane {

// How a rendered text is written. The default is the program's own form, the
// one the window writes: the texts' code page 1251 bytes as they are, and CR LF
// after every line.
enum class TextEncoding {
  kCp1251,  // the text bytes unchanged
  kUtf8,    // the text bytes read as code page 1251 and written as UTF-8
};

enum class LineBreak {
  kCrLf,
  kLf,
};

// What the lines are for (docs/format.md, "The text" and "The editable
// form").
enum class TextLayout {
  // For reading: a "?" marker on a line of its own, the text bytes as they
  // are, so that a text may span lines.
  kReadable,
  // For editing and packing back, lossless: one line an entry, every flag
  // written out, every byte that would break the line or has no character
  // escaped.
  kEditable,
};

// Only what the renderer adds follows `line_break`: the line breaks after a
// text and after a "?" marker. Line-break bytes inside a text are text, and
// are copied as they are in the readable layout, escaped in the editable one.
struct TextForm {
  TextEncoding encoding = TextEncoding::kCp1251;
  LineBreak line_break = LineBreak::kCrLf;
  TextLayout layout = TextLayout::kReadable;

  friend bool operator==(const TextForm&, const TextForm&) = default;
};

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_TEXT_FORM_H_
