#include "bench/common/bench_util.h"

#include <cstdlib>
#include <memory>

namespace nv::bench {

bool ParseSize(const std::string& text, uint64_t* size) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (end == text.c_str()) return false;
  std::string suffix = end;
  uint64_t scale = 1;
  if (suffix == "K" || suffix == "k")
    scale = 1ull << 10;
  else if (suffix == "M" || suffix == "m")
    scale = 1ull << 20;
  else if (suffix == "G" || suffix == "g")
    scale = 1ull << 30;
  else if (!suffix.empty())
    return false;
  *size = value * scale;
  return *size > 0;
}

double Seconds(Clock::time_point start, Clock::time_point end) {
  return std::chrono::duration<double>(end - start).count();
}

double SecondsSince(Clock::time_point start) { return Seconds(start, Clock::now()); }

bool PrepareFolder(Env* env, const std::string& folder) {
  EntryInfo info;
  if (env->Stat(folder, &info)) return info.type == EntryType::kDirectory;
  std::string parent = ParentPath(folder);
  if (!parent.empty() && parent != folder && !PrepareFolder(env, parent)) return false;
  return env->CreateDir(folder, 0755, nullptr);
}

bool WriteWholeFile(Env* env, const std::string& path, const std::vector<uint8_t>& data) {
  OpenOptions options;
  options.access = Access::kWrite;
  options.disposition = Disposition::kCreateAlways;
  std::unique_ptr<File> file = env->Open(path, options, nullptr);
  size_t written = 0;
  return file && file->Write(data.data(), data.size(), &written) && written == data.size() && file->Close();
}

}  // namespace nv::bench
