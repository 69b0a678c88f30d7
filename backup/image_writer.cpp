#include "backup/image_writer.h"

#include <string>
#include <utility>
#include <vector>

#include "backup/backup_job.h"
#include "backup/image_format.h"
#include "core/file_utils.h"
#include "core/job.h"
#include "crypt/cipher.h"
#include "crypt/zlib_codec.h"
#include "platform/clock.h"

namespace nv {
namespace {

// The header hides the password under a key built into the program, so the
// image is readable by its owner only.
constexpr uint32_t kImageFileMode = 0600;
constexpr int kTemporaryNameAttempts = 100;
constexpr const char* kTemporarySuffix = ".part";

class ImageWriter {
 public:
  ImageWriter(BackupJob& job, Env* env)
      : job_(job),
        env_(env),
        plain_(kPlainChunkSize),
        next_(kPlainChunkSize),
        compressed_(kStoredChunkCapacity),
        enciphered_(kStoredChunkCapacity) {}

  void Run() {
    EntryInfo info;
    if (env_->Stat(job_.imagePath, &info) && info.type == EntryType::kDirectory) {
      QueueError(job_.errors, job_.imagePath, FOE_CREATE_FAILED);
      return;
    }
    if (!CreateTemporary()) {
      QueueError(job_.errors, job_.imagePath, FOE_CREATE_FAILED);
      return;
    }
    job_.createdFiles.push_back(temporaryPath_);
    if (!PutHeader()) {
      Discard();
      QueueError(job_.errors, job_.imagePath, FOE_CREATE_FAILED);
      return;
    }
    for (const std::string& item : job_.items) {
      if (broken_ || Aborted()) break;
      StoreItem(item, u"");
    }
    if (broken_) {
      Discard();
      QueueError(job_.errors, job_.imagePath, FOE_WRITE_FAILED);
    } else if (Aborted()) {
      image_->Close();  // the worker deletes it with the other created files
    } else {
      Finish();
    }
  }

 private:
  bool Aborted() const { return job_.command == JOB_STOPPED; }

  // A new file beside the image: "NAME.part", or "NAME.N.part" when taken.
  bool CreateTemporary() {
    std::string folder = ParentPath(job_.imagePath);
    std::string base = BaseName(job_.imagePath);
    OpenOptions options;
    options.access = Access::kWrite;
    options.disposition = Disposition::kCreateNew;
    options.share = Share::kExclusive;
    options.createMode = kImageFileMode;
    options.followLinks = false;
    for (int n = 0; n < kTemporaryNameAttempts; ++n) {
      std::string tail;
      if (n) tail.append(".").append(std::to_string(n));
      tail += kTemporarySuffix;
      std::string path = JoinPath(folder, (base.size() + tail.size() <= kMaxNameBytes ? base : "image") + tail);
      FsError error = FsError::kOk;
      image_ = env_->Open(path, options, &error);
      if (image_) {
        temporaryPath_ = path;
        temporaryLongForm_ = env_->LongForm(path);
        return true;
      }
      if (error != FsError::kExists) return false;
    }
    return false;
  }

  void Discard() {
    image_.reset();
    env_->DeleteFile(temporaryPath_, nullptr);
    job_.createdFiles.clear();
  }

  // Flushes the image and moves it over the chosen name.
  void Finish() {
    bool flushed = image_->Sync();
    bool closed = image_->Close();
    if (!flushed || !closed) {
      Discard();
      QueueError(job_.errors, job_.imagePath, FOE_WRITE_FAILED);
      return;
    }
    if (!env_->Replace(temporaryPath_, job_.imagePath, nullptr)) {
      Discard();
      QueueError(job_.errors, job_.imagePath, FOE_CREATE_FAILED);
      return;
    }
    std::string folder = ParentPath(job_.imagePath);
    if (!folder.empty()) env_->SyncDir(folder);
    job_.createdFiles = {job_.imagePath};
  }

  bool Put(const void* data, size_t length) {
    size_t written = 0;
    if (broken_ || !image_->Write(data, length, &written) || written != length) broken_ = true;
    return !broken_;
  }

  bool PutHeader() {
    std::string password(reinterpret_cast<const char*>(job_.password.data()), job_.passwordLength);
    ImageHeader header = MakeImageHeader(password, job_.reserved, job_.compressionSetting, NowOleDate());
    uint8_t bytes[kImageHeaderSize];
    EncodeImageHeader(header, bytes);
    return Put(bytes, sizeof bytes);
  }

  bool PutEntry(const ImageEntry& entry) {
    uint8_t bytes[kImageEntrySize];
    return EncodeImageEntry(entry, bytes) && Put(bytes, sizeof bytes);
  }

