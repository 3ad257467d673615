// SPDX-License-Identifier: MIT
#include "conversion/record_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/file_system.h"
#include "common/run_time_error.h"
#include "common/translation.h"
#include "tests/test_language.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

using namespace std::string_literals;
using namespace ::holvane::testing;  // the test kit and its GoogleTest helpers

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::size_t kFieldWidth = 4;

// A stream held in memory. It remembers its reads, so a test can tell
// whether a length was trusted before it was checked, and whether the
// renderer reads in pieces (the file layer buffers nothing).
class MemorySource final : public ReadableFile {
 public:
  struct Read {
    std::int64_t offset;
    std::size_t n;
  };

  explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}

  std::int64_t Length() override { return static_cast<std::int64_t>(bytes_.size()); }
  std::filesystem::perms Permissions() const override { return std::filesystem::perms::none; }

  std::size_t ReadAt(std::int64_t offset, char* dst, std::size_t n) override {
    largest_read_ = std::max(largest_read_, n);
    reads_.push_back({offset, n});
    if (offset < 0 || offset >= Length()) return 0;
    const auto start = static_cast<std::size_t>(offset);
    const std::size_t take = std::min(n, bytes_.size() - start);
    std::memcpy(dst, bytes_.data() + start, take);
    return take;
  }

  void Close() override {}

  std::size_t largest_read() const { return largest_read_; }
  const std::vector<Read>& reads() const { return reads_; }

 private:
  std::string bytes_;
  std::size_t largest_read_ = 0;
  std::vector<Read> reads_;
};

class MemoryTarget final : public WritableFile {
 public:
  void AppendPieces(std::span<const std::string_view> pieces) override {
    for (const std::string_view piece : pieces) bytes_.append(piece);
  }
  void Close() override {}

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

struct Rendering {
  std::string text;
  std::optional<RunTimeError> error;
  std::size_t largest_read = 0;
};

Rendering Render(std::string stream, const TextForm& form = {}) {
  MemorySource source(std::move(stream));
  MemoryTarget target;
  std::optional<RunTimeError> error =
      RunTimeErrorOf([&] { RenderRecordStream(source, target, form); });
  return {target.bytes(), std::move(error), source.largest_read()};
}

// Entries of random bytes, with every kind of flag, until their stream holds
// at least `total` bytes. Most texts are short, so fields keep landing on the
// renderer's piece boundaries; a few are about as long as a piece or longer.
std::vector<Entry> RandomEntries(std::uint32_t seed, std::size_t total) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> kind(0, 99);
  std::uniform_int_distribution<std::size_t> short_length(0, 3000);
  std::uniform_int_distribution<std::size_t> long_length(60000, 140000);
  std::uniform_int_distribution<std::int32_t> any_flag(kInt32Min, kInt32Max);
  std::vector<Entry> entries;
  std::size_t size = 0;
  while (size < total) {
    const std::size_t n = kind(random) < 2 ? long_length(random) : short_length(random);
    const int flag_kind = kind(random);
    const std::int32_t flag = flag_kind < 45 ? 0 : flag_kind < 90 ? -1 : any_flag(random);
    entries.push_back({RandomBytes(random, n), flag});
    size += 2 * kFieldWidth + n;
  }
  return entries;
}

