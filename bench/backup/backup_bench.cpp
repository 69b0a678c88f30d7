// backup_bench FOLDER [TOTAL_SIZE [FILE_SIZE [ROUNDS]]]
//
// Generates a folder tree in FOLDER (TOTAL_SIZE bytes in files of FILE_SIZE,
// 16 files per sub-folder; suffixes K, M, G; defaults 256M and 1M), backs it
// up into an image beside it and restores the image, and prints each run's
// throughput in MB/s of file data and in files/s. Beside them it prints the
// single-core limit measured in the same run on the same kind of data: zlib
// level 6 plus AES-128-CFB over 64 KiB chunks, and the reverse for recovery,
// with no I/O at all; the ratio says how close the jobs come to it. The best
// of ROUNDS (default 3) rounds is reported.
//
// The data is about half compressible (text with runs of random bytes). The
// tree is freshly written, so the jobs mostly read from the page cache: the
// figures are those of the engine, not of the disk.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backup/backup_job.h"
#include "core/job.h"
#include "core/jobs.h"
#include "crypt/cipher.h"
#include "crypt/zlib_codec.h"
#include "platform/env.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kFilesPerFolder = 16;
constexpr const char* kPassword = "bench-password";

bool ParseSize(const std::string& text, uint64_t* size) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (end == text.c_str()) return false;
  std::string suffix = end;
  uint64_t scale = 1;
  if (suffix == "K" || suffix == "k") scale = 1ull << 10;
  else if (suffix == "M" || suffix == "m") scale = 1ull << 20;
  else if (suffix == "G" || suffix == "g") scale = 1ull << 30;
  else if (!suffix.empty()) return false;
  *size = value * scale;
  return *size > 0;
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Text-like bytes with a run of random bytes in every 4 KiB.
std::vector<uint8_t> MakeData(size_t size, uint32_t seed) {
  static const char* kWords[] = {"backup ", "image ", "folder ", "block\n", "entry ", "stored "};
  std::vector<uint8_t> data(size);
  uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (size_t at = 0; at < size;) {
    if (at % 4096 < 3072) {
      const char* word = kWords[next() % 6];
      while (*word && at < size) data[at++] = static_cast<uint8_t>(*word++);
    } else {
      data[at++] = static_cast<uint8_t>(next());
    }
  }
  return data;
}

bool WriteWhole(nv::Env* env, const std::string& path, const std::vector<uint8_t>& data) {
  nv::OpenOptions options;
  options.access = nv::Access::kWrite;
  options.disposition = nv::Disposition::kCreateAlways;
  std::unique_ptr<nv::File> file = env->Open(path, options, nullptr);
  size_t written = 0;
  return file && file->Write(data.data(), data.size(), &written) && written == data.size() && file->Close();
}

bool MakeTree(nv::Env* env, const std::string& root, uint64_t total, uint64_t fileSize, size_t* files) {
  if (!env->CreateDir(root, 0700, nullptr)) return false;
  *files = 0;
  for (uint64_t made = 0; made < total; made += fileSize, ++*files) {
    std::string folder = root + "/part" + std::to_string(*files / kFilesPerFolder);
    if (*files % kFilesPerFolder == 0 && !env->CreateDir(folder, 0700, nullptr)) return false;
    size_t size = static_cast<size_t>(std::min(fileSize, total - made));
    if (!WriteWhole(env, folder + "/file" + std::to_string(*files) + ".dat",
                    MakeData(size, static_cast<uint32_t>(*files))))
      return false;
  }
  return true;
}

void RemoveTree(nv::Env* env, const std::string& path) {
  std::vector<nv::DirEntry> entries;
  env->ListDir(path, &entries);
  for (const nv::DirEntry& entry : entries) {
    std::string child = path + "/" + entry.name;
    if (entry.type == nv::EntryType::kDirectory)
      RemoveTree(env, child);
    else
      env->DeleteFile(child, nullptr);
  }
  env->RemoveDir(path, nullptr);
}

struct Limits {
  double encodeSeconds = 0;
  double decodeSeconds = 0;
};

