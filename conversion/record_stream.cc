// SPDX-License-Identifier: MIT
#include "conversion/record_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "common/run_time_error.h"
#include "common/translation.h"
#include "conversion/editable_form.h"
#include "conversion/readable_form.h"
#include "conversion/record_format.h"

// The renderer: the window on the source (SourceChunk), the one parser of the
// entries (ParseEntries), the lines gathered into appends and the retry after
// a failed one (TextChunk), and the choice of layout. The layouts themselves,
// what a line looks like, are each in their text form's file.

namespace holvane {

namespace {

using record_format::kFieldsWidth;
using record_format::kFieldWidth;
using record_format::LoadInt32;

// The stream is read and the text written in pieces of this size: large
// enough that an entry costs no system call and no virtual call of its own,
// small enough to stay in the processor's cache.
constexpr std::size_t kChunkSize = 128 * 1024;

// Both pieces keep spare room behind their bytes, for a layout's PutText to
// run past the end of what it reads and writes (its kOverrun).
constexpr std::size_t kSpare = 64;

// A buffer of `size` bytes and the spare room, the room cleared so that no
// byte ever copied from it is undefined.
std::unique_ptr<char[]> MakeChunk(std::size_t size) {
  auto bytes = std::make_unique_for_overwrite<char[]>(size + kSpare);
  std::memset(bytes.get() + size, 0, kSpare);
  return bytes;
}

// Positions are counted from 1, as the format is defined, and kept in signed
// 32 bits, so a stream cannot address past 2 GiB. Offsets in messages are
// counted from 0.
std::int64_t OffsetOf(std::int32_t position) { return std::int64_t{position} - 1; }

// Kept out of line, so that the checks on every entry stay small.
[[noreturn, gnu::noinline, gnu::cold]] void PositionOverflow(std::int32_t position) {
  throw RunTimeError(ErrorNumber::kOverflow,
                     Tr("a position in the record stream is beyond the 32-bit range"),
                     OffsetOf(position));
}

std::int32_t Advance(std::int32_t position, std::int32_t by) {
  std::int32_t next = 0;
  if (__builtin_add_overflow(position, by, &next)) [[unlikely]] {
    PositionOverflow(position);
  }
  return next;
}

std::int64_t Remaining(std::int64_t length, std::int32_t position) {
  return length - OffsetOf(position);
}

// The field of an entry a stream breaks off in.
enum class Field { kLength, kText, kFlag };

[[noreturn, gnu::noinline, gnu::cold]] void Truncated(Field field, std::int32_t position,
                                                      std::int64_t needed, std::int64_t remaining) {
  const auto n = static_cast<std::uint64_t>(needed);
  const char* pattern = nullptr;
  switch (field) {
    case Field::kLength:
      pattern = TrPlural(
          "the record stream breaks off: a length field needs {} byte, "
          "and the stream has {} left",
          "the record stream breaks off: a length field needs {} bytes, "
          "and the stream has {} left",
          n);
      break;
    case Field::kText:
      pattern = TrPlural(
          "the record stream breaks off: a record's text needs {} byte, "
          "and the stream has {} left",
          "the record stream breaks off: a record's text needs {} bytes, "
          "and the stream has {} left",
          n);
      break;
    case Field::kFlag:
      pattern = TrPlural(
          "the record stream breaks off: a flag field needs {} byte, "
          "and the stream has {} left",
          "the record stream breaks off: a flag field needs {} bytes, "
          "and the stream has {} left",
          n);
      break;
  }
  throw RunTimeError(
      ErrorNumber::kInputPastEndOfFile,
      Filled(pattern, {std::to_string(needed), std::to_string(remaining < 0 ? 0 : remaining)}),
      OffsetOf(position));
}

// The piece of the source held in memory. Entries are read in order, so a
// piece is loaded from the first byte asked for that it does not hold; the
// few bytes of an entry cut at its end are simply read again.
class SourceChunk {
 public:
  SourceChunk(ReadableFile& source, std::int64_t length) : source_(source), length_(length) {}

  // The `n` bytes at `offset`, or nullptr where the file ends before them.
  // The pointer holds until the next call.
  const char* Fetch(std::int64_t offset, std::size_t n) {
    if (offset >= start_ && offset + static_cast<std::int64_t>(n) <= end_) [[likely]] {
      return bytes_.get() + (offset - start_);
    }
    return Load(offset, n);
  }

