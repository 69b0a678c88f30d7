#include "backup/image_reader.h"

#include <memory>
#include <string>
#include <vector>

#include "backup/backup_job.h"
#include "backup/image_format.h"
#include "core/job.h"
#include "crypt/cipher.h"
#include "crypt/zlib_codec.h"

namespace nv {
namespace {

// The image does not record permissions: restored items are private to the
// user, as the image that held them was.
constexpr uint32_t kRestoredFileMode = 0600;
constexpr uint32_t kRestoredFolderMode = 0700;

enum class ReadResult { kFull, kEnd, kShort, kFailed };

OpenOptions ImageReadOptions() {
  OpenOptions options;
  options.access = Access::kRead;
  options.disposition = Disposition::kOpenExisting;
  options.share = Share::kShareRead;
  return options;
}

class ImageReader {
 public:
  ImageReader(BackupJob& job, Env* env)
      : job_(job),
        env_(env),
        stored_(kStoredChunkCapacity),
        deciphered_(kStoredChunkCapacity),
        plain_(kPlainChunkSize) {}

  void Run() {
    uint64_t start = job_.doneBytes;
    uint64_t imageSize = 0;
    Restore(&imageSize);
    image_.reset();
    if (imageSize) SetProgress(start + imageSize);
    if (error_ != FOE_NONE) QueueError(job_.errors, job_.imagePath, error_);
  }

 private:
  void Fail(FILE_OPERATION_ERROR kind) { error_ = kind; }

  void SetProgress(uint64_t done) {
    job_.doneBytes = done;
    job_.percent = BackupPercent(done, job_.totalBytes);
  }

  ReadResult ReadRecord(void* buffer, size_t length) {
    size_t got = 0;
    if (!image_->Read(buffer, length, &got)) return ReadResult::kFailed;
    if (got == length) return ReadResult::kFull;
    return got == 0 ? ReadResult::kEnd : ReadResult::kShort;
  }

  void Restore(uint64_t* imageSize) {
    uint32_t attributes = 0;
    if (!env_->GetAttributes(job_.imagePath, &attributes)) return Fail(FOE_NOT_FOUND);
    if (!IsBackupImage(env_, job_.imagePath)) return Fail(FOE_BAD_FORMAT);
    image_ = env_->Open(job_.imagePath, ImageReadOptions(), nullptr);
    if (!image_) return Fail(FOE_READ_FAILED);
    if (!image_->Size(imageSize)) *imageSize = 0;
    if (!CheckHeader()) return;
    while (job_.command != JOB_STOPPED && RestoreEntry()) {
    }
  }

  bool CheckHeader() {
    uint8_t bytes[kImageHeaderSize];
    switch (ReadRecord(bytes, sizeof bytes)) {
      case ReadResult::kFull: break;
      case ReadResult::kFailed: Fail(FOE_READ_FAILED); return false;
      default: Fail(FOE_BAD_FORMAT); return false;
    }
    ImageHeader header;
    if (!DecodeImageHeader(bytes, &header)) {
      Fail(FOE_BAD_FORMAT);
      return false;
    }
    std::string password(reinterpret_cast<const char*>(job_.password.data()), job_.passwordLength);
    if (!ImagePasswordMatches(header, password)) {
      Fail(FOE_BAD_PASSWORD);
      return false;
    }
    return true;
  }

  // Restores one entry; false when the recovery ends.
  bool RestoreEntry() {
    uint8_t bytes[kImageEntrySize];
    switch (ReadRecord(bytes, sizeof bytes)) {
      case ReadResult::kFull: break;
      case ReadResult::kEnd: return false;
      case ReadResult::kShort: Fail(FOE_BAD_FORMAT); return false;
      case ReadResult::kFailed: Fail(FOE_READ_FAILED); return false;
    }
    ImageEntry entry;
    std::vector<std::string> names;
    if (!DecodeImageEntry(bytes, &entry) || !ResolveRelativePath(entry.relativePath, &names)) {
      Fail(FOE_BAD_FORMAT);
      return false;
    }
    if (entry.kind == kEntryFolder) return RestoreFolder(names, entry.attributes);
    return RestoreFile(names, entry.attributes);
  }

  // The target of names below the destination. False when a folder on the
  // way is not a real folder: missing, a file, or a link that could lead
  // outside the destination.
  bool TargetPath(const std::vector<std::string>& names, std::string* target) {
    std::string path = job_.destinationFolder;
    for (size_t i = 0; i < names.size(); ++i) {
      EntryInfo info;
      if (i > 0 && (!env_->Stat(path, &info) || info.type != EntryType::kDirectory)) return false;
      path = JoinPath(path, names[i]);
    }
    *target = path;
    return true;
  }