TEST(RecordStreamRenderTest, MarkersAndTextBytes) {
  const std::string cp1251_privet = "\xCF\xF0\xE8\xE2\xE5\xF2";
  struct Case {
    const char* what;
    std::vector<Entry> entries;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"no entries", {}, ""},
      {"flag 0", {{"Hello", 0}}, "-Hello\r\n"},
      {"flag -1", {{"Hello", -1}}, "+Hello\r\n"},
      {"flag 1", {{"abc", 1}}, "?\r\nabc\r\n"},
      {"flag 2", {{"abc", 2}}, "?\r\nabc\r\n"},
      {"flag -2", {{"abc", -2}}, "?\r\nabc\r\n"},
      {"largest flag", {{"abc", kInt32Max}}, "?\r\nabc\r\n"},
      {"smallest flag", {{"abc", kInt32Min}}, "?\r\nabc\r\n"},
      // Flags that agree with 0 or -1 in some of their bytes only.
      {"flag 256", {{"x", 256}}, "?\r\nx\r\n"},
      {"flag 1 << 24", {{"x", 1 << 24}}, "?\r\nx\r\n"},
      {"flag 255", {{"x", 255}}, "?\r\nx\r\n"},
      {"flag -256", {{"x", -256}}, "?\r\nx\r\n"},
      {"empty texts", {{"", 0}, {"", -1}, {"", 3}}, "-\r\n+\r\n?\r\n\r\n"},
      {"NUL, CR and LF inside the text", {{"a\0b\rc\nd\r\n"s, 0}}, "-a\0b\rc\nd\r\n\r\n"s},
      {"bytes 0x80 to 0xFF", {{"\x80\xFF\xFE", -1}}, "+\x80\xFF\xFE\r\n"},
      {"Cyrillic in code page 1251", {{cp1251_privet, 0}}, "-" + cp1251_privet + "\r\n"},
      {"text that looks like fields",
       {{Int32Bytes(-1) + Int32Bytes(0), 0}, {"z", -1}},
       "-" + Int32Bytes(-1) + Int32Bytes(0) + "\r\n+z\r\n"},
      {"length needing two bytes",
       {{std::string(300, 'L'), 0}},
       "-" + std::string(300, 'L') + "\r\n"},
      {"order kept", {{"one", 0}, {"two", -1}, {"three", 9}}, "-one\r\n+two\r\n?\r\nthree\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Rendering rendering = Render(RecordStream(c.entries));
    EXPECT_FALSE(rendering.error.has_value()) << rendering.error->what();
    EXPECT_EQ(rendering.text, c.expected);
  }
}

