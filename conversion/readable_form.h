// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_READABLE_FORM_H_
#define HOLVANE_CONVERSION_READABLE_FORM_H_

// The window's text (docs/format.md, "The text"), for reading: each entry its
// flag's marker, its text bytes as they are, so that a text may span lines,
// and a line break; a flag other than true or false as "?" on a line of its
// own. The layout the renderer (conversion/record_stream.cc) writes it with.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/file_system.h"
#include "conversion/record_format.h"
#include "conversion/record_stream.h"
#include "text/code_page_1251.h"

namespace holvane {

// A layout, as the renderer takes one, fixed when the renderer is compiled so
// that the program's own form costs nothing for the others:
//   kLineBreak  what ends each line;
//   kGrowth     the most bytes one text byte becomes;
//   kAdded      the most bytes a line adds to its text; no more than the
//               entry's fields grown by kGrowth;
//   kOverrun    how far past the end of its `out` and `text` PutText may
//               write and read;
//   PutMarker(out, flag), PutText(out, text, n): write into room the renderer
//               made, and return the end of what they wrote;
//   AppendLine(target, flag, text, n): one entry's line as an append of its
//               own, for a line too long to gather; returns its length.
template <TextEncoding kEncoding, LineBreak kBreak>
struct ReadableLayout {
  static constexpr std::string_view kLineBreak = kBreak == LineBreak::kCrLf ? "\r\n" : "\n";
  static constexpr std::size_t kGrowth = kEncoding == TextEncoding::kUtf8 ? 3 : 1;
  // The longest marker ("?" and a line break) and a line break. Spelt out
  // rather than read from kMarkers, which clang does not take as a constant
  // inside its own class.
  static constexpr std::size_t kAdded = (1 + kLineBreak.size()) + kLineBreak.size();
  // Texts up to this long are copied as one fixed-size move, which runs past
  // the text's end.
  static constexpr std::size_t kShortText = 32;
  static constexpr std::size_t kOverrun = kShortText;

  struct Marker {
    char bytes[4];
    std::size_t length;
  };
  // For false, true and any other flag.
  static constexpr Marker kMarkers[3] = {
      {{'-'}, 1}, {{'+'}, 1}, {{'?', kLineBreak[0], kLineBreak.back()}, 1 + kLineBreak.size()}};

  static const Marker& MarkerOf(std::int32_t flag) {
    using record_format::kFalse;
    using record_format::kTrue;
    // Flags of real files are true and false in no order a branch could
    // predict, so the marker is chosen without one.
    return kMarkers[static_cast<unsigned>(flag == kTrue) +
                    2 * static_cast<unsigned>(flag != kFalse && flag != kTrue)];
  }

  static char* PutMarker(char* out, std::int32_t flag) {
    const Marker& marker = MarkerOf(flag);
    std::memcpy(out, marker.bytes, sizeof marker.bytes);
    return out + marker.length;
  }

  static char* PutText(char* out, const char* text, std::size_t n) {
    if constexpr (kEncoding == TextEncoding::kUtf8) {
      return text::PutPackedCharacters(out, text, n, text::CodePage1251Utf8());
    } else {
      // A short text is moved with bytes past its end; those are
      // overwritten or never written out.
      std::memcpy(out, text, n <= kShortText ? kShortText : n);
      return out + n;
    }
  }

  static std::size_t AppendLine(WritableFile& target, std::int32_t flag, const char* text,
                                std::size_t n) {
    const Marker& marker = MarkerOf(flag);
    std::string transcoded;
    std::string_view line_text(text, n);
    if constexpr (kEncoding == TextEncoding::kUtf8) {
      transcoded.resize(n * kGrowth + sizeof(text::Utf8Character));
      transcoded.resize(
          static_cast<std::size_t>(PutText(transcoded.data(), text, n) - transcoded.data()));
      line_text = transcoded;
    }
    // The text is not copied: in code page 1251 it is the source's own bytes.
    const std::string_view line[] = {std::string_view(marker.bytes, marker.length), line_text,
                                     kLineBreak};
    target.AppendPieces(line);
    return marker.length + line_text.size() + kLineBreak.size();
  }
};

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_READABLE_FORM_H_
