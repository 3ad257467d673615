// SPDX-License-Identifier: MIT
// Makes the .wvl inputs that bench/cli_bench.py converts with holvane-convert,
// and times the floor those conversions are compared with: one zlib inflate of
// the whole file into a buffer of the right size.
//
//   cmake --build build --target holvane_make_workload
//   build/bench/holvane_make_workload file short 64 /tmp/short-64.wvl
//   build/bench/holvane_make_workload folder short 2000 4 /tmp/small
//   build/bench/holvane_make_workload inflate /tmp/short-64.wvl
//   build/bench/holvane_make_workload floor /tmp/short-64.wvl 80877036
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bench/workloads.h"
#include "tests/test_kit.h"

namespace {

constexpr char kProgram[] = "holvane_make_workload";

constexpr char kUsage[] =
    "Usage:\n"
    "  holvane_make_workload file KIND OUTPUT_MIB PATH\n"
    "      writes one .wvl file whose converted text is OUTPUT_MIB MiB\n"
    "  holvane_make_workload folder KIND COUNT FILE_KIB DIR\n"
    "      creates DIR and writes COUNT files 00000.wvl, 00001.wvl, ... into it,\n"
    "      each made from its own seed; FILE_KIB is the size of each .wvl file\n"
    "      (the compressed input), not of its text, and is met to within a few\n"
    "      per cent\n"
    "  holvane_make_workload inflate FILE...\n"
    "      for each FILE prints \"PATH SECONDS OUTPUT_BYTES\": the best of 3 timed\n"
    "      zlib uncompress calls of the whole file into a new buffer of exactly\n"
    "      OUTPUT_BYTES\n"
    "KIND is short, long or incompressible.\n";

// Every failure the tool reports: what went wrong, with the file it concerns.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

double PositiveNumber(std::string_view text, std::string_view what) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !(value > 0)) {
    throw Failure(std::string(what) + " must be a positive number, not \"" + std::string(text) +
                  "\"");
  }
  return value;
}

unsigned long PositiveCount(std::string_view text, std::string_view what) {
  unsigned long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value == 0) {
    throw Failure(std::string(what) + " must be a positive whole number, not \"" +
                  std::string(text) + "\"");
  }
  return value;
}

holvane::bench::Workload KindNamed(std::string_view name) {
  try {
    return holvane::bench::WorkloadNamed(name);
  } catch (const std::invalid_argument&) {
    throw Failure("KIND must be short, long or incompressible, not \"" + std::string(name) + "\"");
  }
}

// WriteFileBytes says which file it could not write; errno, when the library set
// it, says why.
void Write(const std::filesystem::path& path, std::string_view bytes) {
  errno = 0;
  try {
    holvane::testing::WriteFileBytes(path, bytes);
  } catch (const std::runtime_error& error) {
    const int cause = errno;
    throw Failure(std::string(error.what()) +
                  (cause != 0 ? ": " + std::string(std::strerror(cause)) : std::string()));
  }
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  errno = 0;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw Failure(path.string() + ": cannot open" +
                  (errno != 0 ? ": " + std::string(std::strerror(errno)) : std::string()));
  }
  // In one read of the known length, as a C program would: the floor times
  // this too.
  file.seekg(0, std::ios::end);
  std::string bytes(static_cast<std::size_t>(file.tellg()), '\0');
  file.seekg(0);
  if (!file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
    throw Failure(path.string() + ": read error");
  }
  return bytes;
}

int MakeFile(std::string_view kind, std::string_view output_mib,
             const std::filesystem::path& path) {
  const auto workload = KindNamed(kind);
  const auto output_bytes =
      static_cast<std::size_t>(PositiveNumber(output_mib, "OUTPUT_MIB") * (1 << 20));
  const std::string stream = holvane::bench::MakeRecordStream(workload, output_bytes);
  const std::string compressed = holvane::testing::ZlibCompress(stream);
  Write(path, compressed);
  std::printf("%s: %zu bytes, record stream %zu bytes\n", path.c_str(), compressed.size(),
              stream.size());
  return 0;
}

// The text size whose compressed stream comes to about `target` bytes. How
// well a workload compresses depends on how long the stream is (short ones
// have less history to match against), so the ratio is measured at the target
// size itself, a few times over as the estimate closes in.
std::size_t OutputBytesForCompressedSize(holvane::bench::Workload workload, std::size_t target) {
  std::size_t output = target * 4;
  for (int round = 0; round < 4; ++round) {
    const std::size_t compressed =
        holvane::testing::ZlibCompress(holvane::bench::MakeRecordStream(workload, output)).size();
    output = std::max<std::size_t>(
        1, static_cast<std::size_t>(static_cast<double>(output) * static_cast<double>(target) /
                                    static_cast<double>(compressed)));
  }
  return output;
}