// The other forms change only the text's encoding and the line breaks the
// renderer adds, also for a text too long to gather with others.
TEST(RecordStreamRenderTest, OtherTextForms) {
  const std::vector<Entry> entries = {
      {"\xCF\xF0\xE8\xE2\xE5\xF2", -1},  // "Привет" in code page 1251
      {"a\r\nb\x98\xB9\x80", 0},         // a line break, the unmapped byte, №, Ђ
      {"", 7}};
  const std::string long_text(300 * 1024, '\xC0');  // "А"
  const std::string long_utf8 = [&] {
    std::string utf8;
    for (std::size_t i = 0; i < long_text.size(); ++i) utf8 += "\xD0\x90";
    return utf8;
  }();
  struct Case {
    const char* what;
    TextForm form;
    std::string expected;
    std::string expected_long;
  };
  const std::vector<Case> cases = {
      {"code page 1251, LF",
       {TextEncoding::kCp1251, LineBreak::kLf},
       "+\xCF\xF0\xE8\xE2\xE5\xF2\n-a\r\nb\x98\xB9\x80\n?\n\n",
       "?\n" + long_text + "\n"},
      {"UTF-8, CR LF",
       {TextEncoding::kUtf8, LineBreak::kCrLf},
       "+Привет\r\n-a\r\nb\uFFFD№Ђ\r\n?\r\n\r\n",
       "?\r\n" + long_utf8 + "\r\n"},
      {"UTF-8, LF",
       {TextEncoding::kUtf8, LineBreak::kLf},
       "+Привет\n-a\r\nb\uFFFD№Ђ\n?\n\n",
       "?\n" + long_utf8 + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Rendering rendering = Render(RecordStream(entries), c.form);
    EXPECT_FALSE(rendering.error.has_value()) << rendering.error->what();
    EXPECT_EQ(rendering.text, c.expected);
    std::vector<Entry> with_long = entries;
    with_long.push_back({long_text, 1});
    const Rendering long_rendering = Render(RecordStream(with_long), c.form);
    EXPECT_FALSE(long_rendering.error.has_value()) << long_rendering.error->what();
    EXPECT_TRUE(SameBytes(long_rendering.text, c.expected + c.expected_long));
  }
}

// The renderer's pieces are the only buffering between it and the disk, so
// it never asks the source for less than a piece, short of the stream's end:
// not for a field, nor for an entry read again after a failed append.
class RecordStreamReadsTest : public ::testing::Test {
 protected:
  static constexpr std::size_t kPiece = 128 * 1024;

  static void ExpectWholePieces(MemorySource& source) {
    for (const MemorySource::Read& read : source.reads()) {
      SCOPED_TRACE("a read of " + std::to_string(read.n) + " bytes at " +
                   std::to_string(read.offset));
      const auto left = static_cast<std::size_t>(source.Length() - read.offset);
      EXPECT_GE(read.n, std::min(kPiece, left));
    }
  }
};

TEST_F(RecordStreamReadsTest, StreamIsReadInPieces) {
  const std::string stream = RecordStream(RandomEntries(5, 3 << 20));
  MemorySource source(stream);
  MemoryTarget target;
  RenderRecordStream(source, target);
  ExpectWholePieces(source);
  // A read per piece, and one more for each long text a piece cuts.
  EXPECT_LE(source.reads().size(), 2 * (stream.size() / kPiece + 1));
}

// Refuses, as a full disk would, every append longer than one entry's line.
class LineAtATimeTarget final : public WritableFile {
 public:
  void AppendPieces(std::span<const std::string_view> pieces) override {
    std::size_t size = 0;
    for (const std::string_view piece : pieces) size += piece.size();
    if (size > 100) throw RunTimeError(ErrorNumber::kDiskFull, "the disk is full");
    for (const std::string_view piece : pieces) bytes_.append(piece);
  }
  void Close() override {}

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

TEST_F(RecordStreamReadsTest, EntriesReadAgainAfterAFailedAppendAreReadInPieces) {
  // Short entries, so that a piece of text holds thousands of them.
  std::mt19937 random(3);
  std::uniform_int_distribution<std::size_t> length(0, 40);
  std::vector<Entry> entries;
  for (int i = 0; i < 20000; ++i) entries.push_back({RandomBytes(random, length(random)), 0});
  const std::string stream = RecordStream(entries);
  MemorySource source(stream);
  LineAtATimeTarget target;

  const auto error = RunTimeErrorOf([&] { RenderRecordStream(source, target); });
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->number(), ErrorNumber::kDiskFull);
  // The first piece's entries went through one at a time, and nothing after.
  const std::string text = RenderedText(entries);
  EXPECT_GT(target.bytes().size(), kPiece / 2);
  EXPECT_LE(target.bytes().size(), kPiece);
  EXPECT_TRUE(SameBytes(target.bytes(), text.substr(0, target.bytes().size())));
  EXPECT_EQ(text.substr(target.bytes().size() - 2, 3), "\r\n-");
  ExpectWholePieces(source);
  EXPECT_LE(source.reads().size(), 8u);
}

// Cutting a stream anywhere either ends it on an entry (or one stray byte
// past one), or leaves a field short: then the entries before it are all
// there, and the error points at the field that was cut.
TEST(RecordStreamTruncationTest, EveryPrefixOfAStream) {
  const std::vector<Entry> entries = {
      {"Hello", -1}, {"", 0}, {"abc\r\n", 5}, {"\xCF\xF0\xE8", kInt32Min}, {"z", 0}};
  const std::string stream = RecordStream(entries);

  for (std::size_t k = 0; k <= stream.size(); ++k) {
    SCOPED_TRACE("prefix of " + std::to_string(k) + " bytes");
    std::size_t complete = 0;
    std::size_t boundary = 0;
    while (complete < entries.size() &&
           boundary + 2 * kFieldWidth + entries[complete].text.size() <= k) {
      boundary += 2 * kFieldWidth + entries[complete].text.size();
      ++complete;
    }
    const std::vector<Entry> before(entries.begin(),
                                    entries.begin() + static_cast<std::ptrdiff_t>(complete));
    const std::size_t rest = k - boundary;

    const Rendering rendering = Render(stream.substr(0, k));
    EXPECT_EQ(rendering.text, RenderedText(before));
    if (rest <= 1) {
      EXPECT_FALSE(rendering.error.has_value()) << rendering.error->what();
      continue;
    }
    ASSERT_TRUE(rendering.error.has_value());
    EXPECT_EQ(rendering.error->number(), ErrorNumber::kInputPastEndOfFile);
    const std::size_t n = entries[complete].text.size();
    const std::size_t field = rest < kFieldWidth       ? boundary
                              : rest < kFieldWidth + n ? boundary + kFieldWidth
                                                       : boundary + kFieldWidth + n;
    EXPECT_EQ(rendering.error->offset(), std::optional<std::int64_t>(field));
  }
}

// The bytes a text lacks are counted in the forms of the user's language:
// Russian's three (by the last digits: 1; 2 to 4; the rest, 11 to 14 among
// them), English's two.
TEST(RecordStreamTruncationTest, TheCauseCountsInTheFormsOfTheLanguage) {
  struct Row {
    std::int32_t needed;
    const char* russian;
    const char* english;
  };
  const Row rows[] = {
      {1, "1 байт", "1 byte"},        {2, "2 байта", "2 bytes"},
      {4, "4 байта", "4 bytes"},      {5, "5 байт", "5 bytes"},
      {11, "11 байт", "11 bytes"},    {12, "12 байт", "12 bytes"},
      {21, "21 байт", "21 bytes"},    {22, "22 байта", "22 bytes"},
      {111, "111 байт", "111 bytes"}, {1'000'003, "1000003 байта", "1000003 bytes"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.needed);
    const std::string length_alone = Int32Bytes(row.needed);
    ASSERT_TRUE(Render(length_alone).error.has_value());
    EXPECT_EQ(Render(length_alone).error->cause(),
              "поток записей обрывается: текст записи требует "s + row.russian +
                  ", а до конца потока осталось 0");
    SetVariable("LANGUAGE", "");  // the tests' C.UTF-8 has no catalogue: English
    UseUserLanguage();
    EXPECT_EQ(Render(length_alone).error->cause(),
              "the record stream breaks off: a record's text needs "s + row.english +
                  ", and the stream has 0 left");
    UseTestLanguage();
  }
}

TEST(RecordStreamCorruptionTest, DamagedLengthField) {
  const Entry first = {"first", 0};
  const Entry second = {"second", -1};
  const Entry third = {"third", 0};
  const std::string stream = RecordStream({first, second, third});
  // The second entry's length field, and the bytes that follow it.
  const std::size_t at = 2 * kFieldWidth + first.text.size();
  const std::size_t after = at + kFieldWidth;
  const auto left = static_cast<std::int32_t>(stream.size() - after);
  const auto with_length = [&](std::int32_t n) {
    return stream.substr(0, at) + Int32Bytes(n) + stream.substr(after);
  };

  const std::string before = RenderedText({first});
  struct Case {
    const char* what;
    std::string stream;
    ErrorNumber number;
    std::size_t offset;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"length -1", with_length(-1), ErrorNumber::kInvalidArgument, at, before},
      {"smallest length", with_length(kInt32Min), ErrorNumber::kInvalidArgument, at, before},
      {"text one byte past the end", with_length(left + 1), ErrorNumber::kInputPastEndOfFile, after,
       before},
      {"text to the very end, no flag", with_length(left), ErrorNumber::kInputPastEndOfFile,
       stream.size(), before},
      {"three bytes left for the flag", with_length(left - 3), ErrorNumber::kInputPastEndOfFile,
       stream.size() - 3, before},
      {"length of two billion", with_length(2'000'000'000), ErrorNumber::kInputPastEndOfFile, after,
       before},
      {"length of two billion in a 20-byte stream",
       Int32Bytes(2'000'000'000) + std::string(16, 'x'), ErrorNumber::kInputPastEndOfFile,
       kFieldWidth, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Rendering rendering = Render(c.stream);
    ASSERT_TRUE(rendering.error.has_value());
    EXPECT_EQ(rendering.error->number(), c.number);
    EXPECT_EQ(rendering.error->offset(), std::optional<std::int64_t>(c.offset));
    EXPECT_EQ(rendering.text, c.text);
    // A length is checked against the stream before anything that long is read.
    EXPECT_LE(rendering.largest_read, c.stream.size());
  }
}

// A stream past 2 GiB that is never held in memory: Length() is as given,
// the bytes placed explicitly read as placed, and all others read as
// kFiller.
class SparseSource final : public ReadableFile {
 public:
  static constexpr char kFiller = 'x';

  explicit SparseSource(std::int64_t length) : length_(length) {}

  void Place(std::int64_t offset, std::string bytes) { placed_[offset] = std::move(bytes); }

  std::int64_t Length() override { return length_; }
  std::filesystem::perms Permissions() const override { return std::filesystem::perms::none; }

  std::size_t ReadAt(std::int64_t offset, char* dst, std::size_t n) override {
    largest_read_ = std::max(largest_read_, n);
    if (offset < 0 || offset >= length_) return 0;
    const std::int64_t end = std::min(length_, offset + static_cast<std::int64_t>(n));
    std::memset(dst, kFiller, static_cast<std::size_t>(end - offset));
    // Placed pieces are a few bytes long and never overlap, so the one
    // starting before `offset` is the only earlier one that can reach it.
    auto it = placed_.upper_bound(offset);
    if (it != placed_.begin()) --it;
    for (; it != placed_.end() && it->first < end; ++it) {
      const std::int64_t from = std::max(it->first, offset);
      const std::int64_t to =
          std::min(it->first + static_cast<std::int64_t>(it->second.size()), end);
      if (from < to) {
        std::memcpy(dst + (from - offset), it->second.data() + (from - it->first),
                    static_cast<std::size_t>(to - from));
      }
    }
    return static_cast<std::size_t>(end - offset);
  }

  void Close() override {}

  std::size_t largest_read() const { return largest_read_; }

 private:
  std::int64_t length_;
  std::map<std::int64_t, std::string> placed_;
  std::size_t largest_read_ = 0;
};

// Counts what it is given; the texts here are too long to keep.
class CountingTarget final : public WritableFile {
 public:
  void AppendPieces(std::span<const std::string_view> pieces) override {
    for (const std::string_view piece : pieces) bytes_ += static_cast<std::int64_t>(piece.size());
  }
  void Close() override {}

  std::int64_t bytes() const { return bytes_; }

 private:
  std::int64_t bytes_ = 0;
};

// Positions are kept in 32 bits, so a stream longer than 2 GiB must stop with
// an overflow where its positions run out, not wrap around.
class RecordStreamOverflowTest : public ::testing::Test {
 protected:
  static constexpr std::int64_t kStreamLength = std::int64_t{3} << 30;
  // Entries of 64 MiB each carry the position close to the limit.
  static constexpr std::int32_t kLongText = (1 << 26) - 2 * kFieldWidth;
  static constexpr int kLongEntries = 31;

  RecordStreamOverflowTest() : source_(kStreamLength) {}

  // Places the long entries; returns where the entry after them starts.
  std::int64_t PlaceLongEntries() {
    std::int64_t at = 0;
    for (int i = 0; i < kLongEntries; ++i) {
      source_.Place(at, Int32Bytes(kLongText));
      source_.Place(at + kFieldWidth + kLongText, Int32Bytes(-1));
      at += 2 * kFieldWidth + kLongText;
    }
    return at;
  }

  // Places the long entries and one more, a false one whose text reaches up
  // to its flag at `flag_at`; returns that text's length.
  std::int64_t PlaceEntriesUpToFlagAt(std::int64_t flag_at) {
    const std::int64_t last = PlaceLongEntries();
    const std::int64_t text = flag_at - last - kFieldWidth;
    source_.Place(last, Int32Bytes(static_cast<std::int32_t>(text)));
    source_.Place(flag_at, Int32Bytes(0));
    return text;
  }

  static std::int64_t RenderedLength(int entries, std::int64_t text) {
    return entries * (1 + text + 2);
  }

  SparseSource source_;
  CountingTarget target_;
};

TEST_F(RecordStreamOverflowTest, TextEndingPastTheLimitIsNotRead) {
  source_.Place(0, Int32Bytes(kInt32Max - 3));
  const auto error = RunTimeErrorOf([&] { RenderRecordStream(source_, target_); });
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->number(), ErrorNumber::kOverflow);
  EXPECT_TRUE(error->offset().has_value());
  EXPECT_EQ(target_.bytes(), 0);
  // Reads come in pieces far shorter than the text the length claims.
  EXPECT_LE(source_.largest_read(), std::size_t{1} << 20);
}

TEST_F(RecordStreamOverflowTest, FlagEndingPastTheLimit) {
  // The flag itself can be read, so its entry is whole and rendered; the
  // position after it cannot be held, and that step fails.
  const std::int64_t flag_at = kInt32Max - 2;
  const std::int64_t text = PlaceEntriesUpToFlagAt(flag_at);

  const auto error = RunTimeErrorOf([&] { RenderRecordStream(source_, target_); });
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->number(), ErrorNumber::kOverflow);
  EXPECT_EQ(error->offset(), flag_at);
  EXPECT_EQ(target_.bytes(), RenderedLength(kLongEntries, kLongText) + RenderedLength(1, text));
}

TEST_F(RecordStreamOverflowTest, LengthEndingPastTheLimit) {
  // Positions count from 1 and name the byte to read next, so an entry is
  // still whole when the position after its flag is exactly the limit; the
  // length field there is the first one that cannot be passed.
  const std::int64_t flag_at = kInt32Max - 5;
  const std::int64_t text = PlaceEntriesUpToFlagAt(flag_at);
  const std::int64_t length_at = flag_at + kFieldWidth;
  source_.Place(length_at, Int32Bytes(0));

  const auto error = RunTimeErrorOf([&] { RenderRecordStream(source_, target_); });
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->number(), ErrorNumber::kOverflow);
  EXPECT_EQ(error->offset(), length_at);
  EXPECT_EQ(target_.bytes(), RenderedLength(kLongEntries, kLongText) + RenderedLength(1, text));
}

