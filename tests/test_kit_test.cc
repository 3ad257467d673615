// SPDX-License-Identifier: MIT
// The test kit itself: the reference rendering against streams written out
// by hand, and each fault the faulty file layer can put in a call's way.
#include "tests/test_kit.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "tests/test_support.h"

namespace holvane::testing {
namespace {

using namespace std::string_literals;

TEST(TestKitRecordStreamTest, EncodesLittleEndianFields) {
  EXPECT_EQ(Int32Bytes(1), "\x01\x00\x00\x00"s);
  EXPECT_EQ(Int32Bytes(-2), "\xFE\xFF\xFF\xFF"s);
  EXPECT_EQ(RecordStream({{"ab", -1}}),
            "\x02\x00\x00\x00"
            "ab\xFF\xFF\xFF\xFF"s);
}

TEST(TestKitReferenceTest, RendersMarkersAndStopsAtFaults) {
  EXPECT_EQ(RenderedText({{"a", 0}, {"b", -1}, {"c", 7}}), "-a\r\n+b\r\n?\r\nc\r\n");
  const std::string whole = RecordStream({{"a", 0}, {"b", -1}, {"c", 7}});
  EXPECT_EQ(RenderReference(whole).text, "-a\r\n+b\r\n?\r\nc\r\n");
  EXPECT_FALSE(RenderReference(whole).error_number.has_value());
  // A single stray byte at the end is no entry.
  EXPECT_FALSE(RenderReference(whole + "x").error_number.has_value());

  const ExpectedRendering cut_length = RenderReference(whole + "xyz");
  EXPECT_EQ(cut_length.text, "-a\r\n+b\r\n?\r\nc\r\n");
  EXPECT_EQ(cut_length.error_number, 62);
  EXPECT_EQ(cut_length.offset, static_cast<std::int64_t>(whole.size()));

  const ExpectedRendering cut_text = RenderReference(Int32Bytes(5) + "ab");
  EXPECT_EQ(cut_text.error_number, 62);
  EXPECT_EQ(cut_text.offset, 4);

  const ExpectedRendering negative = RenderReference(whole + Int32Bytes(-1) + Int32Bytes(0));
  EXPECT_EQ(negative.error_number, 5);
  EXPECT_EQ(negative.offset, static_cast<std::int64_t>(whole.size()));
}

TEST(TestKitZlibTest, CompressesAndInflatesWithZlibItself) {
  const std::string data = Sample(5000);
  for (const int window_bits : {15, 31, -15}) {
    std::string output;
    ASSERT_TRUE(ZlibInflate(ZlibDeflate(data, window_bits), window_bits, output));
    EXPECT_TRUE(SameBytes(output, data));
  }
  std::string output;
  EXPECT_TRUE(ZlibInflate(ZlibCompress(data), 15, output));
  EXPECT_FALSE(ZlibInflate(ZlibCompress(data).substr(0, 10), 15, output));
}

TEST(TestKitFaultyFileSystemTest, FailsTheNthMatchingCallOfAKind) {
  MemoryFileSystem memory;
  memory.Put("a.wvl", "abc");
  FaultyFileSystem file_system(memory);
  file_system.Fail(FileCall::kReadAt, 2, NamedFile("a.wvl"), ErrorNumber::kDeviceIo, "read");
  file_system.Fail(FileCall::kRemove, 0, WithExtension(".tmp"), ErrorNumber::kPermissionDenied,
                   "remove");
  file_system.Fail(FileCall::kLockInput, 1);

  auto file = file_system.OpenForReading("a.wvl");
  char bytes[3];
  EXPECT_EQ(file->ReadAt(0, bytes, 3), 3u);
  auto error = RunTimeErrorOf([&] { file->ReadAt(0, bytes, 3); });
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->cause(), "read");
  EXPECT_EQ(file->ReadAt(1, bytes, 3), 2u);

  memory.Put("b.tmp", "");
  memory.Put("c.txt", "");
  for (int i = 0; i < 2; ++i) {
    error = RunTimeErrorOf([&] { file_system.Remove("b.tmp"); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), ErrorNumber::kPermissionDenied);
  }
  EXPECT_TRUE(memory.Exists("b.tmp"));
  file_system.Remove("c.txt");
  EXPECT_FALSE(memory.Exists("c.txt"));

  error = RunTimeErrorOf([&] { file_system.LockInput("a.wvl"); });
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->cause(), kInjectedCause);
  EXPECT_NE(file_system.LockInput("a.wvl"), nullptr);
  EXPECT_EQ(file_system.calls(), 9);
}

TEST(TestKitFaultyFileSystemTest, FailsTheKthCallOfAnyKindAndTellsOfCreation) {
  MemoryFileSystem memory;
  FaultyFileSystem file_system(memory);
  std::optional<std::filesystem::path> created;
  file_system.FailCall(3).OnCreate([&](const std::filesystem::path& path) { created = path; });
  auto file = file_system.CreateForWriting("out.txt", kOwnerReadWrite);
  EXPECT_EQ(created, std::filesystem::path("out.txt"));
  file->Append("one");
  EXPECT_TRUE(RunTimeErrorOf([&] { file->Append("two"); }).has_value());
  file->Close();
  EXPECT_EQ(memory.Get("out.txt"), "one");
}

TEST(TestKitFaultyFileSystemTest, FullDiskRefusesAWholeAppendOrKeepsItsPart) {
  for (const auto part_way :
       {FaultyFileSystem::PartWay::kNothingWritten, FaultyFileSystem::PartWay::kPartWritten}) {
    MemoryFileSystem memory;
    FaultyFileSystem file_system(memory);
    file_system.LimitRoom(5, WithExtension(".txt"), part_way);
    auto other = file_system.CreateForWriting("out.tmp", kOwnerReadWrite);
    other->Append("not limited at all");
    auto file = file_system.CreateForWriting("out.txt", kOwnerReadWrite);
    file->Append("abc");
    const std::string_view pieces[] = {"de", "fg"};
    const auto error = RunTimeErrorOf([&] { file->AppendPieces(pieces); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), ErrorNumber::kDiskFull);
    EXPECT_EQ(memory.Get("out.txt"),
              part_way == FaultyFileSystem::PartWay::kPartWritten ? "abcde" : "abc");
  }
}

TEST(TestKitFaultyFileSystemTest, ShrinkingFileDeliversLessThanItsLength) {
  TempDir dir;
  WriteFileBytes(dir / "in.wvl", "0123456789");
  FaultyFileSystem file_system;
  file_system.ShortenReads(4);
  auto file = file_system.OpenForReading(dir / "in.wvl");
  EXPECT_EQ(file->Length(), 10);
  std::string bytes(10, '\0');
  EXPECT_EQ(file->ReadAt(2, bytes.data(), 10), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "23");
  EXPECT_EQ(file->ReadAt(4, bytes.data(), 10), 0u);
  file->Close();
}

TEST(TestKitMemoryFileSystemTest, MissingFilesFailAsTheRealOnesDo) {
  MemoryFileSystem memory;
  for (const auto& error : {RunTimeErrorOf([&] { memory.OpenForReading("gone.wvl"); }),
                            RunTimeErrorOf([&] { memory.Remove("gone.wvl"); }),
                            RunTimeErrorOf([&] { memory.LockInput("gone.wvl"); })}) {
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), ErrorNumber::kFileNotFound);
    EXPECT_TRUE(ConcernsFile(error, "gone.wvl"));
  }
}

}  // namespace
}  // namespace holvane::testing