  bool RestoreFolder(const std::vector<std::string>& names, uint32_t attributes) {
    if (names.empty()) return true;  // the destination itself, which exists
    std::string target;
    if (!TargetPath(names, &target)) {
      Fail(FOE_BAD_FORMAT);
      return false;
    }
    if (!env_->CreateDir(target, kRestoredFolderMode, nullptr)) {
      EntryInfo info;
      if (!env_->Stat(target, &info) || info.type != EntryType::kDirectory) {
        Fail(FOE_BAD_FORMAT);
        return false;
      }
    }
    // Read-only on a folder does not stop files being added where images come
    // from; here it would refuse the folder's own contents.
    env_->SetAttributes(target, attributes & ~uint32_t{kAttrReadOnly});
    return true;
  }

  bool RestoreFile(const std::vector<std::string>& names, uint32_t attributes) {
    std::string target;
    if (names.empty()) {
      Fail(FOE_BAD_FORMAT);
      return false;
    }
    OpenOptions options;
    options.access = Access::kWrite;
    options.disposition = Disposition::kCreateAlways;
    // Exclusive, so that an entry naming the image itself cannot truncate it.
    options.share = Share::kExclusive;
    options.createMode = kRestoredFileMode;
    options.followLinks = false;
    std::unique_ptr<File> file;
    if (TargetPath(names, &target)) file = env_->Open(target, options, nullptr);
    if (!file) {
      Fail(FOE_CREATE_FAILED);
      return false;
    }
    job_.createdFiles.push_back(target);
    bool goOn = RestoreBlocks(*file);
    if (!file->Close() && goOn) Fail(FOE_WRITE_FAILED);
    env_->SetAttributes(target, attributes);
    return goOn;
  }

  // Writes the blocks of one file. After a block that does not decompress or
  // cannot be written, the file's remaining blocks are read past unused.
  // False when the image's framing can no longer be trusted.
  bool RestoreBlocks(File& target) {
    bool skipping = false;
    for (;;) {
      uint8_t bytes[kBlockHeaderSize];
      switch (ReadRecord(bytes, sizeof bytes)) {
        case ReadResult::kFull: break;
        case ReadResult::kEnd: return true;  // an image that ends inside a file
        case ReadResult::kShort: Fail(FOE_BAD_FORMAT); return false;
        case ReadResult::kFailed: Fail(FOE_READ_FAILED); return false;
      }
      BlockHeader header;
      if (!DecodeBlockHeader(bytes, &header)) {
        Fail(FOE_BAD_FORMAT);
        return false;
      }
      switch (ReadRecord(stored_.data(), header.storedSize)) {
        case ReadResult::kFull: break;
        case ReadResult::kFailed: Fail(FOE_READ_FAILED); return false;
        default: Fail(FOE_BAD_FORMAT); return false;
      }
      bool ended = header.last != 0;
      if (!skipping) {
        size_t length = 0;
        size_t written = 0;
        DecryptBuffer(job_.passwordLength, job_.password.data(), stored_.data(), header.storedSize,
                      deciphered_.data());
        if (!DecompressChunk(deciphered_.data(), header.storedSize, plain_.data(), plain_.size(), &length)) {
          Fail(FOE_BAD_FORMAT);
          skipping = true;
        } else if (!target.Write(plain_.data(), length, &written) || written != length) {
          Fail(FOE_WRITE_FAILED);
          skipping = true;
        } else if (length == 0) {
          ended = true;
        }
      }
      SetProgress(job_.doneBytes + header.storedSize);
      PauseCheckPoint(job_);
      if (ended) return true;
    }
  }

  BackupJob& job_;
  Env* env_;
  std::unique_ptr<File> image_;
  FILE_OPERATION_ERROR error_ = FOE_NONE;
  std::vector<uint8_t> stored_;
  std::vector<uint8_t> deciphered_;
  std::vector<uint8_t> plain_;
};

}  // namespace

bool IsBackupImage(Env* env, const std::string& path) {
  const std::string extension = kImageExtension;
  if (path.size() < extension.size() ||
      path.compare(path.size() - extension.size(), extension.size(), extension) != 0)
    return false;
  std::unique_ptr<File> file = env->Open(path, ImageReadOptions(), nullptr);
  if (!file) return false;
  uint8_t magic[4];
  size_t got = 0;
  return file->Read(magic, sizeof magic, &got) && got == sizeof magic && IsImageMagic(magic);
}

void ReadImage(BackupJob& job, Env* env) { ImageReader(job, env).Run(); }

}  // namespace nv
