// shred_bench SIZE FOLDER [ROUNDS]
//
// Compares the shredder's overwrite speed with plain 64 KiB writes followed by
// an fsync per pass, over the same number of bytes, on a file of SIZE bytes
// (suffixes K, M, G allowed) in FOLDER. Each round runs both for a one-pass
// and a three-pass method; the best round of each is reported, with the ratio
// shredder / plain.
//
// The shredder is timed twice: until its overwriting ends (the moment it
// first renames or deletes, after the last pass is flushed and the file
// closed), which is the figure to compare with the plain writes, and for the
// whole run, which adds the removal of the file and the churn of names. On
// most file systems freeing a large file's blocks takes a noticeable,
// size-dependent time, so the whole run is set beside plain writes followed by
// deleting the file.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/common/bench_util.h"
#include "core/job.h"
#include "core/jobs.h"
#include "platform/env.h"
#include "shred/shred_job.h"

namespace {

using nv::bench::Clock;
using nv::bench::ParseSize;
using nv::bench::Seconds;
using nv::bench::SecondsSince;

// Writes `passes` passes of size bytes over an existing file from offset 0,
// in 64 KiB writes, with an fsync after each pass.
bool PlainWrite(const std::string& path, uint64_t size, int passes, const std::vector<char>& block) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = true;
  for (int pass = 0; pass < passes && ok; ++pass) {
    ok = ::lseek(fd, 0, SEEK_SET) == 0;
    for (uint64_t left = size; left > 0 && ok;) {
      size_t chunk = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
      ok = ::write(fd, block.data(), chunk) == static_cast<ssize_t>(chunk);
      left -= chunk;
    }
    ok = ok && ::fsync(fd) == 0;
  }
  return ::close(fd) == 0 && ok;
}

// A fully written file, so both sides overwrite allocated blocks in place.
bool MakeFile(const std::string& path, uint64_t size, const std::vector<char>& block) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return PlainWrite(path, size, 1, block);
}

// Passes everything on, noting when the first rename or deletion happens.
class TimingEnv : public nv::Env {
 public:
  explicit TimingEnv(nv::Env* base) : base_(base) {}
  Clock::time_point overwriteEnd() const { return overwriteEnd_; }

  std::unique_ptr<nv::File> Open(const std::string& path, const nv::OpenOptions& options,
                                 nv::FsError* error) override {
    return base_->Open(path, options, error);
  }
  bool Stat(const std::string& path, nv::EntryInfo* info) override { return base_->Stat(path, info); }
  bool GetAttributes(const std::string& path, uint32_t* attributes) override {
    return base_->GetAttributes(path, attributes);
  }
  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    return base_->SetAttributes(path, attributes);
  }
  bool ListDir(const std::string& path, std::vector<nv::DirEntry>* entries) override {
    return base_->ListDir(path, entries);
  }
  bool Rename(const std::string& from, const std::string& to, nv::FsError* error) override {
    Note();
    return base_->Rename(from, to, error);
  }
  bool Replace(const std::string& from, const std::string& to, nv::FsError* error) override {
    return base_->Replace(from, to, error);
  }
  bool DeleteFile(const std::string& path, nv::FsError* error) override {
    Note();
    return base_->DeleteFile(path, error);
  }
  bool CreateDir(const std::string& path, uint32_t mode, nv::FsError* error) override {
    return base_->CreateDir(path, mode, error);
  }
  bool RemoveDir(const std::string& path, nv::FsError* error) override {
    return base_->RemoveDir(path, error);
  }
  bool SyncDir(const std::string& path) override { return base_->SyncDir(path); }
  std::string LongForm(const std::string& path) override { return base_->LongForm(path); }

 private:
  // Called on the worker only, which the main thread joins before reading.
  void Note() {
    if (!noted_) overwriteEnd_ = Clock::now();
    noted_ = true;
  }
  nv::Env* base_;
  bool noted_ = false;
  Clock::time_point overwriteEnd_{};
};

double MBps(uint64_t bytes, double seconds) { return static_cast<double>(bytes) / (1 << 20) / seconds; }

struct Result {  // best MB/s
  double plain = 0;
  double plainDelete = 0;  // plain writes, then the file deleted
  double shred = 0;        // until the overwriting ends
  double whole = 0;        // the whole run, removal included
};

