#include "conversion/record_stream.h"

#include <cstdint>
#include <string>

#include "compression/run_time_error.h"

namespace holvane {

namespace {

constexpr std::int32_t kFieldWidth = 4;
constexpr std::int32_t kFalse = 0;
constexpr std::int32_t kTrue = -1;

// Positions are counted from 1, as the format is defined, and kept in signed
// 32 bits, so a stream cannot address past 2 GiB. Offsets in messages are
// counted from 0.
std::int64_t OffsetOf(std::int32_t position) { return std::int64_t{position} - 1; }

std::int32_t Advance(std::int32_t position, std::int32_t by) {
  std::int32_t next = 0;
  if (__builtin_add_overflow(position, by, &next)) {
    throw RunTimeError(ErrorNumber::kOverflow,
                       "позиция в потоке записей выходит за 32-битный диапазон",
                       OffsetOf(position));
  }
  return next;
}

std::int64_t Remaining(std::int64_t length, std::int32_t position) {
  return length - OffsetOf(position);
}

[[noreturn]] void Truncated(std::string_view what, std::int32_t position, std::int64_t needed,
                            std::int64_t remaining) {
  throw RunTimeError(ErrorNumber::kInputPastEndOfFile,
                     "поток записей обрывается: " + std::string(what) + " требует " +
                         std::to_string(needed) + " байт, а до конца потока осталось " +
                         std::to_string(remaining < 0 ? 0 : remaining),
                     OffsetOf(position));
}

std::int32_t ReadField(ReadableFile& source, std::int64_t length, std::int32_t position,
                       std::string_view what) {
  const std::int64_t remaining = Remaining(length, position);
  unsigned char bytes[kFieldWidth];
  if (remaining < kFieldWidth || source.ReadAt(OffsetOf(position), reinterpret_cast<char*>(bytes),
                                               kFieldWidth) != kFieldWidth) {
    Truncated(what, position, kFieldWidth, remaining);
  }
  const std::uint32_t value = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                              std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
  return static_cast<std::int32_t>(value);
}

std::string_view MarkerFor(std::int32_t flag) {
  switch (flag) {
    case kFalse:
      return "-";
    case kTrue:
      return "+";
    default:
      return "?\r\n";
  }
}

}  // namespace

void RenderRecordStream(ReadableFile& source, WritableFile& target) {
  std::string line;
  for (std::int32_t p = 1;;) {
    const std::int64_t length = source.Length();
    if (!(p < length)) break;

    const std::int32_t n = ReadField(source, length, p, "поле длины");
    const std::int32_t length_position = p;
    p = Advance(p, kFieldWidth);
    if (n < 0) {
      throw RunTimeError(ErrorNumber::kInvalidArgument,
                         "отрицательная длина записи " + std::to_string(n),
                         OffsetOf(length_position));
    }
    // The length is checked against what is left before any buffer is made,
    // so a forged length cannot demand more memory than the stream holds.
    const std::int64_t remaining = Remaining(length, p);
    if (n > remaining) Truncated("текст записи", p, n, remaining);

    // Likewise a text whose end no position can name fails before it is read.
    const std::int32_t q = Advance(p, n);

    // The text and its line break go out in one piece.
    line.resize(static_cast<std::size_t>(n) + 2);
    if (source.ReadAt(OffsetOf(p), line.data(), static_cast<std::size_t>(n)) !=
        static_cast<std::size_t>(n)) {
      Truncated("текст записи", p, n, remaining);
    }
    line[line.size() - 2] = '\r';
    line[line.size() - 1] = '\n';

    const std::int32_t flag = ReadField(source, length, q, "поле флага");
    // Every check of the entry comes before its first byte goes out, so an
    // entry that fails leaves nothing of itself in the target.
    const std::int32_t next = Advance(q, kFieldWidth);

    target.Append(MarkerFor(flag));
    target.Append(line);
    p = next;
  }
}

}  // namespace holvane
