// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_RECORD_STREAM_H_
#define HOLVANE_CONVERSION_RECORD_STREAM_H_

#include "conversion/file_system.h"
#include "conversion/text_form.h"

namespace holvane {

// Renders the record stream held in `source` as text into `target`.
//
// The stream is a run of entries from its first byte to its end, each a
// signed 32-bit little-endian length n (0 or more), n text bytes and a signed
// 32-bit little-endian flag. Each entry becomes the flag's marker ("-" for 0,
// "+" for -1, "?" and CR LF for any other value) followed by the text bytes,
// unchanged, and CR LF. An entry is started while at least two bytes of the
// stream remain; a single trailing byte is ignored.
//
// That is the default `form`. Another turns the text bytes from code page
// 1251 into UTF-8, or ends the lines the renderer adds (after a text and
// after "?") with LF alone; line-break bytes inside a text are copied as
// they are (turned into UTF-8 they are the same bytes).
//
// `source` is read at explicit positions; its length is taken once, at the
// start, as nothing else writes it meanwhile. Every append to `target` ends
// at an entry's end (an entry too long to gather with others is one append of
// its own), so a target that keeps whole appends only, as WritableFile does,
// holds whole entries only. Neither is opened or closed here.
//
// A failed write ends the rendering, and leaves `target` ending at the last
// whole entry that could be written: when an append of several entries
// gathered together fails, they are read again from `source` and appended
// once more, each on its own, until one fails; that failure is thrown. Should
// every one of them go through this time, the failure of the gathered append
// is thrown all the same, and nothing after them is rendered. The entries
// appended before that append are left as they are.
//
// Throws RunTimeError, with the byte offset of the field at fault, when
//   - a length or flag has fewer than 4 bytes left, or a text runs past the
//     end of the stream (kInputPastEndOfFile, a truncated stream);
//   - a length is negative (kInvalidArgument);
//   - a position leaves the signed 32-bit range (kOverflow);
//   - a text is too long for memory (kOutOfMemory);
// and passes on the file layer's failures. Nothing is written for the entry
// at fault; everything before it has been appended to `target` (as far as
// it could be written, should writing fail as well). An entry
// whose flag ends where the next position would leave the 32-bit range is
// whole, though: its line is appended, and then the overflow is thrown, at
// the flag's offset.
void RenderRecordStream(ReadableFile& source, WritableFile& target, const TextForm& form = {});

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_RECORD_STREAM_H_
