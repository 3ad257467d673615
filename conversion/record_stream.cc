// SPDX-License-Identifier: MIT
#include "conversion/record_stream.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "common/run_time_error.h"
#include "text/code_page_1251.h"
#include "text/escapes.h"
#include "text/unicode.h"

namespace holvane {

namespace {

constexpr std::int32_t kFieldWidth = 4;
constexpr std::int32_t kFalse = 0;
constexpr std::int32_t kTrue = -1;

// The stream is read and the text written in pieces of this size: large
// enough that an entry costs no system call and no virtual call of its own,
// small enough to stay in the processor's cache.
constexpr std::size_t kChunkSize = 128 * 1024;

// Texts up to this long are copied as one fixed-size move, which may run
// past the text's end; both pieces keep spare room behind their bytes for it.
constexpr std::size_t kShortText = 32;
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
                     "позиция в потоке записей выходит за 32-битный диапазон", OffsetOf(position));
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

[[noreturn, gnu::noinline, gnu::cold]] void Truncated(std::string_view what, std::int32_t position,
                                                      std::int64_t needed, std::int64_t remaining) {
  throw RunTimeError(ErrorNumber::kInputPastEndOfFile,
                     "поток записей обрывается: " + std::string(what) + " требует " +
                         std::to_string(needed) + " байт, а до конца потока осталось " +
                         std::to_string(remaining < 0 ? 0 : remaining),
                     OffsetOf(position));
}

std::int32_t LoadInt32(const char* bytes) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes, sizeof value);
  if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap32(value);
  return static_cast<std::int32_t>(value);
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
                           "недостаточно памяти для записи длиной " + std::to_string(n) + " байт",
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

struct Marker {
  char bytes[4];
  std::size_t length;
};

// A byte's character in UTF-8, packed for one load and one store: its one to
// three bytes first in memory order, then their count in the fourth byte.
using Utf8Character = std::uint32_t;

// How many bytes a packed entry of PackedTable holds.
template <typename Packed>
constexpr std::size_t PackedLength(Packed packed) {
  return std::endian::native == std::endian::little
             ? static_cast<std::size_t>(packed >> (8 * (sizeof(Packed) - 1)))
             : static_cast<std::size_t>(packed & 0xFF);
}

// Writes what each of the `n` bytes at `text` becomes in `table` to `out`,
// which has room for the longest entry's bytes for each and a whole entry
// behind the last; returns their end. Four at a time: the table's loads do
// not wait for one another, only the stores for the lengths before them.
template <typename Packed>
char* PutPacked(char* out, const char* text, std::size_t n, const std::array<Packed, 256>& table) {
  const auto put = [&table, &out](char byte) {
    const Packed packed = table[static_cast<unsigned char>(byte)];
    std::memcpy(out, &packed, sizeof packed);
    out += PackedLength(packed);
  };
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    put(text[i]);
    put(text[i + 1]);
    put(text[i + 2]);
    put(text[i + 3]);
  }
  for (; i < n; ++i) put(text[i]);
  return out;
}

// What each of the 256 bytes becomes, `shown_of(byte)`, packed for one load
// and one store: its bytes first in memory order, their count in the last.
template <typename Packed, typename ShownOf>
std::array<Packed, 256> PackedTable(ShownOf shown_of) {
  std::array<Packed, 256> table{};
  for (unsigned value = 0; value < 256; ++value) {
    const std::string shown = shown_of(static_cast<unsigned char>(value));
    unsigned char packed[sizeof(Packed)] = {};
    std::memcpy(packed, shown.data(), shown.size());
    packed[sizeof(Packed) - 1] = static_cast<unsigned char>(shown.size());
    std::memcpy(&table[value], packed, sizeof packed);
  }
  return table;
}

// Every byte of code page 1251 in UTF-8, made once.
const std::array<Utf8Character, 256>& Utf8Characters() {
  static const std::array<Utf8Character, 256> table =
      PackedTable<Utf8Character>([](unsigned char byte) {
        std::string utf8;
        text::AppendUtf8(text::CodePage1251Character(byte), utf8);
        return utf8;
      });
  return table;
}