  // Compresses, enciphers and writes one block. When compression fails the
  // file is ended with an empty final block instead, so the framing holds.
  FILE_OPERATION_ERROR PutBlock(const uint8_t* data, size_t length, bool last) {
    FILE_OPERATION_ERROR result = FOE_NONE;
    int level = CompressionLevel(job_.compressionSetting);
    size_t storedLength = 0;
    if (!CompressChunk(data, length, level, compressed_.data(), compressed_.size(), &storedLength)) {
      result = FOE_COMPRESS_FAILED;
      length = 0;
      last = true;
      if (!CompressChunk(data, 0, level, compressed_.data(), compressed_.size(), &storedLength)) {
        broken_ = true;
        return result;
      }
    }
    EncryptBuffer(job_.passwordLength, job_.password.data(), compressed_.data(), storedLength,
                  enciphered_.data());
    BlockHeader header;
    header.rawSize = static_cast<uint32_t>(length);
    header.storedSize = static_cast<uint32_t>(storedLength);
    header.last = last ? 1 : 0;
    uint8_t bytes[kBlockHeaderSize];
    EncodeBlockHeader(header, bytes);
    if (!Put(bytes, sizeof bytes) || !Put(enciphered_.data(), storedLength)) return FOE_WRITE_FAILED;
    return result;
  }

  void SetProgress(uint64_t done) {
    job_.doneBytes = done;
    job_.percent = BackupPercent(done, job_.totalBytes);
  }

  // Moves the progress past an item that is not stored.
  void SkipProgress(const std::string& path, uint64_t start) {
    std::vector<std::string> files;
    uint64_t size = 0;
    Enumerate(env_, path, &files, nullptr, true, &size, false);
    if (size) SetProgress(start + size);
  }

  bool IsTemporary(const std::string& path, const std::string& name) {
    return name == BaseName(temporaryPath_) && env_->LongForm(path) == temporaryLongForm_;
  }

  void StoreItem(const std::string& path, const std::u16string& parentRelative) {
    SetCurrentFile(job_, path);
    uint64_t start = job_.doneBytes;
    FILE_OPERATION_ERROR error = FOE_NONE;
    ImageEntry entry;
    if (!env_->GetAttributes(path, &entry.attributes)) {
      error = FOE_NOT_FOUND;
    } else if (!AppendImageName(parentRelative, BaseName(path), &entry.relativePath)) {
      error = FOE_BAD_FORMAT;
      SkipProgress(path, start);
    } else if (entry.attributes & kAttrDirectory) {
      entry.kind = kEntryFolder;
      StoreFolder(path, entry, &error);
    } else {
      entry.kind = kEntryFile;
      uint64_t size = 0;
      StoreFile(path, entry, &size, &error);
      if (size) SetProgress(start + size);
    }
    if (error != FOE_NONE) QueueError(job_.errors, path, error);
  }

  void StoreFolder(const std::string& path, const ImageEntry& entry, FILE_OPERATION_ERROR* error) {
    if (!PutEntry(entry)) {
      *error = FOE_WRITE_FAILED;
      return;
    }
    std::vector<DirEntry> children;
    if (!env_->ListDir(path, &children)) {
      *error = FOE_READ_FAILED;
      return;
    }
    for (const DirEntry& child : children) {
      if (broken_ || Aborted()) return;
      // Links and special entries are never followed or stored.
      if (child.type != EntryType::kFile && child.type != EntryType::kDirectory) continue;
      std::string childPath = JoinPath(path, child.name);
      if (IsTemporary(childPath, child.name)) continue;
      StoreItem(childPath, entry.relativePath);
    }
  }

  // Stores the entry and the blocks of a file. Each block is read ahead of
  // the one being written, so the final block is the one followed by the end
  // of the file, whatever the size was when the file was opened.
  void StoreFile(const std::string& path, const ImageEntry& entry, uint64_t* size,
                 FILE_OPERATION_ERROR* error) {
    OpenOptions options;
    options.share = Share::kShareRead;
    options.followLinks = false;
    std::unique_ptr<File> source = env_->Open(path, options, nullptr);
    if (!source) {
      EntryInfo info;
      if (env_->Stat(path, &info)) *size = info.size;
      *error = FOE_READ_FAILED;
      return;
    }
    source->Size(size);
    if (!PutEntry(entry)) {
      *error = FOE_WRITE_FAILED;
      return;
    }
    size_t got = 0;
    bool more = source->Read(plain_.data(), kPlainChunkSize, &got);
    if (!more) {
      *error = FOE_READ_FAILED;
      got = 0;
    }
    more = more && got == kPlainChunkSize;
    for (;;) {
      size_t nextGot = 0;
      if (more && !source->Read(next_.data(), kPlainChunkSize, &nextGot)) {
        *error = FOE_READ_FAILED;
        nextGot = 0;
      }
      bool last = nextGot == 0;
      FILE_OPERATION_ERROR blockError = PutBlock(plain_.data(), got, last);
      if (blockError != FOE_NONE) {
        *error = blockError;
        return;
      }
      if (got) SetProgress(job_.doneBytes + got);
      PauseCheckPoint(job_);
      if (last || Aborted()) return;
      std::swap(plain_, next_);
      got = nextGot;
      more = got == kPlainChunkSize;
    }
  }

  BackupJob& job_;
  Env* env_;
  std::unique_ptr<File> image_;
  std::string temporaryPath_;
  std::string temporaryLongForm_;
  bool broken_ = false;  // a write of the image failed: nothing after it can be trusted
  std::vector<uint8_t> plain_;
  std::vector<uint8_t> next_;
  std::vector<uint8_t> compressed_;
  std::vector<uint8_t> enciphered_;
};

}  // namespace

void WriteImage(BackupJob& job, Env* env) { ImageWriter(job, env).Run(); }

}  // namespace nv
