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
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backup/backup_job.h"
#include "bench/common/bench_util.h"
#include "bench/common/codec_limit.h"
#include "core/job.h"
#include "core/jobs.h"
#include "crypt/zlib_codec.h"
#include "platform/env.h"

namespace {

using nv::bench::Clock;
using nv::bench::ParseSize;
using nv::bench::SecondsSince;
using nv::bench::WriteWholeFile;
constexpr size_t kFilesPerFolder = 16;
constexpr const char* kPassword = "bench-password";

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

bool MakeTree(nv::Env* env, const std::string& root, uint64_t total, uint64_t fileSize, size_t* files) {
  if (!env->CreateDir(root, 0700, nullptr)) return false;
  *files = 0;
  for (uint64_t made = 0; made < total; made += fileSize, ++*files) {
    std::string folder = root + "/part" + std::to_string(*files / kFilesPerFolder);
    if (*files % kFilesPerFolder == 0 && !env->CreateDir(folder, 0700, nullptr)) return false;
    size_t size = static_cast<size_t>(std::min(fileSize, total - made));
    if (!WriteWholeFile(env, folder + "/file" + std::to_string(*files) + ".dat",
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
  double seconds = SecondsSince(start);
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
  if (!nv::bench::PrepareFolder(env, folder)) {
    std::fprintf(stderr, "cannot use the folder %s\n", folder.c_str());
    return 1;
  }
  RemoveTree(env, tree);
  if (!MakeTree(env, tree, total, fileSize, &files)) {
    std::fprintf(stderr, "cannot write the tree in %s\n", folder.c_str());
    return 1;
  }

  nv::BackupJob job;
  double backupBest = 1e30, recoveryBest = 1e30;
  nv::bench::CodecTimes limit;
  const std::vector<uint8_t> sample = MakeData(16 * nv::kPlainChunkSize, 7);
  for (int round = 0; round < rounds; ++round) {
    if (!nv::bench::MeasureCodecLimit(sample, total, kPassword, &limit)) {
      std::fprintf(stderr, "the codec failed in round %d\n", round + 1);
      return 1;
    }
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
              static_cast<double>(files) / backupBest, mb / limit.encode,
              100.0 * limit.encode / backupBest);
  std::printf("%-10s %10.1f %10.1f %13.1f MB/s %7.0f%%\n", "recovery", mb / recoveryBest,
              static_cast<double>(files) / recoveryBest, mb / limit.decode,
              100.0 * limit.decode / recoveryBest);
  return 0;
}
