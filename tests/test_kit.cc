// SPDX-License-Identifier: MIT
#include "tests/test_kit.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <span>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "tests/test_kit_system.h"

namespace holvane::testing {

// ---------------------------------------------------------------------------
// The record stream.

std::string Int32Bytes(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i)
    bytes[static_cast<std::size_t>(i)] = static_cast<char>(bits >> (8 * i));
  return bytes;
}

void AppendEntry(std::string& stream, std::string_view text, std::int32_t flag) {
  stream += Int32Bytes(static_cast<std::int32_t>(text.size()));
  stream += text;
  stream += Int32Bytes(flag);
}

std::string RecordStream(std::initializer_list<Entry> entries) {
  return RecordStream(std::vector<Entry>(entries));
}

std::string RecordStream(const std::vector<Entry>& entries) {
  std::string stream;
  for (const Entry& entry : entries) AppendEntry(stream, entry.text, entry.flag);
  return stream;
}

namespace {

// The four little-endian bytes at `at` as a signed 32-bit value.
std::int64_t Int32At(std::string_view bytes, std::int64_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(at + i)]);
  }
  return static_cast<std::int32_t>(value);
}

// The marker rules, the one place they are written for every test.
void AppendRendered(std::string& text, std::string_view entry_text, std::int64_t flag) {
  text += flag == 0 ? "-" : flag == -1 ? "+" : "?\r\n";
  text += entry_text;
  text += "\r\n";
}

}  // namespace

ExpectedRendering RenderReference(std::string_view stream) {
  ExpectedRendering result;
  const auto length = static_cast<std::int64_t>(stream.size());
  auto fail = [&](int number, std::int64_t offset) {
    result.error_number = number;
    result.offset = offset;
    return result;
  };
  std::int64_t at = 0;
  while (length - at >= 2) {
    if (length - at < 4) return fail(62, at);
    const std::int64_t n = Int32At(stream, at);
    at += 4;
    if (n < 0) return fail(5, at - 4);
    if (n > length - at) return fail(62, at);
    const std::string_view text =
        stream.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(n));
    at += n;
    if (length - at < 4) return fail(62, at);
    const std::int64_t flag = Int32At(stream, at);
    at += 4;
    AppendRendered(result.text, text, flag);
  }
  return result;
}

std::string RenderedText(const std::vector<Entry>& entries) {
  std::string text;
  for (const Entry& entry : entries) AppendRendered(text, entry.text, entry.flag);
  return text;
}

// ---------------------------------------------------------------------------
// zlib.

std::string ZlibCompress(std::string_view data) { return ZlibDeflate(data, 15); }

std::string ZlibDeflate(std::string_view data, int window_bits, std::string_view dictionary) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, window_bits, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2 failed");
  }
  if (!dictionary.empty() && deflateSetDictionary(&stream, BytesOf(dictionary),
                                                  static_cast<uInt>(dictionary.size())) != Z_OK) {
    deflateEnd(&stream);
    throw std::runtime_error("deflateSetDictionary failed");
  }
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = const_cast<Bytef*>(BytesOf(data));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) throw std::runtime_error("deflate failed");
  return out;
}

bool ZlibInflate(std::string_view source, int window_bits, std::string& output) {
  z_stream stream{};
  if (inflateInit2(&stream, window_bits) != Z_OK) return false;
  stream.next_in = const_cast<Bytef*>(BytesOf(source));
  stream.avail_in = static_cast<uInt>(source.size());
  output.clear();
  int result = Z_OK;
  char chunk[16384];
  while (result == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    result = inflate(&stream, Z_NO_FLUSH);
    output.append(chunk, sizeof chunk - stream.avail_out);
  }
  inflateEnd(&stream);
  return result == Z_STREAM_END;
}

// ---------------------------------------------------------------------------
// Bytes.

std::string RandomBytes(std::mt19937& engine, std::size_t size, int lowest) {
  std::uniform_int_distribution<int> byte(lowest, 255);
  std::string data(size, '\0');
  for (char& c : data) c = static_cast<char>(byte(engine));
  return data;
}

std::string RandomBytes(std::size_t size, unsigned seed, int lowest) {
  std::mt19937 engine(seed);
  return RandomBytes(engine, size, lowest);
}

std::string Sample(std::size_t size) {
  std::string data;
  for (std::size_t i = 0; data.size() < size; ++i) {
    data += "строка " + std::to_string(i * 7919 % 1013);
    data += '\0';
    data += static_cast<char>(0x80 + i % 128);
  }
  data.resize(size);
  return data;
}

// ---------------------------------------------------------------------------
// Files and folders.

