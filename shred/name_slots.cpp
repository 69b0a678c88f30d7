#include "shred/name_slots.h"

namespace nv {
namespace {

std::string Dollars(size_t count) { return std::string(count, '$'); }

// Last characters tried when the 32-dollar name is taken.
constexpr const char* kVariantChars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

}  // namespace

std::string WorkingName(const std::string& path) {
  return JoinPath(ParentPath(path), Dollars(kWorkingNameLength));
}

bool WorkingNameFits(const std::string& path) { return PathFits(WorkingName(path)); }

std::vector<std::string> ChurnNames(const std::string& path) {
  std::string folder = ParentPath(path);
  std::vector<std::string> names;
  names.reserve(52);
  for (char capital = 'A'; capital <= 'Z'; ++capital)
    names.push_back(JoinPath(folder, capital + Dollars(kWorkingNameLength - 1)));
  for (char small = 'a'; small <= 'z'; ++small)
    names.push_back(JoinPath(folder, std::string{'Z', small} + Dollars(kWorkingNameLength - 2)));
  return names;
}

std::string MoveToWorkingName(Env* env, const std::string& path) {
  std::string target = WorkingName(path);
  if (!PathFits(target)) return "";
  FsError error = FsError::kOk;
  if (env->Rename(path, target, &error)) return target;
  for (const char* c = kVariantChars; *c && error == FsError::kExists; ++c) {
    target.back() = *c;
    if (env->Rename(path, target, &error)) return target;
  }
  return "";
}

}  // namespace nv