// What a text form adds and how it writes a text, fixed when the renderer
// is compiled, so that the program's own form costs nothing for the others.
template <TextEncoding kEncoding, LineBreak kBreak>
struct Form {
  static constexpr std::string_view kLineBreak = kBreak == LineBreak::kCrLf ? "\r\n" : "\n";
  // For false, true and any other flag.
  static constexpr Marker kMarkers[3] = {
      {{'-'}, 1}, {{'+'}, 1}, {{'?', kLineBreak[0], kLineBreak.back()}, 1 + kLineBreak.size()}};
  // The most bytes one text byte becomes.
  static constexpr std::size_t kGrowth = kEncoding == TextEncoding::kUtf8 ? 3 : 1;
  // The most bytes an entry adds to its text: the longest marker (kMarkers[2],
  // "?" and a line break) and a line break. Spelt out rather than read from
  // kMarkers, which clang does not take as a constant inside its own class.
  static constexpr std::size_t kAdded = (1 + kLineBreak.size()) + kLineBreak.size();

  static const Marker& MarkerOf(std::int32_t flag) {
    // Flags of real files are true and false in no order a branch could
    // predict, so the marker is chosen without one.
    return kMarkers[static_cast<unsigned>(flag == kTrue) +
                    2 * static_cast<unsigned>(flag != kFalse && flag != kTrue)];
  }

  // Writes the marker of `flag` to `out`, which has room for kAdded bytes
  // and the spare room; returns its end.
  static char* PutMarker(char* out, std::int32_t flag) {
    const Marker& marker = MarkerOf(flag);
    std::memcpy(out, marker.bytes, sizeof marker.bytes);
    return out + marker.length;
  }

  // Writes the `n` text bytes at `text` to `out`, which has room for
  // kGrowth * n bytes and the spare room behind them; returns their end.
  // `text` too has spare room behind its bytes.
  static char* PutText(char* out, const char* text, std::size_t n) {
    if constexpr (kEncoding == TextEncoding::kUtf8) {
      return PutPacked(out, text, n, Utf8Characters());
    } else {
      // A short text is moved with bytes past its end; those are
      // overwritten or never written out.
      std::memcpy(out, text, n <= kShortText ? kShortText : n);
      return out + n;
    }
  }

  // An entry's line as one append of its own, so that it reaches the target
  // whole or not at all; returns its length.
  static std::size_t AppendLine(WritableFile& target, std::int32_t flag, const char* text,
                                std::size_t n) {
    const Marker& marker = MarkerOf(flag);
    std::string transcoded;
    std::string_view line_text(text, n);
    if constexpr (kEncoding == TextEncoding::kUtf8) {
      transcoded.resize(n * kGrowth + kSpare);
      transcoded.resize(
          static_cast<std::size_t>(PutText(transcoded.data(), text, n) - transcoded.data()));
      line_text = transcoded;
    }
    const std::string_view line[] = {std::string_view(marker.bytes, marker.length), line_text,
                                     kLineBreak};
    target.AppendPieces(line);
    return marker.length + line_text.size() + kLineBreak.size();
  }
};

// A byte's form in an editable line, packed for one load and one store: its
// one to four bytes first in memory order, then their count in the last byte.
using EditableCharacter = std::uint64_t;

// Every byte of code page 1251 as an editable line shows it, made once for
// each encoding: its escape (text/escapes.h), or else the byte itself, as it
// is or in UTF-8.
template <TextEncoding kEncoding>
const std::array<EditableCharacter, 256>& EditableCharacters() {
  static const std::array<EditableCharacter, 256> table =
      PackedTable<EditableCharacter>([](unsigned char byte) {
        std::string shown;
        if (text::IsEscaped(byte)) {
          shown = text::EscapeOf(byte);
        } else if (kEncoding == TextEncoding::kUtf8) {
          text::AppendUtf8(text::CodePage1251Character(byte), shown);
        } else {
          shown.assign(1, static_cast<char>(byte));
        }
        return shown;
      });
  return table;
}

// The editable form (docs/format.md, "The editable form"): one line an
// entry, "+" or "-" or "?FLAG " before its text, every byte that would break
// the line or has no character escaped.
template <TextEncoding kEncoding, LineBreak kBreak>
struct EditableForm {
  static constexpr std::string_view kLineBreak = kBreak == LineBreak::kCrLf ? "\r\n" : "\n";
  // An escape, "\xNN", is the longest a byte becomes.
  static constexpr std::size_t kGrowth = 4;
  // "?-2147483648 " and a line break.
  static constexpr std::size_t kAdded = 13 + kLineBreak.size();

