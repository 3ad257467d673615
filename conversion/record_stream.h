// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_RECORD_STREAM_H_
#define HOLVANE_CONVERSION_RECORD_STREAM_H_

#include "common/file_system.h"
#include "conversion/text_form.h"

namespace holvane {

// Renders the record stream held in `source` as text into `target`, in
// `form`: the entries in order, each its flag's marker, its text and a line
// break, as docs/format.md lays out the stream and its text forms.
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
// Throws RunTimeError for a stream that breaks off, with the number, cause
// and offset docs/format.md gives for each fault ("A stream that breaks
// off"), and passes on the file layer's failures. Nothing is written for the
// entry at fault, and every entry before it has been appended to `target` (as
// far as it could be written, should writing fail as well). Only a position
// that leaves the 32-bit range just after a flag is thrown once that flag's
// entry is appended, as the entry is whole.
void RenderRecordStream(ReadableFile& source, WritableFile& target, const TextForm& form = {});

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_RECORD_STREAM_H_
