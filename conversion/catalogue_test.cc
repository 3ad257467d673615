// SPDX-License-Identifier: MIT
#include "conversion/catalogue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "conversion/record_stream.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

using testing::Entry;

// Record streams of every kind: texts of every byte value (one holds all
// 256), the program's flags and any other, texts that repeat, empty ones.
std::vector<std::vector<Entry>> GeneratedFiles(unsigned seed) {
  std::mt19937 engine(seed);
  const std::int32_t flags[] = {0,
                                -1,
                                1,
                                7,
                                std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max()};
  std::string every_byte;
  for (int byte = 0; byte < 256; ++byte) every_byte.push_back(static_cast<char>(byte));
  std::vector<std::string> pool = {every_byte, "", "\r\n", "a\nb\n", "\\\"", "\x98\x7F\x1B"};
  for (int i = 0; i < 20; ++i) pool.push_back(testing::RandomBytes(engine, engine() % 40));
  std::vector<std::vector<Entry>> files(3);
  for (auto& file : files) {
    const std::size_t count = engine() % 30;
    for (std::size_t i = 0; i < count; ++i) {
      file.push_back({pool[engine() % pool.size()], flags[engine() % std::size(flags)]});
    }
  }
  return files;
}

std::string FileName(std::size_t index) { return "dir/f " + std::to_string(index) + ".wvl"; }

CatalogueBuilder BuildFrom(const std::vector<std::vector<Entry>>& files) {
  CatalogueBuilder builder;
  CatalogueBuilder streamed;
  for (std::size_t i = 0; i < files.size(); ++i) {
    builder.AddFile(FileName(i), ReadRecords(testing::RecordStream(files[i])));
    streamed.AddStream(FileName(i), testing::RecordStream(files[i]));
  }
  EXPECT_EQ(streamed.Po(CatalogueDate(0)), builder.Po(CatalogueDate(0)));
  return builder;
}

// Applies `entries` to every file and checks each comes back as `files` has it.
void ExpectSameStreams(const std::vector<CatalogueEntry>& entries,
                       const std::vector<std::vector<Entry>>& files, bool translated) {
  Translations translations(entries);
  Translations streamed(entries);
  ApplyCounts counts;
  ApplyCounts streamed_counts;
  std::int64_t texts = 0;
  for (const auto& file : files) {
    const std::string stream = testing::RecordStream(file);
    EXPECT_TRUE(
        testing::SameBytes(WriteRecords(translations.Apply(ReadRecords(stream), counts)), stream));
    EXPECT_TRUE(testing::SameBytes(streamed.ApplyStream(stream, streamed_counts), stream));
    for (const Entry& entry : file) texts += entry.text.empty() ? 0 : 1;
  }
  EXPECT_EQ(counts.translated, translated ? texts : 0);
  EXPECT_EQ(counts.kept, translated ? 0 : texts);
  EXPECT_EQ(counts.fuzzy, 0);
  EXPECT_EQ(translations.Unmatched(), 0u);
  EXPECT_EQ(streamed_counts.translated, counts.translated);
  EXPECT_EQ(streamed_counts.kept, counts.kept);
  EXPECT_EQ(streamed.Unmatched(), 0u);
}

