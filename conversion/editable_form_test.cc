// SPDX-License-Identifier: MIT
// The editable form written, read back and packed: the round trip over
// generated record streams, and every kind of line that cannot be read.
#include "conversion/editable_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "common/run_time_error.h"
#include "compression/czlib.h"
#include "conversion/convert_file.h"
#include "conversion/pack.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

using namespace std::string_literals;
using namespace ::holvane::testing;  // the test kit and its GoogleTest helpers

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// The editable text of `stream` in `form`, as holvane-convert --editable
// writes it.
std::string EditableText(const std::string& stream, TextForm form) {
  form.layout = TextLayout::kEditable;
  MemoryFileSystem files;
  auto target = files.CreateForWriting("out", kOwnerReadWrite);
  std::optional<cZLIB> zlib;
  ConvertContent(ZlibCompress(stream), *target, zlib, form);
  return *files.Get("out");
}

// Streams that hold every byte value, every class of flag, empty texts,
// line breaks, backslashes and 0x98 where they are hardest, and long texts.
std::vector<std::vector<Entry>> GeneratedStreams() {
  std::string every_byte;
  for (int byte = 0; byte < 256; ++byte) every_byte += static_cast<char>(byte);
  std::vector<std::vector<Entry>> streams = {
      {},
      {{"", 0}},
      {{every_byte, -1}, {"", 1}, {"", kMin}, {"", kMax}, {"", -2}},
      {{"\r", 0}, {"\n", 0}, {"\r\n", 7}, {"a\\", -1}, {"\\x41\\n", 0}, {"\x98", 2}},
      {{"\t lead and trail \t", 0}, {"+-?", -1}, {"?1 ", 3}, {"\xC0\xFF\xA8\xB8\x88", 0}},
      {{std::string(300000, '\x98'), kMax}, {RandomBytes(200000, 1), kMin}},
  };
  std::mt19937 engine(21);
  const std::int32_t flags[] = {0, -1, 1, -2, kMin, kMax, 1000000};
  for (int n = 0; n < 20; ++n) {
    std::vector<Entry> entries;
    const int count = static_cast<int>(engine() % 40);
    for (int i = 0; i < count; ++i) {
      const std::size_t size = engine() % 4 == 0 ? 0 : engine() % 64;
      std::int32_t flag = flags[engine() % std::size(flags)];
      if (engine() % 5 == 0) flag = static_cast<std::int32_t>(engine());
      entries.push_back({RandomBytes(engine, size), flag});
    }
    streams.push_back(entries);
  }
  return streams;
}

// Written in every form, read back in the form's encoding, whichever line
// breaks, with or without a last one and a byte-order mark, every stream is
// the same again; packed, it decompresses to itself.
TEST(EditableForm, EveryStreamComesBackExactly) {
  std::optional<cZLIB> zlib;
  for (const std::vector<Entry>& entries : GeneratedStreams()) {
    const std::string stream = RecordStream(entries);
    for (const TextEncoding encoding : {TextEncoding::kUtf8, TextEncoding::kCp1251}) {
      for (const LineBreak line_break : {LineBreak::kLf, LineBreak::kCrLf}) {
        SCOPED_TRACE(::testing::Message() << entries.size() << " entries, "
                                          << (encoding == TextEncoding::kUtf8 ? "utf-8" : "cp1251")
                                          << (line_break == LineBreak::kLf ? " lf" : " crlf"));
        const std::string text = EditableText(stream, {encoding, line_break});
        // One line an entry, whatever its text holds.
        ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), std::ssize(entries));
        std::vector<std::string> readings = {text};
        if (!text.empty())
          readings.push_back(
              text.substr(0, text.rfind(line_break == LineBreak::kLf ? "\n" : "\r\n")));
        if (encoding == TextEncoding::kUtf8) readings.push_back("\xEF\xBB\xBF" + text);
        for (const std::string& reading : readings) {
          const EditableReading read = ReadEditable(reading, encoding);
          ASSERT_EQ(read.fault_count, 0u) << (read.faults.empty() ? "" : read.faults[0].cause);
          ASSERT_EQ(read.stream, stream);
        }
        std::string unpacked;
        ASSERT_TRUE(ZlibInflate(PackRecordStream(stream, zlib), 15, unpacked) || stream.empty());
        EXPECT_EQ(unpacked, stream);
      }
    }
  }
}

