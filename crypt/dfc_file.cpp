#include "crypt/dfc_file.h"

#include <cstring>
#include <memory>
#include <vector>

#include "core/byte_order.h"
#include "crypt/cipher.h"
#include "crypt/pending_output.h"
#include "crypt/zlib_codec.h"
#include "platform/clock.h"

namespace nv {
namespace {

constexpr size_t kTimeOffset = 16;
constexpr size_t kPasswordCheckOffset = 24;
constexpr size_t kPasswordLengthOffset = 40;

double Percent(uint64_t done, uint64_t total) {
  return total == 0 ? 0.0 : static_cast<double>(done) / static_cast<double>(total) * 100.0;
}

bool EndsWithDfc(const std::string& path) {
  size_t n = std::strlen(kDfcExtension);
  return path.size() >= n && path.compare(path.size() - n, n, kDfcExtension) == 0;
}

std::unique_ptr<File> OpenSource(Env* env, const std::string& path) {
  OpenOptions options;
  options.access = Access::kRead;
  options.disposition = Disposition::kOpenExisting;
  options.share = Share::kShareRead;
  options.followLinks = false;
  return env->Open(path, options, nullptr);
}

bool WriteAll(File* file, const uint8_t* data, size_t n) {
  size_t written = 0;
  return file->Write(data, n, &written) && written == n;
}

// One call of EncryptFile or DecryptFile and what its steps found out.
struct Run {
  Run(Env* e, CryptoJob& j, std::string in, std::string out)
      : env(e), job(j), input(std::move(in)), outputPath(std::move(out)), output(env, outputPath) {
    job.filePercent = 0.0;
    startDone = job.doneBytes;
    SetCurrentFile(job, input);
  }