bool RunRound(const std::string& folder, uint64_t size, uint32_t method, const std::vector<char>& block,
              Result* best) {
  const int passes = static_cast<int>(nv::ShredPassCount(method));
  const uint64_t bytes = size * static_cast<uint64_t>(passes);
  std::string plainPath = nv::JoinPath(folder, "shred-bench-plain.bin");
  std::string shredPath = nv::JoinPath(folder, "shred-bench-shred.bin");

  if (!MakeFile(plainPath, size, block)) return false;
  auto start = Clock::now();
  bool ok = PlainWrite(plainPath, size, passes, block);
  double plainSeconds = SecondsSince(start);
  ok = ::unlink(plainPath.c_str()) == 0 && ok;
  double plainDeleteSeconds = SecondsSince(start);
  if (!ok) return false;

  if (!MakeFile(shredPath, size, block)) return false;
  nv::ShredJob job;
  nv::ErrorQueue errors;
  TimingEnv env(nv::Env::Default());
  start = Clock::now();
  if (!nv::StartShredJob(job, &env, {shredPath}, method, &errors)) return false;
  nv::JoinWorker(job);
  double wholeSeconds = SecondsSince(start);
  double shredSeconds = Seconds(start, env.overwriteEnd());
  if (job.doneBytes != bytes || ::access(shredPath.c_str(), F_OK) == 0) {
    std::fprintf(stderr, "the shredder did not complete (%llu of %llu bytes)\n",
                 static_cast<unsigned long long>(job.doneBytes.load()),
                 static_cast<unsigned long long>(bytes));
    ::unlink(shredPath.c_str());
    return false;
  }
  double plain = MBps(bytes, plainSeconds), shred = MBps(bytes, shredSeconds);
  double whole = MBps(bytes, wholeSeconds), plainDelete = MBps(bytes, plainDeleteSeconds);
  std::printf(
      "  method %u (%d pass%s): plain %7.1f MB/s   shredder %7.1f MB/s   "
      "plain+delete %7.1f MB/s   shredder whole run %7.1f MB/s\n",
      method, passes, passes == 1 ? "" : "es", plain, shred, plainDelete, whole);
  std::fflush(stdout);
  best->plain = std::max(best->plain, plain);
  best->shred = std::max(best->shred, shred);
  best->whole = std::max(best->whole, whole);
  best->plainDelete = std::max(best->plainDelete, plainDelete);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t size = 0;
  int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  if (argc < 3 || argc > 4 || !ParseSize(argv[1], &size) || rounds < 1) {
    std::fprintf(stderr, "usage: shred_bench SIZE FOLDER [ROUNDS]   (SIZE in bytes, or with K, M, G)\n");
    return 2;
  }
  const std::string folder = argv[2];
  if (!nv::bench::PrepareFolder(nv::Env::Default(), folder)) {
    std::fprintf(stderr, "cannot use the folder %s\n", folder.c_str());
    return 1;
  }
  const std::vector<char> block(nv::kPassBufferSize, 0x5A);
  const uint32_t methods[] = {nv::SHRED_ZEROS, nv::SHRED_US_MILITARY};
  Result best[2];
  std::printf("file of %llu bytes in %s, %d round%s\n", static_cast<unsigned long long>(size), folder.c_str(),
              rounds, rounds == 1 ? "" : "s");
  for (int round = 1; round <= rounds; ++round) {
    std::printf("round %d\n", round);
    for (int m = 0; m < 2; ++m) {
      if (!RunRound(folder, size, methods[m], block, &best[m])) {
        std::fprintf(stderr, "cannot write in %s\n", folder.c_str());
        return 1;
      }
    }
  }
  std::printf("best of %d:\n", rounds);
  bool fastEnough = true;
  for (int m = 0; m < 2; ++m) {
    double ratio = best[m].shred / best[m].plain;
    fastEnough = fastEnough && ratio >= 0.9;
    std::printf("  method %u (%u pass%s): plain %7.1f MB/s   shredder %7.1f MB/s   ratio %.3f\n", methods[m],
                nv::ShredPassCount(methods[m]), methods[m] == nv::SHRED_ZEROS ? "" : "es", best[m].plain,
                best[m].shred, ratio);
    std::printf("      with deletion: plain+delete %7.1f MB/s   shredder whole run %7.1f MB/s   ratio %.3f\n",
                best[m].plainDelete, best[m].whole, best[m].whole / best[m].plainDelete);
  }
  std::printf("shredder at least 90 %% of plain writes: %s\n", fastEnough ? "yes" : "no");
  return 0;
}