  static char* PutMarker(char* out, std::int32_t flag) {
    if (flag == kTrue) {
      *out = '+';
      return out + 1;
    }
    if (flag == kFalse) {
      *out = '-';
      return out + 1;
    }
    *out = '?';
    char* end = std::to_chars(out + 1, out + 12, flag).ptr;
    *end = ' ';
    return end + 1;
  }

  static char* PutText(char* out, const char* text, std::size_t n) {
    return PutPacked(out, text, n, EditableCharacters<kEncoding>());
  }

  static std::size_t AppendLine(WritableFile& target, std::int32_t flag, const char* text,
                                std::size_t n) {
    std::string line(kAdded + n * kGrowth + kSpare, '\0');
    char* out = PutText(PutMarker(line.data(), flag), text, n);
    std::memcpy(out, kLineBreak.data(), kLineBreak.size());
    line.resize(static_cast<std::size_t>(out + kLineBreak.size() - line.data()));
    target.Append(line);
    return line.size();
  }
};

// Rendered lines gathered into one append. Only whole entries are gathered, so
// every append ends at an entry's end.
template <typename Form>
class TextChunk {
 public:
  // An entry's line is never longer than the entry's text grown by the form,
  // and what the form adds is no more than the entry's fields (8) grown by
  // the form, so a stream shorter than a piece needs no more room than its
  // length grown by the form.
  static_assert(Form::kAdded <= 2 * kFieldWidth * Form::kGrowth);
  TextChunk(WritableFile& target, SourceChunk& source, std::int64_t stream_length)
      : target_(target),
        source_(source),
        capacity_(static_cast<std::size_t>(
            std::clamp<std::int64_t>(stream_length * static_cast<std::int64_t>(Form::kGrowth), 0,
                                     static_cast<std::int64_t>(kChunkSize)))),
        bytes_(MakeChunk(capacity_)) {}