  Env* env;
  CryptoJob& job;
  std::string input;
  std::string outputPath;
  PendingOutput output;
  std::unique_ptr<File> source;
  uint32_t attributes = 0;
  uint64_t startDone = 0;
  uint64_t size = 0;
  bool sizeKnown = false;
  uint64_t fileDone = 0;
  bool skipped = false;
};

FILE_OPERATION_ERROR OpenInput(Run& run) {
  run.source = OpenSource(run.env, run.input);
  if (!run.source || !run.source->Size(&run.size)) return FOE_READ_FAILED;
  run.sizeKnown = true;
  return FOE_NONE;
}

void Advance(Run& run, uint64_t bytes) {
  run.fileDone += bytes;
  run.job.doneBytes += bytes;
  run.job.filePercent = Percent(run.fileDone, run.size);
  run.job.totalPercent = Percent(run.job.doneBytes, run.job.totalBytes);
  PauseCheckPoint(run.job);  // an abort is acted on by the job after this file
}

// The closing steps: progress moved to the end of the file, then either the
// failure queued and no output left, or the output in place and recorded.
void FinishRun(Run& run, FILE_OPERATION_ERROR error) {
  run.source.reset();
  run.job.filePercent = 100.0;
  if (run.sizeKnown && run.size != 0) {
    run.job.doneBytes = run.startDone + run.size;
    run.job.totalPercent = Percent(run.job.doneBytes, run.job.totalBytes);
  }
  if (run.skipped) return;
  if (error == FOE_NONE) error = run.output.Commit(run.attributes);
  if (error != FOE_NONE) {
    run.output.Discard();
    QueueError(run.job.errors, run.input, error);
    return;
  }
  run.job.doneSources.push_back(run.input);
  run.job.doneOutputs.push_back(run.outputPath);
}

void BuildHeader(const CryptoJob& job, uint8_t header[kDfcHeaderSize]) {
  std::memset(header, 0, kDfcHeaderSize);
  PutU32(header, DFC_MAGIC);
  PutU32(header + 4, kDfcVersion);
  PutU32(header + 8, job.reserved);
  PutU32(header + 12, job.compressionSetting);
  PutF64(header + kTimeOffset, NowOleDate());
  uint8_t* check = header + kPasswordCheckOffset;
  std::memcpy(check, job.password.data(), job.passwordLength);
  EncryptFixedBlock(check, kCipherBlockSize);
  PutU32(header + kPasswordLengthOffset, job.passwordLength);
}

FILE_OPERATION_ERROR EncryptSteps(Run& run) {
  if (!run.env->GetAttributes(run.input, &run.attributes)) return FOE_NOT_FOUND;
  if (IsEncryptedFile(run.env, run.input)) {
    run.skipped = true;
    return FOE_NONE;
  }
  if (FILE_OPERATION_ERROR error = OpenInput(run)) return error;
  if (!run.output.Create()) return FOE_CREATE_FAILED;
  File* out = run.output.file();
  uint8_t header[kDfcHeaderSize];
  BuildHeader(run.job, header);
  if (!WriteAll(out, header, sizeof header)) return FOE_WRITE_FAILED;

  std::vector<uint8_t> plain(kPlainChunkSize);
  std::vector<uint8_t> compressed(kStoredChunkCapacity);
  // The chunk header goes in front of the enciphered bytes: one write per chunk.
  std::vector<uint8_t> chunk(kDfcChunkHeaderSize + kStoredChunkCapacity);
  int level = CompressionLevel(run.job.compressionSetting);
  for (;;) {
    size_t got = 0;
    if (!run.source->Read(plain.data(), plain.size(), &got)) return FOE_READ_FAILED;
    if (got == 0) break;
    size_t storedSize = 0;
    if (!CompressChunk(plain.data(), got, level, compressed.data(), compressed.size(), &storedSize))
      return FOE_COMPRESS_FAILED;
    EncryptBuffer(run.job.passwordLength, run.job.password.data(), compressed.data(), storedSize,
                  chunk.data() + kDfcChunkHeaderSize);
    PutU32(chunk.data(), DFC_MAGIC);
    PutU32(chunk.data() + 4, static_cast<uint32_t>(got));
    PutU32(chunk.data() + 8, static_cast<uint32_t>(storedSize));
    if (!WriteAll(out, chunk.data(), kDfcChunkHeaderSize + storedSize)) return FOE_WRITE_FAILED;
    Advance(run, got);
  }
  return FOE_NONE;
}

// Reads exactly n bytes: FOE_READ_FAILED when the read fails, FOE_BAD_FORMAT
// when the file ends first.
FILE_OPERATION_ERROR ReadExactly(File* file, uint8_t* buf, size_t n) {
  size_t got = 0;
  if (!file->Read(buf, n, &got)) return FOE_READ_FAILED;
  return got == n ? FOE_NONE : FOE_BAD_FORMAT;
}

// Checks the header and yields the password it holds, which keys the chunks.
FILE_OPERATION_ERROR CheckHeader(Run& run, uint8_t key[kCipherKeySize], uint32_t* keyLength) {
  uint8_t header[kDfcHeaderSize];
  if (FILE_OPERATION_ERROR error = ReadExactly(run.source.get(), header, sizeof header)) return error;
  if (GetU32(header + 4) > kDfcVersion || GetU32(header) != DFC_MAGIC) return FOE_BAD_FORMAT;
  uint32_t storedLength = GetU32(header + kPasswordLengthOffset);
  if (storedLength > kCipherKeySize) return FOE_BAD_PASSWORD;
  uint8_t* check = header + kPasswordCheckOffset;
  DecryptFixedBlock(check, storedLength);
  if (storedLength != run.job.passwordLength ||
      std::memcmp(check, run.job.password.data(), storedLength) != 0)
    return FOE_BAD_PASSWORD;
  std::memcpy(key, check, storedLength);
  *keyLength = storedLength;
  return FOE_NONE;
}

FILE_OPERATION_ERROR DecryptSteps(Run& run) {
  if (!run.env->GetAttributes(run.input, &run.attributes)) return FOE_NOT_FOUND;
  if (!IsEncryptedFile(run.env, run.input)) {
    if (EndsWithDfc(run.input)) return FOE_BAD_FORMAT;
    run.skipped = true;
    return FOE_NONE;
  }
  if (FILE_OPERATION_ERROR error = OpenInput(run)) return error;
  uint8_t key[kCipherKeySize] = {};
  uint32_t keyLength = 0;
  if (FILE_OPERATION_ERROR error = CheckHeader(run, key, &keyLength)) return error;
  if (!run.output.Create()) return FOE_CREATE_FAILED;

  std::vector<uint8_t> stored(kStoredChunkCapacity);
  std::vector<uint8_t> deciphered(kStoredChunkCapacity);
  std::vector<uint8_t> plain(kPlainChunkSize);
  for (;;) {
    uint8_t chunkHeader[kDfcChunkHeaderSize];
    size_t got = 0;
    if (!run.source->Read(chunkHeader, sizeof chunkHeader, &got)) return FOE_READ_FAILED;
    if (got == 0) break;
    if (got != sizeof chunkHeader || GetU32(chunkHeader) != DFC_MAGIC) return FOE_BAD_FORMAT;
    uint32_t plainSize = GetU32(chunkHeader + 4);
    uint32_t storedSize = GetU32(chunkHeader + 8);
    if (storedSize > kStoredChunkCapacity || plainSize > kPlainChunkSize) return FOE_BAD_FORMAT;
    if (FILE_OPERATION_ERROR error = ReadExactly(run.source.get(), stored.data(), storedSize))
      return error;
    DecryptBuffer(keyLength, key, stored.data(), storedSize, deciphered.data());
    size_t plainLength = 0;
    if (!DecompressChunk(deciphered.data(), storedSize, plain.data(), plain.size(), &plainLength) ||
        plainLength != plainSize)
      return FOE_BAD_FORMAT;
    if (!WriteAll(run.output.file(), plain.data(), plainLength)) return FOE_WRITE_FAILED;
    Advance(run, storedSize);
  }
  return FOE_NONE;
}

}  // namespace

bool IsEncryptedFile(Env* env, const std::string& path) {
  if (!EndsWithDfc(path)) return false;
  std::unique_ptr<File> file = OpenSource(env, path);
  if (!file) return false;
  uint8_t magic[4];
  size_t got = 0;
  return file->Read(magic, sizeof magic, &got) && got == sizeof magic && GetU32(magic) == DFC_MAGIC;
}

void EncryptFile(Env* env, const std::string& source, CryptoJob& job) {
  Run run(env, job, source, source + kDfcExtension);
  FinishRun(run, EncryptSteps(run));
}

void DecryptFile(Env* env, const std::string& path, CryptoJob& job) {
  std::string plainPath = path.size() >= 4 ? path.substr(0, path.size() - 4) : std::string();
  Run run(env, job, path, plainPath);
  FinishRun(run, DecryptSteps(run));
}

}  // namespace nv