// Through the real file layer, read in the renderer's 128 KiB pieces, which
// a field or a text can straddle.
class RecordStreamFilesTest : public ::testing::Test {
 protected:
  // Renders `stream` from a file into a file, closing the output also after a
  // failure, and returns the output file's bytes.
  std::string RenderFiles(const std::string& stream, std::optional<RunTimeError>* error) {
    WriteFileBytes(dir_ / "stream.bin", stream);
    FileSystem& file_system = DefaultFileSystem();
    auto source = file_system.OpenForReading(dir_ / "stream.bin");
    auto target = file_system.CreateForWriting(dir_ / "stream.txt", testing::kOwnerReadWrite);
    *error = RunTimeErrorOf([&] { RenderRecordStream(*source, *target); });
    target->Close();
    source->Close();
    return ReadFileBytes(dir_ / "stream.txt");
  }

  TempDir dir_;
};

TEST_F(RecordStreamFilesTest, ManyEntriesAcrossBuffers) {
  const std::vector<Entry> entries = RandomEntries(20240611, 3 << 20);
  std::optional<RunTimeError> error;
  const std::string text = RenderFiles(RecordStream(entries), &error);
  EXPECT_FALSE(error.has_value()) << error->what();
  EXPECT_TRUE(SameBytes(text, RenderedText(entries)));
}