TempDir::TempDir(std::string_view prefix, Place place) : maker_(ProcessId()) {
  std::error_code ignored;
  const std::filesystem::path base =
      place == Place::kMemoryIfPossible && std::filesystem::is_directory("/dev/shm", ignored)
          ? std::filesystem::path("/dev/shm")
          : std::filesystem::temp_directory_path();
  path_ = NewFolder(base, prefix);
}

TempDir::~TempDir() {
  if (ProcessId() != maker_) return;
  std::error_code ignored;
  // Tests may leave folders without permissions behind; give them back first.
  for (auto it = std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path Utf8Path(std::string_view name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string Utf8String(const std::filesystem::path& path) {
  const std::u8string bytes = path.u8string();
  return std::string(bytes.begin(), bytes.end());
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + Utf8String(path));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + Utf8String(path));
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// ---------------------------------------------------------------------------
// MemoryFileSystem.

namespace {

RunTimeError NoSuchFile(const std::filesystem::path& path) {
  return RunTimeError(ErrorNumber::kFileNotFound, "файл не найден", std::nullopt, path);
}

class MemoryReadable final : public ReadableFile {
 public:
  MemoryReadable(std::shared_ptr<const std::string> bytes, std::filesystem::perms permissions)
      : bytes_(std::move(bytes)), permissions_(permissions) {}
  std::int64_t Length() override { return static_cast<std::int64_t>(bytes_->size()); }
  std::filesystem::perms Permissions() const override { return permissions_; }
  std::size_t ReadAt(std::int64_t offset, char* dst, std::size_t n) override {
    if (offset < 0 || offset >= Length()) return 0;
    const auto start = static_cast<std::size_t>(offset);
    const std::size_t take = std::min(n, bytes_->size() - start);
    std::copy_n(bytes_->data() + start, take, dst);
    return take;
  }
  void Close() override {}

 private:
  std::shared_ptr<const std::string> bytes_;
  std::filesystem::perms permissions_;
};

class MemoryWritable final : public WritableFile {
 public:
  explicit MemoryWritable(std::shared_ptr<std::string> bytes, std::shared_ptr<void> hold = {})
      : bytes_(std::move(bytes)), hold_(std::move(hold)) {}
  void AppendPieces(std::span<const std::string_view> pieces) override {
    for (const std::string_view piece : pieces) bytes_->append(piece);
  }
  void Close() override {}

 private:
  std::shared_ptr<std::string> bytes_;
  std::shared_ptr<void> hold_;
};

// Writes, reads and removes the temporary file by name in the files it
// belongs to.
class MemoryLock final : public ConversionLock {
 public:
  MemoryLock(FileSystem& files, std::filesystem::path temporary, bool created)
      : files_(files), temporary_(std::move(temporary)), created_(created) {}
  bool CreatedTemporary() const override { return created_; }
  std::unique_ptr<WritableFile> CreateTemporary(std::filesystem::perms permissions) override {
    return files_.CreateForWriting(temporary_, permissions);
  }
  std::unique_ptr<ReadableFile> OpenTemporary() override {
    return files_.OpenForReading(temporary_);
  }
  void RemoveTemporary() override { files_.Remove(temporary_); }

 private:
  FileSystem& files_;
  std::filesystem::path temporary_;
  bool created_;
};

}  // namespace

void MemoryFileSystem::Put(const std::filesystem::path& path, std::string bytes,
                           std::filesystem::perms permissions) {
  files_[path] = {std::make_shared<std::string>(std::move(bytes)), permissions, {}};
}

std::optional<std::string> MemoryFileSystem::Get(const std::filesystem::path& path) const {
  const auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return *it->second.bytes;
}

std::unique_ptr<ReadableFile> MemoryFileSystem::OpenForReading(const std::filesystem::path& path) {
  const auto it = files_.find(path);
  if (it == files_.end()) throw NoSuchFile(path);
  return std::make_unique<MemoryReadable>(it->second.bytes, it->second.permissions);
}

std::unique_ptr<WritableFile> MemoryFileSystem::CreateForWriting(
    const std::filesystem::path& path, std::filesystem::perms permissions) {
  File& file = files_[path];
  if (!file.bytes) file.bytes = std::make_shared<std::string>();
  file.bytes->clear();
  file.permissions = permissions;
  return std::make_unique<MemoryWritable>(file.bytes);
}

std::unique_ptr<WritableFile> MemoryFileSystem::CreateNewForWriting(
    const std::filesystem::path& path, std::filesystem::perms permissions) {
  if (files_.count(path) > 0) {
    throw RunTimeError(ErrorNumber::kFileAlreadyExists, "файл с таким именем уже есть",
                       std::nullopt, path);
  }
  auto hold = std::make_shared<int>();
  File& file = files_[path];
  file = {std::make_shared<std::string>(), permissions, hold};
  return std::make_unique<MemoryWritable>(file.bytes, std::move(hold));
}

void MemoryFileSystem::Remove(const std::filesystem::path& path) {
  if (files_.erase(path) == 0) throw NoSuchFile(path);
}

bool MemoryFileSystem::RemoveUnlessHeld(const std::filesystem::path& path) {
  const auto it = files_.find(path);
  if (it == files_.end() || !it->second.writer.expired()) return false;
  files_.erase(it);
  return true;
}

std::vector<std::filesystem::path> MemoryFileSystem::ListFolder(
    const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> names;
  for (const auto& [path, file] : files_) {
    if (path.parent_path() == folder) names.push_back(path.filename());
  }
  return names;
}

void MemoryFileSystem::Rename(const std::filesystem::path& from, const std::filesystem::path& to,
                              RenameMode mode) {
  const auto it = files_.find(from);
  if (it == files_.end()) throw NoSuchFile(from);
  if (mode == RenameMode::kKeepExisting && files_.count(to) > 0) {
    throw RunTimeError(ErrorNumber::kFileAlreadyExists, "файл с таким именем уже есть",
                       std::nullopt, to);
  }
  File moved = it->second;
  files_.erase(it);
  files_[to] = std::move(moved);
}

std::unique_ptr<ConversionLock> MemoryFileSystem::LockConversion(
    const std::filesystem::path&, const std::filesystem::path& temporary, LockWait) {
  const auto [it, created] =
      files_.try_emplace(temporary, File{std::make_shared<std::string>(), kOwnerReadWrite, {}});
  return std::make_unique<MemoryLock>(*this, temporary, created);
}

// ---------------------------------------------------------------------------
// FaultyFileSystem.

FileFilter WithExtension(const std::string& extension) {
  return [extension](const std::filesystem::path& file) { return file.extension() == extension; };
}

class FaultyFileSystem::Readable final : public ReadableFile {
 public:
  Readable(FaultyFileSystem* owner, std::filesystem::path path, std::unique_ptr<ReadableFile> file,
           std::optional<std::int64_t> delivered)
      : owner_(owner), path_(std::move(path)), file_(std::move(file)), delivered_(delivered) {}
  std::int64_t Length() override {
    owner_->Call(FileCall::kLength, path_);
    return file_->Length();
  }
  std::filesystem::perms Permissions() const override { return file_->Permissions(); }
  std::size_t ReadAt(std::int64_t offset, char* dst, std::size_t n) override {
    owner_->Call(FileCall::kReadAt, path_);
    if (delivered_) {
      const std::int64_t left = std::max<std::int64_t>(*delivered_ - offset, 0);
      n = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(n), left));
      if (n == 0) return 0;
    }
    return file_->ReadAt(offset, dst, n);
  }
  void Close() override {
    owner_->Call(FileCall::kCloseReadable, path_);
    file_->Close();
  }

 private:
  FaultyFileSystem* owner_;
  std::filesystem::path path_;
  std::unique_ptr<ReadableFile> file_;
  std::optional<std::int64_t> delivered_;
};

