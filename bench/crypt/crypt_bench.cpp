// crypt_bench SIZE FOLDER [ROUNDS]
//
// Encrypts and decrypts a file of SIZE bytes (suffixes K, M, G allowed) in
// FOLDER with the program's transforms, and sets their speed, in MB/s of plain
// bytes, beside the single-core limit measured in the same run on the same
// data: zlib level 6 plus AES-128-CFB over 64 KiB chunks in memory, with no
// file I/O. Two kinds of data are used: text-like data that compresses to
// about a third, and random bytes that do not compress. The best of ROUNDS
// (default 3) runs of each is reported, with the ratio file / limit.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/common/bench_util.h"
#include "bench/common/codec_limit.h"
#include "core/jobs.h"
#include "crypt/dfc_file.h"
#include "platform/env.h"

namespace {

using nv::bench::Clock;
using nv::bench::ParseSize;
constexpr const char* kPassword = "bench-password";

std::vector<uint8_t> MakeData(uint64_t size, bool text) {
  std::vector<uint8_t> data(size);
  std::mt19937_64 generator(42);
  if (!text) {
    for (uint8_t& byte : data) byte = static_cast<uint8_t>(generator());
    return data;
  }
  static const char* const kWords[] = {"the ", "file ", "data ", "encrypted ", "folder ", "and ",
                                       "of ", "password ", "chunk ", "norvane ", "list ", "item ",
                                       "\n", "2024 ", "value ", "protects "};
  for (size_t at = 0; at < data.size();) {
    const char* word = kWords[generator() % 16];
    for (size_t i = 0; word[i] && at < data.size(); ++i) data[at++] = static_cast<uint8_t>(word[i]);
    if (generator() % 4 == 0 && at < data.size()) data[at++] = static_cast<uint8_t>('A' + generator() % 26);
  }
  return data;
}

// Times work; *ok turns false when it fails.
double Seconds(const std::function<bool()>& work, bool* ok) {
  auto start = Clock::now();
  *ok = work() && *ok;
  return nv::bench::SecondsSince(start);
}

struct FileTimes {
  double encrypt = 1e30, decrypt = 1e30;
};

// One encryption and one decryption of path through the program's transforms;
// each writes its output, flushes it and moves it to its name.
bool MeasureFiles(nv::Env* env, const std::string& path, FileTimes* best) {
  nv::CryptoJob job;
  nv::ErrorQueue errors;
  job.errors = &errors;
  std::memcpy(job.password.data(), kPassword, std::strlen(kPassword));
  job.passwordLength = static_cast<uint32_t>(std::strlen(kPassword));
  const std::string aside = path + ".orig";
  bool ok = true;
  best->encrypt = std::min(best->encrypt, Seconds([&] {
    nv::EncryptFile(env, path, job);
    return errors.value.empty();
  }, &ok));
  ok = ok && env->Rename(path, aside, nullptr);
  best->decrypt = std::min(best->decrypt, Seconds([&] {
    nv::DecryptFile(env, path + nv::kDfcExtension, job);
    return errors.value.empty();
  }, &ok));
  env->DeleteFile(path + nv::kDfcExtension, nullptr);
  env->DeleteFile(path, nullptr);
  return env->Rename(aside, path, nullptr) && ok;
}

void Report(const char* what, uint64_t size, double fileSeconds, double limitSeconds) {
  double mb = static_cast<double>(size) / 1e6;
  std::printf("  %-8s file %8.1f MB/s   limit %8.1f MB/s   ratio %.2f\n", what, mb / fileSeconds,
              mb / limitSeconds, limitSeconds / fileSeconds);
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t size = 0;
  int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  if (argc < 3 || !ParseSize(argv[1], &size) || rounds < 1) {
    std::fprintf(stderr, "usage: crypt_bench SIZE FOLDER [ROUNDS]   (SIZE like 256M)\n");
    return 2;
  }
  nv::Env* env = nv::Env::Default();
  if (!nv::bench::PrepareFolder(env, argv[2])) {
    std::fprintf(stderr, "cannot use the folder %s\n", argv[2]);
    return 1;
  }
  const std::string path = nv::JoinPath(argv[2], "crypt_bench.data");
  for (bool text : {true, false}) {
    std::vector<uint8_t> data = MakeData(size, text);
    if (!nv::bench::WriteWholeFile(env, path, data)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    nv::bench::CodecTimes limits;
    FileTimes files;
    bool ok = true;
    for (int round = 0; round < rounds && ok; ++round)
      ok = nv::bench::MeasureCodecLimit(data, size, kPassword, &limits) && MeasureFiles(env, path, &files);
    env->DeleteFile(path, nullptr);
    if (!ok) {
      std::fprintf(stderr, "a run failed\n");
      return 1;
    }
    std::printf("%s data, %llu bytes, best of %d:\n", text ? "text-like" : "random",
                static_cast<unsigned long long>(size), rounds);
    Report("encrypt", size, files.encrypt, limits.encode);
    Report("decrypt", size, files.decrypt, limits.decode);
  }
  return 0;
}