TEST(Catalogue, EveryEntryTranslatedToItselfGivesBackTheSameStreams) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    const auto files = GeneratedFiles(seed);
    for (const auto& file : files) {
      const std::string stream = testing::RecordStream(file);
      const std::vector<Record> records = ReadRecords(stream);
      ASSERT_EQ(records.size(), file.size());
      for (std::size_t i = 0; i < file.size(); ++i) {
        EXPECT_EQ(records[i].text, file[i].text);
        EXPECT_EQ(records[i].flag, file[i].flag);
      }
      EXPECT_EQ(WriteRecords(records), stream);
    }
    CatalogueBuilder builder = BuildFrom(files);
    // One entry per distinct non-empty text, in order of first appearance,
    // with every record's reference and each flag once.
    std::vector<std::string> distinct;
    for (std::size_t f = 0; f < files.size(); ++f) {
      for (std::size_t i = 0; i < files[f].size(); ++i) {
        const Entry& record = files[f][i];
        if (record.text.empty()) continue;
        const auto at = std::find(distinct.begin(), distinct.end(), record.text);
        if (at == distinct.end()) distinct.push_back(record.text);
        const CatalogueEntry& entry = builder.entries()[static_cast<std::size_t>(
            std::find(distinct.begin(), distinct.end(), record.text) - distinct.begin())];
        EXPECT_NE(std::find(entry.references.begin(), entry.references.end(),
                            FileName(f) + ":" + std::to_string(i + 1)),
                  entry.references.end());
        EXPECT_EQ(std::count(entry.flags.begin(), entry.flags.end(), record.flag), 1);
      }
    }
    ASSERT_EQ(builder.entries().size(), distinct.size());
    for (std::size_t i = 0; i < distinct.size(); ++i) {
      EXPECT_EQ(builder.entries()[i].source, CatalogueText(distinct[i]));
    }

    // A template applies nothing; each entry translated to itself, everything.
    const std::string date = CatalogueDate(0);
    for (const bool translated : {false, true}) {
      std::vector<CatalogueEntry> entries = builder.entries();
      CatalogueBuilder copy = builder;
      if (translated) {
        for (CatalogueEntry& entry : entries) entry.translation = entry.source;
        EXPECT_EQ(copy.TakeTranslations(entries), entries.size());
        EXPECT_EQ(copy.entries().size(), entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
          EXPECT_EQ(copy.entries()[i].translation, entries[i].source);
        }
      }
      const std::string po = WritePo(entries, date);
      EXPECT_EQ(po, WritePo(entries, date));
      EXPECT_EQ(copy.Po(date), po);
      EXPECT_EQ(copy.Csv(), WriteCsv(entries));
      for (const CatalogueReading& reading : {ReadPo(po), ReadCsv(WriteCsv(entries))}) {
        ASSERT_EQ(reading.fault_count, 0u) << reading.faults[0].cause;
        ASSERT_EQ(reading.entries.size(), entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
          EXPECT_EQ(reading.entries[i].source, entries[i].source);
          EXPECT_EQ(reading.entries[i].translation, entries[i].translation);
          EXPECT_EQ(reading.entries[i].references, entries[i].references);
        }
        ExpectSameStreams(reading.entries, files, translated);
      }
    }
  }
}

// Texts enough for the builder's table to grow while it holds entries, met
// again in a second file, are each one entry still; the catalogue, larger
// than a piece, comes in several that together are what WritePo and
// WriteCsv make of the entries.
TEST(Catalogue, LargeCatalogueKeepsEveryEntryAndComesInPieces) {
  std::vector<Entry> records;
  for (int i = 0; i < 20000; ++i) records.push_back({"text " + std::to_string(i), i % 3});
  CatalogueBuilder builder;
  builder.AddStream("a.wvl", testing::RecordStream(records));
  builder.AddStream("b.wvl", testing::RecordStream(records));
  ASSERT_EQ(builder.size(), records.size());
  for (std::size_t i = 0; i < records.size(); i += 997) {
    EXPECT_EQ(builder.entries()[i].source, records[i].text);
    EXPECT_EQ(builder.entries()[i].references,
              (std::vector<std::string>{"a.wvl:" + std::to_string(i + 1),
                                        "b.wvl:" + std::to_string(i + 1)}));
  }
  const std::string date = CatalogueDate(0);
  std::string po;
  std::size_t pieces = 0;
  builder.Po(date, [&](std::string_view piece) {
    po += piece;
    ++pieces;
  });
  EXPECT_GT(pieces, 1u);
  EXPECT_EQ(po, WritePo(builder.entries(), date));
  std::string csv;
  pieces = 0;
  builder.Csv([&](std::string_view piece) {
    csv += piece;
    ++pieces;
  });
  EXPECT_GT(pieces, 1u);
  EXPECT_EQ(csv, WriteCsv(builder.entries()));
}

TEST(Catalogue, CatalogueTextShowsControlsAsPicturesAndTheHoleAsReplacement) {
  EXPECT_EQ(CatalogueText("\x01\t\n\r\x1F\x7F\x98\xC6"), "\u2401\t\n\r\u241F\u2421\uFFFD\u0416");
  EXPECT_EQ(CatalogueDate(1700000000), "2023-11-14 22:13+0000");
  EXPECT_EQ(CatalogueDate(0), "1970-01-01 00:00+0000");
}