// Compress-and-encipher and decipher-and-decompress of `total` bytes of the
// same kind of data in 64 KiB chunks, on this thread, without I/O.
Limits MeasureLimits(uint64_t total) {
  std::vector<uint8_t> plain = MakeData(16 * nv::kPlainChunkSize, 7);
  std::vector<uint8_t> compressed(nv::kStoredChunkCapacity), stored(nv::kStoredChunkCapacity);
  std::vector<uint8_t> clear(nv::kStoredChunkCapacity), restored(nv::kPlainChunkSize);
  auto key = reinterpret_cast<const uint8_t*>(kPassword);
  uint32_t keyLength = static_cast<uint32_t>(std::char_traits<char>::length(kPassword));
  Limits limits;
  size_t chunks = static_cast<size_t>((total + nv::kPlainChunkSize - 1) / nv::kPlainChunkSize);
  std::vector<size_t> lengths(16);
  std::vector<std::vector<uint8_t>> storedChunks(16);
  auto start = Clock::now();
  for (size_t i = 0; i < chunks; ++i) {
    const uint8_t* chunk = plain.data() + (i % 16) * nv::kPlainChunkSize;
    size_t length = 0;
    nv::CompressChunk(chunk, nv::kPlainChunkSize, 6, compressed.data(), compressed.size(), &length);
    nv::EncryptBuffer(keyLength, key, compressed.data(), length, stored.data());
    if (i < 16) storedChunks[i].assign(stored.begin(), stored.begin() + static_cast<long>(length));
  }
  limits.encodeSeconds = Seconds(start);
  start = Clock::now();
  for (size_t i = 0; i < chunks; ++i) {
    const std::vector<uint8_t>& chunk = storedChunks[i % 16];
    size_t length = 0;
    nv::DecryptBuffer(keyLength, key, chunk.data(), chunk.size(), clear.data());
    nv::DecompressChunk(clear.data(), chunk.size(), restored.data(), restored.size(), &length);
  }
  limits.decodeSeconds = Seconds(start);
  return limits;
}

// Runs one backup or recovery to its end; seconds, or a negative value on failure.
double RunJob(nv::BackupJob& job, nv::Env* env, bool isBackup, const std::string& tree,
              const std::string& image, const std::string& destination) {
  nv::ErrorQueue errors;
  std::vector<std::string> items;
  if (isBackup) items.push_back(tree);
  auto start = Clock::now();
  if (!nv::PrepareBackupJob(job, env, isBackup, items, image, destination, kPassword, &errors)) return -1;
  if (!nv::LaunchWorker(job, [&job, env] { nv::BackupThread(job, env); })) return -1;
  nv::JoinWorker(job);
  double seconds = Seconds(start);
  nv::ReadAccess<std::deque<std::pair<std::string, nv::FILE_OPERATION_ERROR>>> queued(errors);
  return queued->empty() ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t total = 256ull << 20, fileSize = 1ull << 20;
  int rounds = 3;
  if (argc < 2 || argc > 5 || (argc > 2 && !ParseSize(argv[2], &total)) ||
      (argc > 3 && !ParseSize(argv[3], &fileSize)) || (argc > 4 && (rounds = std::atoi(argv[4])) < 1)) {
    std::fprintf(stderr, "usage: backup_bench FOLDER [TOTAL_SIZE [FILE_SIZE [ROUNDS]]]\n");
    return 2;
  }
  nv::Env* env = nv::Env::Default();
  std::string folder = argv[1];
  std::string tree = folder + "/bench-tree", image = folder + "/bench-image.dfi";
  std::string destination = folder + "/bench-restored";
  size_t files = 0;
  RemoveTree(env, tree);
  if (!MakeTree(env, tree, total, fileSize, &files)) {
    std::fprintf(stderr, "cannot write the tree in %s\n", folder.c_str());
    return 1;
  }

  nv::BackupJob job;
  double backupBest = 1e30, recoveryBest = 1e30;
  Limits limit{1e30, 1e30};
  for (int round = 0; round < rounds; ++round) {
    Limits measured = MeasureLimits(total);
    limit.encodeSeconds = std::min(limit.encodeSeconds, measured.encodeSeconds);
    limit.decodeSeconds = std::min(limit.decodeSeconds, measured.decodeSeconds);
    double backup = RunJob(job, env, true, tree, image, "");
    RemoveTree(env, destination);
    env->CreateDir(destination, 0700, nullptr);
    double recovery = RunJob(job, env, false, "", image, destination);
    if (backup < 0 || recovery < 0) {
      std::fprintf(stderr, "a job failed in round %d\n", round + 1);
      return 1;
    }
    backupBest = std::min(backupBest, backup);
    recoveryBest = std::min(recoveryBest, recovery);
  }
  nv::EntryInfo imageInfo;
  env->Stat(image, &imageInfo);
  RemoveTree(env, tree);
  RemoveTree(env, destination);
  env->DeleteFile(image, nullptr);

  double mb = static_cast<double>(total) / 1e6;
  std::printf("tree: %zu files of %llu bytes, %.1f MB; image %.1f MB (%.0f%% of the data); best of %d\n",
              files, static_cast<unsigned long long>(fileSize), mb, static_cast<double>(imageInfo.size) / 1e6,
              100.0 * static_cast<double>(imageInfo.size) / static_cast<double>(total), rounds);
  std::printf("%-10s %10s %10s %18s %8s\n", "", "MB/s", "files/s", "single-core limit", "ratio");
  std::printf("%-10s %10.1f %10.1f %13.1f MB/s %7.0f%%\n", "backup", mb / backupBest,
              static_cast<double>(files) / backupBest, mb / limit.encodeSeconds,
              100.0 * limit.encodeSeconds / backupBest);
  std::printf("%-10s %10.1f %10.1f %13.1f MB/s %7.0f%%\n", "recovery", mb / recoveryBest,
              static_cast<double>(files) / recoveryBest, mb / limit.decodeSeconds,
              100.0 * limit.decodeSeconds / recoveryBest);
  return 0;
}