 private:
  const char* Load(std::int64_t offset, std::size_t n) {
    // Never more than the stream holds: a short stream costs a short read.
    const auto left = static_cast<std::size_t>(std::max<std::int64_t>(length_ - offset, 0));
    const std::size_t wanted = std::max(n, std::min(kChunkSize, left));
    if (wanted > capacity_) {
      // The first piece, or an entry longer than a piece. Its length has
      // been checked against the stream, so the stream itself bounds this.
      bytes_.reset();
      capacity_ = 0;
      try {
        bytes_ = MakeChunk(wanted);
      } catch (const std::bad_alloc&) {
        throw RunTimeError(ErrorNumber::kOutOfMemory,
                           Filled(TrPlural("not enough memory for a record {} byte long",
                                           "not enough memory for a record {} bytes long", n),
                                  {std::to_string(n)}),
                           offset);
      }
      capacity_ = wanted;
    }
    const std::size_t got = source_.ReadAt(offset, bytes_.get(), wanted);
    start_ = offset;
    end_ = offset + static_cast<std::int64_t>(got);
    return got >= n ? bytes_.get() : nullptr;
  }

  ReadableFile& source_;
  const std::int64_t length_;
  std::unique_ptr<char[]> bytes_;
  std::size_t capacity_ = 0;
  std::int64_t start_ = 0;
  std::int64_t end_ = 0;
};

// The parser, the one reading of the stream's entries, from the one whose
// length field is at position `from` on: each entry's fields are checked in
// order before anything of the entry is read, and it is handed whole to
// `visit(entry, flag, text, n)`, `entry` the position of its length field,
// `text` its `n` text bytes with the flag and the spare room behind them.
// Stops at the stream's end, or where `visit` returns false; throws for the
// first fault.
template <typename Visit>
void ParseEntries(SourceChunk& chunk, std::int64_t length, std::int32_t from, Visit&& visit) {
  for (std::int32_t p = from; p < length;) {
    const std::int64_t length_remaining = Remaining(length, p);
    const char* length_field =
        length_remaining < kFieldWidth
            ? nullptr
            : chunk.Fetch(OffsetOf(p), static_cast<std::size_t>(kFieldWidth));
    if (length_field == nullptr) Truncated(Field::kLength, p, kFieldWidth, length_remaining);
    const std::int32_t n = LoadInt32(length_field);
    const std::int32_t length_position = p;
    p = Advance(p, kFieldWidth);
    if (n < 0) [[unlikely]] {
      throw RunTimeError(ErrorNumber::kInvalidArgument,
                         Filled(Tr("a negative record length {}"), {std::to_string(n)}),
                         OffsetOf(length_position));
    }
    // The length is checked against what is left before anything that long
    // is read, so a forged length cannot demand more memory than the stream
    // holds, and a text whose end no position can name is never read.
    const std::int64_t text_remaining = Remaining(length, p);
    if (n > text_remaining) Truncated(Field::kText, p, n, text_remaining);
    const std::int32_t q = Advance(p, n);
    const std::int64_t flag_remaining = Remaining(length, q);
    if (flag_remaining < kFieldWidth) Truncated(Field::kFlag, q, kFieldWidth, flag_remaining);
    // An entry whose flag can be read is whole, even when the position after
    // it cannot be held: it is handed on, and the step past it fails after.
    std::int32_t next = 0;
    const bool last_position = __builtin_add_overflow(q, kFieldWidth, &next);

    // Every check of the entry itself comes before it is handed on, so an
    // entry that fails leaves nothing of itself in the target.
    const auto entry_size = static_cast<std::size_t>(n) + kFieldWidth;
    const char* entry = chunk.Fetch(OffsetOf(p), entry_size);
    if (entry == nullptr) Truncated(Field::kText, p, n, text_remaining);
    if (!visit(length_position, LoadInt32(entry + n), entry, static_cast<std::size_t>(n))) return;
    if (last_position) [[unlikely]] {
      PositionOverflow(q);
    }
    p = next;
  }
}

// Rendered lines gathered into one append. Only whole entries are gathered, so
// every append ends at an entry's end, and a target that keeps whole appends
// only, as WritableFile does, holds whole entries only.
template <typename Layout>
class TextChunk {
 public:
  // An entry's line is never longer than the entry's text grown by the
  // layout, and what the layout adds is no more than the entry's fields
  // grown by it, so a stream shorter than a piece needs no more room than its
  // length grown by the layout.
  static_assert(Layout::kAdded <= kFieldsWidth * Layout::kGrowth);
  static_assert(Layout::kOverrun <= kSpare);
  TextChunk(WritableFile& target, SourceChunk& source, std::int64_t stream_length)
      : target_(target),
        source_(source),
        stream_length_(stream_length),
        capacity_(static_cast<std::size_t>(
            std::clamp<std::int64_t>(stream_length * static_cast<std::int64_t>(Layout::kGrowth), 0,
                                     static_cast<std::int64_t>(kChunkSize)))),
        bytes_(MakeChunk(capacity_)) {}