class FaultyFileSystem::Writable final : public WritableFile {
 public:
  Writable(FaultyFileSystem* owner, std::filesystem::path path, std::unique_ptr<WritableFile> file,
           bool limited)
      : owner_(owner), path_(std::move(path)), file_(std::move(file)), limited_(limited) {}
  void AppendPieces(std::span<const std::string_view> pieces) override {
    owner_->Call(FileCall::kAppend, path_);
    if (limited_) {
      std::size_t size = 0;
      for (const std::string_view piece : pieces) size += piece.size();
      std::size_t& room = *owner_->room_;
      // As the file layer promises, an append that fails leaves the file as
      // it was.
      if (size > room) throw RunTimeError(ErrorNumber::kDiskFull, owner_->room_cause_);
      room -= size;
    }
    file_->AppendPieces(pieces);
  }
  void Sync() override {
    owner_->Call(FileCall::kSync, path_);
    file_->Sync();
  }
  void Close() override {
    owner_->Call(FileCall::kCloseWritable, path_);
    file_->Close();
  }

 private:
  FaultyFileSystem* owner_;
  std::filesystem::path path_;
  std::unique_ptr<WritableFile> file_;
  bool limited_;
};

// The lock of the layer below, whose calls on the temporary file go through
// the faults as the calls by name would.
class FaultyFileSystem::Lock final : public ConversionLock {
 public:
  Lock(FaultyFileSystem* owner, std::filesystem::path temporary,
       std::unique_ptr<ConversionLock> lock)
      : owner_(owner), temporary_(std::move(temporary)), lock_(std::move(lock)) {}
  bool CreatedTemporary() const override { return lock_->CreatedTemporary(); }
  std::unique_ptr<WritableFile> CreateTemporary(std::filesystem::perms permissions) override {
    return owner_->Create(temporary_, [&] { return lock_->CreateTemporary(permissions); });
  }
  std::unique_ptr<ReadableFile> OpenTemporary() override {
    return owner_->Open(temporary_, [&] { return lock_->OpenTemporary(); });
  }
  void RemoveTemporary() override {
    owner_->Call(FileCall::kRemove, temporary_);
    lock_->RemoveTemporary();
  }