int MakeFolder(std::string_view kind, std::string_view count_text, std::string_view file_kib,
               const std::filesystem::path& folder) {
  const auto workload = KindNamed(kind);
  const unsigned long count = PositiveCount(count_text, "COUNT");
  if (count > 100000) throw Failure("COUNT must be at most 100000 (five-digit names)");
  const auto target = static_cast<std::size_t>(PositiveNumber(file_kib, "FILE_KIB") * 1024);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw Failure(folder.string() + ": cannot create: " + error.message());

  const std::size_t output_bytes = OutputBytesForCompressedSize(workload, target);
  std::size_t total = 0;
  for (unsigned long i = 0; i < count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%05lu.wvl", i);
    // Seed 0 is never used, so no file repeats the calibration's stream.
    const std::string compressed = holvane::testing::ZlibCompress(holvane::bench::MakeRecordStream(
        workload, output_bytes, static_cast<std::uint32_t>(i + 1)));
    Write(folder / name, compressed);
    total += compressed.size();
  }
  std::printf("%s: %lu files, %.2f KiB each on average, text about %zu bytes each\n",
              folder.c_str(), count,
              static_cast<double>(total) / static_cast<double>(count) / 1024.0, output_bytes);
  return 0;
}

// The inflated size of a whole zlib stream, in pieces, so nothing needs to be
// known in advance.
std::size_t InflatedSize(const std::filesystem::path& path, const std::string& compressed) {
  if (compressed.size() > std::numeric_limits<uInt>::max()) {
    throw Failure(path.string() + ": larger than one zlib call can take");
  }
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) throw Failure(path.string() + ": inflateInit failed");
  std::vector<unsigned char> piece(1 << 20);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  // With a fresh piece to fill each time, inflate stops making progress
  // (Z_BUF_ERROR) only when the input runs out before the stream's end.
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = piece.data();
    stream.avail_out = static_cast<uInt>(piece.size());
    status = inflate(&stream, Z_NO_FLUSH);
  }
  const std::size_t size = stream.total_out;
  const std::string cause = status == Z_BUF_ERROR   ? "the data ends before the stream does"
                            : stream.msg != nullptr ? stream.msg
                                                    : zError(status);
  inflateEnd(&stream);
  if (status != Z_STREAM_END) throw Failure(path.string() + ": not a whole zlib stream: " + cause);
  return size;
}

// The floor for decompressing the file: the fastest of three calls, each into
// a buffer allocated fresh and left untouched, so that the call pays for the
// memory's first touch as any decompression does.
double FastestUncompress(const std::filesystem::path& path, const std::string& compressed,
                         std::size_t size) {
  double best = 0;
  for (int run = 0; run < 3; ++run) {
    auto buffer = std::make_unique_for_overwrite<Bytef[]>(std::max<std::size_t>(size, 1));
    uLongf length = static_cast<uLongf>(size);
    const auto start = std::chrono::steady_clock::now();
    const int status =
        uncompress(buffer.get(), &length, reinterpret_cast<const Bytef*>(compressed.data()),
                   static_cast<uLong>(compressed.size()));
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (status != Z_OK || length != size) {
      throw Failure(path.string() + ": uncompress failed: " + zError(status));
    }
    if (run == 0 || took.count() < best) best = took.count();
  }
  return best;
}

int Inflate(const std::vector<std::string>& paths) {
  int result = 0;
  for (const std::string& path : paths) {
    try {
      const std::string compressed = ReadWholeFile(path);
      const std::size_t size = InflatedSize(path, compressed);
      const double seconds = FastestUncompress(path, compressed, size);
      std::printf("%s %.9f %zu\n", path.c_str(), seconds, size);
    } catch (const Failure& failure) {
      std::fprintf(stderr, "%s: %s\n", kProgram, failure.what());
      result = 1;
    }
  }
  return result;
}

// A whole process that does no more than any conversion must: read the file
// and inflate it once into memory of the right size, touched for the first
// time by the inflate.
int Floor(const std::filesystem::path& path, std::string_view output_bytes) {
  const std::string compressed = ReadWholeFile(path);
  const std::size_t size = PositiveCount(output_bytes, "OUTPUT_BYTES");
  auto buffer = std::make_unique_for_overwrite<Bytef[]>(size);
  uLongf length = static_cast<uLongf>(size);
  const int status =
      uncompress(buffer.get(), &length, reinterpret_cast<const Bytef*>(compressed.data()),
                 static_cast<uLong>(compressed.size()));
  if (status != Z_OK || length != size) {
    throw Failure(path.string() + ": uncompress into " + std::string(output_bytes) +
                  " bytes failed: " + zError(status));
  }
  return 0;
}

int Run(const std::vector<std::string>& args) {
  const std::string_view mode = args.empty() ? std::string_view() : std::string_view(args[0]);
  if (mode == "file" && args.size() == 4) return MakeFile(args[1], args[2], args[3]);
  if (mode == "folder" && args.size() == 5) return MakeFolder(args[1], args[2], args[3], args[4]);
  if (mode == "floor" && args.size() == 3) return Floor(args[1], args[2]);
  if (mode == "inflate" && args.size() >= 2) return Inflate({args.begin() + 1, args.end()});
  std::fprintf(stderr, "%s", kUsage);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const Failure& failure) {
    std::fprintf(stderr, "%s: %s\n", kProgram, failure.what());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.what());
  }
  return 1;
}