TEST(Catalogue, StreamThatBreaksOffFailsAsTheRendererSays) {
  const std::string whole = testing::RecordStream({{"abc", 0}, {"defg", -1}});
  for (const std::string& stream :
       {whole.substr(0, whole.size() - 2), whole.substr(0, 13), testing::Int32Bytes(-1)}) {
    const testing::ExpectedRendering expected = testing::RenderReference(stream);
    const auto error = testing::RunTimeErrorOf([&] { ReadRecords(stream); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(static_cast<int>(error->number()), expected.error_number);
    EXPECT_EQ(error->offset(), expected.offset);
  }
}

TEST(Catalogue, TranslationsAppliedOnlyWhenUsableAndCounted) {
  std::vector<CatalogueEntry> entries(4);
  entries[0].source = "a";
  entries[0].translation = "Ж";
  entries[1].source = "b";
  entries[1].translation = "x";
  entries[1].fuzzy = true;
  entries[2].source = "gone";
  entries[2].translation = "y";
  entries[3].source = "c";
  entries[3].translation = "z";
  entries[3].obsolete = true;
  Translations translations(entries);
  ApplyCounts counts;
  const std::vector<Record> applied =
      translations.Apply({{"a", 5}, {"b", 0}, {"", -1}, {"c", 1}, {"d", 0}}, counts);
  EXPECT_EQ(WriteRecords(applied),
            testing::RecordStream({{"\xC6", 5}, {"b", 0}, {"", -1}, {"c", 1}, {"d", 0}}));
  EXPECT_EQ(counts.translated, 1);
  EXPECT_EQ(counts.kept, 3);
  EXPECT_EQ(counts.fuzzy, 1);
  EXPECT_EQ(translations.Unmatched(), 1u);
  // --from takes only what applying would use.
  CatalogueBuilder builder;
  builder.AddFile("f.wvl", {{"b", 0}, {"a", 0}, {"c", 0}});
  EXPECT_EQ(builder.TakeTranslations(entries), 1u);
  EXPECT_EQ(builder.entries()[0].translation, "");
  EXPECT_EQ(builder.entries()[1].translation, "Ж");
  EXPECT_EQ(builder.entries()[2].translation, "");
}

struct BadCatalogue {
  bool csv;
  std::string content;
  std::string line;  // LINE:COLUMN: cause
};

TEST(Catalogue, EachBadLineIsToldWhereItIs) {
  const std::string entry = "msgid \"a\"\nmsgstr \"b\"\n";
  const BadCatalogue table[] = {
      {false, "msgid \"a\"\nmsgstr \"Жук ✓\"\n",
       "2:13: символ «✓» (U+2713) не представим в кодовой странице 1251"},
      {false, "msgid \"a\"\nmsgstr \"\\342\\234\\223\"\n",
       "2:9: символ «✓» (U+2713) не представим в кодовой странице 1251"},
      {false, entry + "msgid \"Ж\\q\"\nmsgstr \"\"\n",
       "3:9: неверная escape-последовательность «\\q»: допустимы \\\\, \\\", \\n, \\t, \\r, \\a, "
       "\\b, \\f, \\v, \\NNN и \\xNN"},
      {false, "msgid \"a\\400\"\nmsgstr \"\"\n",
       "1:9: восьмеричный код «\\400» больше байта (\\377)"},
      {false, "msgid \"a\\x\"\nmsgstr \"\"\n", "1:9: после «\\x» нужны шестнадцатеричные цифры"},
      {false, "msgid \"\\x0041\\x100\"\nmsgstr \"\"\n",
       "1:14: шестнадцатеричный код «\\x100» больше байта (\\xFF)"},
      {false, "msgid \"a\nmsgstr \"\"\n", "1:7: строка не закрыта кавычкой до конца строки"},
      {false, "msgid \"a\" x\nmsgstr \"\"\n", "1:11: лишнее после закрывающей кавычки"},
      {false, "  msgidd \"a\"\n",
       "1:3: неизвестное слово «msgidd»: ожидается msgctxt, msgid, msgstr, строка в кавычках или "
       "комментарий «#»"},
      {false, entry + "msgid_plural \"a\"\n",
       "3:1: формы множественного числа («msgid_plural») не поддерживаются: у текстов файлов их "
       "нет"},
      {false, "msgstr \"b\"\n", "1:1: msgstr без msgid перед ним"},
      {false, entry + "msgstr \"c\"\n", "3:1: второй msgstr у одной записи"},
      {false, "\"b\"\n", "1:1: строка в кавычках без msgctxt, msgid или msgstr перед ней"},
      {false, "msgid\n", "1:6: после msgid нужна строка в кавычках"},
      {false, "# x\nmsgid \"a\"\n\n", "2:1: у msgid нет msgstr"},
      {false, "msgid \"a\"\nmsgid \"b\"\nmsgstr \"\"\n", "2:1: у msgid нет msgstr"},
      {false, "msgid \"a\xD0\"\nmsgstr \"\"\n", "1:9: байт 0xD0 не из текста UTF-8"},
      {false, "msgid \"a\"\nmsgstr \"Ж\\320\"\n",
       "2:10: escape-последовательности дают байт 0xD0 не из текста UTF-8"},
      {false, "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=KOI8-R\\n\"\n" + entry,
       "3:36: кодировка каталога «KOI8-R» не поддерживается: нужна UTF-8 (charset=UTF-8 в "
       "Content-Type)"},
      {false, "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=\"\n",
       "2:43: кодировка каталога «» не поддерживается: нужна UTF-8 (charset=UTF-8 в Content-Type)"},
      {true, "source,target\r\n\"a,b\r\n", "2:1: ячейка в кавычках не закрыта до конца файла"},
      {true, "source,translation\r\n", "1:1: в строке заголовка нет столбца «target»"},
      {true, "", "1:1: нет строки заголовка со столбцами «source» и «target»"},
      {true, "source,target\r\n\"a\"b,c\r\n",
       "2:4: после закрывающей кавычки нужна запятая или конец строки"},
      {true, "source,target\r\na\"b,c\r\n",
       "2:2: кавычка внутри ячейки без кавычек: заключите ячейку в кавычки, а кавычку удвойте"},
      {true, "\xEF\xBB\xBFtarget,x,source\r\nЖ\\q,,a\r\n",
       "2:2: неверная escape-последовательность «\\q»: в ячейке допустимы \\\\, \\t, \\n и \\r"},
      {true, "source,target\r\n\"a\r\nb\",\"\r\nЖ✓\"\r\n",
       "4:2: символ «✓» (U+2713) не представим в кодовой странице 1251"},
  };
  for (const BadCatalogue& row : table) {
    SCOPED_TRACE(row.content);
    const CatalogueReading reading = row.csv ? ReadCsv(row.content) : ReadPo(row.content);
    EXPECT_TRUE(reading.entries.empty());
    ASSERT_EQ(reading.fault_count, 1u);
    ASSERT_EQ(reading.faults.size(), 1u);
    EXPECT_EQ(FaultLine("c", reading.faults[0]), "c:" + row.line);
  }
  // A character without a byte is no fault where the translation is not
  // used; the first ten faults are kept, and the count of all.
  EXPECT_EQ(ReadPo("#, fuzzy\nmsgid \"a\"\nmsgstr \"✓\"\n").fault_count, 0u);
  std::string many;
  for (int i = 0; i < 12; ++i) many += "bad\n";
  const CatalogueReading reading = ReadPo(many);
  EXPECT_EQ(reading.fault_count, 12u);
  EXPECT_EQ(reading.faults.size(), kReportedFaults);
  EXPECT_EQ(reading.faults.back().line, kReportedFaults);
}

// The gettext tools on a catalogue, when they are installed: each reads and
// writes it back without losing anything applying needs.
TEST(Catalogue, GettextToolsKeepWhatApplyingNeeds) {
  if (std::system("msgfmt --version > /dev/null 2>&1") != 0 ||
      std::system("msgmerge --version > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "gettext is not installed";
  }
  const auto files = GeneratedFiles(7);
  const CatalogueBuilder builder = BuildFrom(files);
  std::vector<CatalogueEntry> translated = builder.entries();
  for (CatalogueEntry& entry : translated) entry.translation = entry.source;
  const testing::TempDir dir;
  const std::string date = CatalogueDate(1700000000);
  testing::WriteFileBytes(dir / "t.pot", WritePo(builder.entries(), date));
  testing::WriteFileBytes(dir / "own.po", WritePo(translated, date));
  const std::string in = "cd '" + testing::Utf8String(dir.path()) + "' && ";
  for (const char* command :
       {"msgfmt --check -o t.mo t.pot", "msgfmt --check -o own.mo own.po", "msgen t.pot -o en.po",
        "msgfmt --check -o en.mo en.po", "msgcat en.po -o wrapped.po",
        "msgcat --no-wrap own.po -o unwrapped.po",
        "msgmerge --quiet --previous en.po t.pot -o merged.po",
        "msgattrib --no-obsolete merged.po -o attrib.po"}) {
    ASSERT_EQ(std::system((in + command + " 2> tool.log").c_str()), 0)
        << command << "\n"
        << testing::ReadFileBytes(dir / "tool.log");
  }
  for (const char* name :
       {"own.po", "en.po", "wrapped.po", "unwrapped.po", "merged.po", "attrib.po"}) {
    SCOPED_TRACE(name);
    const CatalogueReading reading = ReadPo(testing::ReadFileBytes(dir / name));
    ASSERT_EQ(reading.fault_count, 0u) << reading.faults[0].cause;
    ExpectSameStreams(reading.entries, files, true);
    ASSERT_EQ(reading.entries.size(), translated.size());
    for (std::size_t i = 0; i < translated.size(); ++i) {
      EXPECT_EQ(reading.entries[i].references, translated[i].references);
    }
  }
}

}  // namespace
}  // namespace holvane