TEST_F(RecordStreamFilesTest, TextsAroundTheBufferSize) {
  std::mt19937 random(7);
  std::vector<Entry> entries;
  // Around the renderer's 128 KiB pieces (less the marker and line break)
  // and half of them, and the 32 bytes it moves a short text in.
  for (const std::size_t n : {200000, 65535, 65536, 65537, 0, 131072, 1, 65533, 65540, 131067,
                              131068, 131069, 131071, 300000, 31, 32, 33, 63, 64}) {
    entries.push_back({RandomBytes(random, 3), 0});
    entries.push_back({RandomBytes(random, n), -1});
  }
  std::optional<RunTimeError> error;
  const std::string text = RenderFiles(RecordStream(entries), &error);
  EXPECT_FALSE(error.has_value()) << error->what();
  EXPECT_TRUE(SameBytes(text, RenderedText(entries)));
}

TEST_F(RecordStreamFilesTest, TruncatedLongStreamKeepsEverythingBefore) {
  const std::vector<Entry> entries = RandomEntries(99, 1 << 20);
  const std::string stream = RecordStream(entries);
  // The next entry's length, and half of its text.
  const std::string cut = stream + Int32Bytes(1000) + std::string(500, 'x');
  std::optional<RunTimeError> error;
  const std::string text = RenderFiles(cut, &error);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->number(), ErrorNumber::kInputPastEndOfFile);
  EXPECT_EQ(error->offset(), static_cast<std::int64_t>(stream.size() + kFieldWidth));
  EXPECT_TRUE(SameBytes(text, RenderedText(entries)));
}

}  // namespace
}  // namespace holvane