 private:
  FaultyFileSystem* owner_;
  std::filesystem::path temporary_;
  std::unique_ptr<ConversionLock> lock_;
};

FaultyFileSystem& FaultyFileSystem::Fail(FileCall call, int nth, FileFilter files,
                                         ErrorNumber number, std::string cause) {
  rules_.push_back({call, nth, std::move(files), number, std::move(cause)});
  return *this;
}

FaultyFileSystem& FaultyFileSystem::LimitRoom(std::size_t room, FileFilter files,
                                              std::string cause) {
  room_ = room;
  room_files_ = std::move(files);
  room_cause_ = std::move(cause);
  return *this;
}

FaultyFileSystem& FaultyFileSystem::ShortenReads(std::int64_t delivered, FileFilter files) {
  delivered_ = delivered;
  shortened_files_ = std::move(files);
  return *this;
}

FaultyFileSystem& FaultyFileSystem::OnCreate(
    std::function<void(const std::filesystem::path&)> hook) {
  on_create_ = std::move(hook);
  return *this;
}

void FaultyFileSystem::Call(FileCall call, const std::filesystem::path& path) {
  ++calls_;
  for (Rule& rule : rules_) {
    if ((rule.call != FileCall::kAny && rule.call != call) || !Matches(rule.files, path)) continue;
    ++rule.seen;
    if (rule.nth == 0 || rule.seen == rule.nth) throw RunTimeError(rule.number, rule.cause);
  }
}

std::unique_ptr<ReadableFile> FaultyFileSystem::Open(
    const std::filesystem::path& path, const std::function<std::unique_ptr<ReadableFile>()>& open) {
  Call(FileCall::kOpenForReading, path);
  std::optional<std::int64_t> delivered;
  if (delivered_ && Matches(shortened_files_, path)) delivered = delivered_;
  return std::make_unique<Readable>(this, path, open(), delivered);
}

std::unique_ptr<ReadableFile> FaultyFileSystem::OpenForReading(const std::filesystem::path& path) {
  return Open(path, [&] { return base_.OpenForReading(path); });
}

std::unique_ptr<WritableFile> FaultyFileSystem::Create(
    const std::filesystem::path& path, const std::function<std::unique_ptr<WritableFile>()>& make) {
  Call(FileCall::kCreateForWriting, path);
  if (on_create_) on_create_(path);
  std::unique_ptr<WritableFile> made = make();
  Call(FileCall::kCreatedForWriting, path);
  const bool limited = room_.has_value() && Matches(room_files_, path);
  return std::make_unique<Writable>(this, path, std::move(made), limited);
}

std::unique_ptr<WritableFile> FaultyFileSystem::CreateForWriting(
    const std::filesystem::path& path, std::filesystem::perms permissions) {
  return Create(path, [&] { return base_.CreateForWriting(path, permissions); });
}

std::unique_ptr<WritableFile> FaultyFileSystem::CreateNewForWriting(
    const std::filesystem::path& path, std::filesystem::perms permissions) {
  return Create(path, [&] { return base_.CreateNewForWriting(path, permissions); });
}

void FaultyFileSystem::Remove(const std::filesystem::path& path) {
  Call(FileCall::kRemove, path);
  base_.Remove(path);
}

bool FaultyFileSystem::RemoveUnlessHeld(const std::filesystem::path& path) {
  Call(FileCall::kRemoveUnlessHeld, path);
  return base_.RemoveUnlessHeld(path);
}

std::vector<std::filesystem::path> FaultyFileSystem::ListFolder(
    const std::filesystem::path& folder) {
  Call(FileCall::kListFolder, folder);
  return base_.ListFolder(folder);
}

void FaultyFileSystem::Rename(const std::filesystem::path& from, const std::filesystem::path& to,
                              RenameMode mode) {
  Call(FileCall::kRename, to);
  base_.Rename(from, to, mode);
}

std::unique_ptr<ConversionLock> FaultyFileSystem::LockConversion(
    const std::filesystem::path& input, const std::filesystem::path& temporary, LockWait wait) {
  Call(FileCall::kLockConversion, input);
  std::unique_ptr<ConversionLock> lock = base_.LockConversion(input, temporary, wait);
  if (lock == nullptr) return nullptr;
  return std::make_unique<Lock>(this, temporary, std::move(lock));
}

}  // namespace holvane::testing