// Each kind of line that cannot be read, as the line that tells of it.
TEST(EditableForm, EachBadLineIsToldWhereAndWhy) {
  struct Row {
    std::string content;
    TextEncoding encoding;
    std::string told;
  };
  const auto utf8 = TextEncoding::kUtf8;
  const auto cp1251 = TextEncoding::kCp1251;
  const Row rows[] = {
      {"+ok\n*star\n", utf8,
       "f:2:1: нет метки записи: строка должна начинаться с «+», «-» или «?»"},
      {"+ok\n\n+ok\n", utf8, "f:2:1: пустая строка: нет метки записи «+», «-» или «?»"},
      {"? text\n", utf8, "f:1:2: после «?» нужно число флага"},
      {"?- text\n", utf8, "f:1:2: после «?» нужно число флага"},
      {"?2147483648 x\n", utf8,
       "f:1:2: флаг 2147483648 вне 32-битного диапазона: от -2147483648 до 2147483647"},
      {"?-99999999999999999999999999 x", utf8,
       "f:1:2: флаг -99999999999999999999999… вне 32-битного диапазона: от -2147483648 до "
       "2147483647"},
      {"?12text\n", utf8, "f:1:4: после числа флага нужен пробел, затем текст"},
      {"?12", utf8, "f:1:4: после числа флага нужен пробел, затем текст"},
      {"+Да\\q\n", utf8,
       "f:1:4: неверная escape-последовательность «\\q»: допустимы \\\\, \\r, \\n, \\t и \\xNN"},
      {"+ab\\x4G\n", utf8,
       "f:1:4: неверная escape-последовательность «\\x4G»: допустимы \\\\, \\r, \\n, \\t и "
       "\\xNN"},
      {"+end\\", utf8,
       "f:1:5: неверная escape-последовательность «\\»: допустимы \\\\, \\r, \\n, \\t и \\xNN"},
      {"+a\rb\r\n", utf8, "f:1:3: управляющий символ U+000D в тексте: запишите его как \\r"},
      {"-\x01\n", cp1251, "f:1:2: управляющий символ U+0001 в тексте: запишите его как \\x01"},
      {"+Жж\xFF\n", utf8, "f:1:4: байт 0xFF не из текста UTF-8"},
      {"+\xD0\n", utf8, "f:1:2: байт 0xD0 не из текста UTF-8"},
      {"+ё€😀\n", utf8, "f:1:4: символ «😀» (U+1F600) не представим в кодовой странице 1251"},
      {"+é\n", utf8, "f:1:2: символ «é» (U+00E9) не представим в кодовой странице 1251"},
      {"+\xEF\xBF\xBD\n", utf8,
       "f:1:2: символ «\xEF\xBF\xBD» (U+FFFD) не представим в кодовой странице 1251; байт 0x98 "
       "записывается как \\x98"},
  };
  for (const Row& row : rows) {
    const EditableReading read = ReadEditable(row.content, row.encoding);
    ASSERT_EQ(read.fault_count, 1u) << row.told;
    EXPECT_EQ(FaultLine("f", read.faults[0]), row.told);
    EXPECT_TRUE(read.stream.empty()) << row.told;
  }
}

// A text or a stream longer than its fields hold is told at the character
// past the limit; many bad lines are told up to a number, then counted.
TEST(EditableForm, LimitsAndManyFaults) {
  const EditableLimits small{.text = 4, .stream = 30};
  EXPECT_EQ(FaultLine("f", ReadEditable("-ab\\ncd\n", TextEncoding::kUtf8, small).faults.at(0)),
            "f:1:7: текст длиннее 4 байт: столько не вмещает поле длины записи");
  EXPECT_EQ(
      FaultLine("f",
                ReadEditable("-abcd\n-abcd\n-abcd\n", TextEncoding::kUtf8, small).faults.at(0)),
      "f:3:1: поток записей длиннее 30 байт: столько не вмещают его 32-битные позиции");
  const EditableReading many = ReadEditable(std::string(25, '\n') + "+fine\n", TextEncoding::kUtf8);
  EXPECT_EQ(many.fault_count, 25u);
  ASSERT_EQ(many.faults.size(), kReportedFaults);
  EXPECT_EQ(many.faults.back().line, kReportedFaults);
}

// A packed file replaces another only when told to, and a failure on the way
// leaves the file there whole and nothing beside it.
TEST(EditableForm, PackedFileNeverLosesTheOneThere) {
  MemoryFileSystem memory;
  memory.Put("game.wvl", "old");
  const auto failed =
      RunTimeErrorOf([&] { WritePackedFile("game.wvl", "new", false, kOwnerReadWrite, memory); });
  ASSERT_TRUE(failed.has_value());
  EXPECT_EQ(failed->number(), ErrorNumber::kFileAlreadyExists);
  for (const FileCall call : {FileCall::kCreatedForWriting, FileCall::kAppend, FileCall::kSync,
                              FileCall::kCloseWritable, FileCall::kRename}) {
    FaultyFileSystem faulty(memory);
    faulty.Fail(call);
    EXPECT_TRUE(RunTimeErrorOf([&] {
                  WritePackedFile("game.wvl", "new", true, kOwnerReadWrite, faulty);
                }).has_value());
    EXPECT_EQ(memory.Get("game.wvl"), "old");
    EXPECT_FALSE(memory.Exists(PackTemporaryPathFor("game.wvl")));
  }
  WritePackedFile("game.wvl", "new", true, kOwnerReadWrite, memory);
  EXPECT_EQ(memory.Get("game.wvl"), "new");
  EXPECT_FALSE(memory.Exists(PackTemporaryPathFor("game.wvl")));
  EXPECT_EQ(PackedPathFor("dir/game.wvl.edit.txt"), "dir/game.wvl");
  EXPECT_EQ(PackedPathFor("dir/.edit.txt"), "");
  EXPECT_EQ(PackedPathFor("game.wvl.txt"), "");
}

// A pack that died (killed, the machine stopped) leaves its temporary file,
// under a name no later run makes again: the next pack into the same name
// takes it away, and leaves the one a pack still running writes, and those
// of other names.
TEST(EditableForm, PackTakesAwayWhatDeadPacksLeft) {
  TempDir dir;
  const std::filesystem::path dead = dir / "game.wvl.0123456789abcdef.pack.tmp";
  const std::filesystem::path running = dir / "game.wvl.fedcba9876543210.pack.tmp";
  const std::filesystem::path other = dir / "other.wvl.0123456789abcdef.pack.tmp";
  WriteFileBytes(dead, "half");
  WriteFileBytes(other, "half");
  const auto writing = DefaultFileSystem().CreateNewForWriting(running, kOwnerReadWrite);
  writing->Append("half");

  WritePackedFile(dir / "game.wvl", "new", false, kOwnerReadWrite);
  EXPECT_EQ(ReadFileBytes(dir / "game.wvl"), "new");
  EXPECT_FALSE(std::filesystem::exists(dead));
  EXPECT_EQ(ReadFileBytes(running), "half");
  EXPECT_EQ(ReadFileBytes(other), "half");
}

}  // namespace
}  // namespace holvane