  // Gathers the entry whose length field is at `entry` in the source, as
  // ParseEntries hands it on.
  void Put(std::int32_t entry, std::int32_t flag, const char* text, std::size_t n) {
    // The longest marker, the text and its line break.
    if (used_ + n * Layout::kGrowth + Layout::kAdded > capacity_) [[unlikely]] {
      Flush();
      piece_start_ = OffsetOf(entry);
      if (n * Layout::kGrowth + Layout::kAdded > capacity_) {
        // A text longer than a piece goes to the target as it stands.
        Layout::AppendLine(target_, flag, text, n);
        piece_start_ += kFieldsWidth + static_cast<std::int64_t>(n);
        return;
      }
    }
    char* out = Layout::PutMarker(bytes_.get() + used_, flag);
    // The text and the flag behind it are in one piece of the source, with
    // the spare room behind that.
    out = Layout::PutText(out, text, n);
    std::memcpy(out, Layout::kLineBreak.data(), Layout::kLineBreak.size());
    used_ = static_cast<std::size_t>(out + Layout::kLineBreak.size() - bytes_.get());
  }

  // Appends the gathered entries. Should that fail, they are appended once
  // more one at a time, so that the target ends at the last of them that
  // fits; the first of those appends that fails is thrown, and should none
  // fail, the piece's own failure is thrown all the same. Either way nothing
  // more is gathered: the failure ends the rendering.
  void Flush() {
    if (used_ == 0) return;
    const std::size_t pending = std::exchange(used_, 0);
    try {
      target_.Append(std::string_view(bytes_.get(), pending));
    } catch (...) {
      AppendOneByOne(pending);
      throw;
    }
  }

 private:
  // The file layer has cut the target back to where the piece began. Its
  // entries are parsed again from where it began in the source, and each
  // goes as an append of its own until `pending` bytes, the piece's length,
  // have gone or one fails, which is thrown. Should the source fail to be
  // read now, the piece's own failure is the one to report, and this
  // returns. Reading moves the source's piece away from the entry Put was
  // gathering, which is fine as Flush throws anyway.
  [[gnu::cold, gnu::noinline]] void AppendOneByOne(std::size_t pending) {
    std::size_t written = 0;
    std::exception_ptr append_failure;
    try {
      ParseEntries(source_, stream_length_, static_cast<std::int32_t>(piece_start_ + 1),
                   [&](std::int32_t, std::int32_t flag, const char* text, std::size_t n) {
                     try {
                       written += Layout::AppendLine(target_, flag, text, n);
                     } catch (...) {
                       append_failure = std::current_exception();
                       return false;
                     }
                     return written < pending;
                   });
    } catch (...) {
      return;
    }
    if (append_failure) std::rethrow_exception(append_failure);
  }

  WritableFile& target_;
  SourceChunk& source_;
  const std::int64_t stream_length_;
  const std::size_t capacity_;
  std::unique_ptr<char[]> bytes_;
  std::size_t used_ = 0;
  // Where, in the source, the first entry gathered into the piece begins.
  std::int64_t piece_start_ = 0;
};

// The stream's length is taken once, at the start, as nothing else writes
// it meanwhile.
template <typename Layout>
void RenderIn(ReadableFile& source, WritableFile& target) {
  const std::int64_t length = source.Length();
  SourceChunk chunk(source, length);
  TextChunk<Layout> text(target, chunk, length);
  try {
    ParseEntries(chunk, length, 1,
                 [&text](std::int32_t entry, std::int32_t flag, const char* bytes, std::size_t n) {
                   text.Put(entry, flag, bytes, n);
                   return true;
                 });
  } catch (...) {
    // The entries rendered before the failure belong in the target. Should
    // writing them fail as well, that failure came first in the stream and
    // is the one reported.
    text.Flush();
    throw;
  }
  text.Flush();
}

// Renders in `Layout` made for the encoding and line break of `form`.
template <template <TextEncoding, LineBreak> typename Layout>
void RenderWith(ReadableFile& source, WritableFile& target, const TextForm& form) {
  using enum TextEncoding;
  using enum LineBreak;
  const bool utf8 = form.encoding == kUtf8;
  const bool lf = form.line_break == kLf;
  if (utf8 && lf) return RenderIn<Layout<kUtf8, kLf>>(source, target);
  if (utf8) return RenderIn<Layout<kUtf8, kCrLf>>(source, target);
  if (lf) return RenderIn<Layout<kCp1251, kLf>>(source, target);
  RenderIn<Layout<kCp1251, kCrLf>>(source, target);
}

}  // namespace

void ForEachRecord(std::string_view stream,
                   const std::function<void(std::int32_t, std::string_view)>& visit) {
  MemoryFile source(stream);
  SourceChunk chunk(source, source.Length());
  ParseEntries(chunk, source.Length(), 1,
               [&visit](std::int32_t, std::int32_t flag, const char* text, std::size_t n) {
                 visit(flag, std::string_view(text, n));
                 return true;
               });
}

void RenderRecordStream(ReadableFile& source, WritableFile& target, const TextForm& form) {
  // Each text form's layout, in the file of that form.
  switch (form.layout) {
    case TextLayout::kReadable:
      return RenderWith<ReadableLayout>(source, target, form);
    case TextLayout::kEditable:
      return RenderWith<EditableLayout>(source, target, form);
  }
}

}  // namespace holvane