  // Gathers the entry whose length field is at `entry` in the source, its
  // fields checked already, with flag `flag` and text `text` of `n` bytes.
  void Put(std::int32_t entry, std::int32_t flag, const char* text, std::size_t n) {
    // The longest marker, the text and its line break.
    if (used_ + n * Form::kGrowth + Form::kAdded > capacity_) [[unlikely]] {
      Flush();
      piece_start_ = OffsetOf(entry);
      if (n * Form::kGrowth + Form::kAdded > capacity_) {
        // A text longer than a piece goes to the target as it stands.
        Form::AppendLine(target_, flag, text, n);
        piece_start_ += 2 * kFieldWidth + static_cast<std::int64_t>(n);
        return;
      }
    }
    char* out = Form::PutMarker(bytes_.get() + used_, flag);
    // The text and the flag behind it are in one piece of the source, with
    // the spare room behind that.
    out = Form::PutText(out, text, n);
    std::memcpy(out, Form::kLineBreak.data(), Form::kLineBreak.size());
    used_ = static_cast<std::size_t>(out + Form::kLineBreak.size() - bytes_.get());
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
  // entries are read again from where it began in the source, and each goes
  // as an append of its own until `pending` bytes, the piece's length, have
  // gone or one fails. Their fields were checked as they were gathered.
  // Should the source fail to be read now, the piece's own failure is the
  // one to report, and this returns. Reading moves the source's piece away
  // from the entry Put was gathering, which is fine as Flush throws anyway.
  [[gnu::cold, gnu::noinline]] void AppendOneByOne(std::size_t pending) {
    std::int64_t at = piece_start_;
    for (std::size_t written = 0; written < pending;) {
      std::int32_t flag = 0;
      std::size_t n = 0;
      const char* text = nullptr;
      try {
        const char* length_field = source_.Fetch(at, kFieldWidth);
        if (length_field == nullptr || LoadInt32(length_field) < 0) return;
        n = static_cast<std::size_t>(LoadInt32(length_field));
        text = source_.Fetch(at + kFieldWidth, n + kFieldWidth);
        if (text == nullptr) return;
        flag = LoadInt32(text + n);
      } catch (...) {
        return;
      }
      written += Form::AppendLine(target_, flag, text, n);
      at += 2 * kFieldWidth + static_cast<std::int64_t>(n);
    }
  }

  WritableFile& target_;
  SourceChunk& source_;
  const std::size_t capacity_;
  std::unique_ptr<char[]> bytes_;
  std::size_t used_ = 0;
  // Where, in the source, the first entry gathered into the piece begins.
  std::int64_t piece_start_ = 0;
};

template <typename Form>
void Render(SourceChunk& chunk, std::int64_t length, TextChunk<Form>& text) {
  for (std::int32_t p = 1; p < length;) {
    const std::int64_t length_remaining = Remaining(length, p);
    const char* length_field =
        length_remaining < kFieldWidth
            ? nullptr
            : chunk.Fetch(OffsetOf(p), static_cast<std::size_t>(kFieldWidth));
    if (length_field == nullptr) Truncated("поле длины", p, kFieldWidth, length_remaining);
    const std::int32_t n = LoadInt32(length_field);
    const std::int32_t length_position = p;
    p = Advance(p, kFieldWidth);
    if (n < 0) [[unlikely]] {
      throw RunTimeError(ErrorNumber::kInvalidArgument,
                         "отрицательная длина записи " + std::to_string(n),
                         OffsetOf(length_position));
    }
    // The length is checked against what is left before anything that long
    // is read, so a forged length cannot demand more memory than the stream
    // holds, and a text whose end no position can name is never read.
    const std::int64_t text_remaining = Remaining(length, p);
    if (n > text_remaining) Truncated("текст записи", p, n, text_remaining);
    const std::int32_t q = Advance(p, n);
    const std::int64_t flag_remaining = Remaining(length, q);
    if (flag_remaining < kFieldWidth) Truncated("поле флага", q, kFieldWidth, flag_remaining);
    // An entry whose flag can be read is whole, even when the position after
    // it cannot be held: it is rendered, and the step past it fails after.
    std::int32_t next = 0;
    const bool last_position = __builtin_add_overflow(q, kFieldWidth, &next);

    // Every check of the entry itself comes before it is rendered, so an
    // entry that fails leaves nothing of itself in the target.
    const auto entry_size = static_cast<std::size_t>(n) + kFieldWidth;
    const char* entry = chunk.Fetch(OffsetOf(p), entry_size);
    if (entry == nullptr) Truncated("текст записи", p, n, text_remaining);
    text.Put(length_position, LoadInt32(entry + n), entry, static_cast<std::size_t>(n));
    if (last_position) [[unlikely]] {
      PositionOverflow(q);
    }
    p = next;
  }
}

template <typename Form>
void RenderIn(ReadableFile& source, WritableFile& target) {
  const std::int64_t length = source.Length();
  SourceChunk chunk(source, length);
  TextChunk<Form> text(target, chunk, length);
  try {
    Render(chunk, length, text);
  } catch (...) {
    // The entries rendered before the failure belong in the target. Should
    // writing them fail as well, that failure came first in the stream and
    // is the one reported.
    text.Flush();
    throw;
  }
  text.Flush();
}

}  // namespace

void RenderRecordStream(ReadableFile& source, WritableFile& target, const TextForm& form) {
  const bool utf8 = form.encoding == TextEncoding::kUtf8;
  const bool lf = form.line_break == LineBreak::kLf;
  if (form.layout == TextLayout::kEditable) {
    using enum TextEncoding;
    using enum LineBreak;
    if (utf8 && lf) return RenderIn<EditableForm<kUtf8, kLf>>(source, target);
    if (utf8) return RenderIn<EditableForm<kUtf8, kCrLf>>(source, target);
    if (lf) return RenderIn<EditableForm<kCp1251, kLf>>(source, target);
    return RenderIn<EditableForm<kCp1251, kCrLf>>(source, target);
  }
  if (utf8 && lf) return RenderIn<Form<TextEncoding::kUtf8, LineBreak::kLf>>(source, target);
  if (utf8) return RenderIn<Form<TextEncoding::kUtf8, LineBreak::kCrLf>>(source, target);
  if (lf) return RenderIn<Form<TextEncoding::kCp1251, LineBreak::kLf>>(source, target);
  RenderIn<Form<TextEncoding::kCp1251, LineBreak::kCrLf>>(source, target);
}

}  // namespace holvane
