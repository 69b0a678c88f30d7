#include "core/file_utils.h"

namespace nv {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

bool IsSameOrInside(Env* env, const std::string& p, const std::string& folder) {
  bool same = false, inside = false;
  return PathRelation(env, p, folder, &same, &inside);
}

// False when the folder cannot be listed; failures below it are not seen.
bool EnumerateFolder(Env* env, const std::string& folder, std::vector<std::string>* out,
                     const char* filter, bool recurse, uint64_t* total, bool includeFolders) {
  std::vector<DirEntry> entries;
  if (!env->ListDir(folder, &entries)) return false;
  std::string suffix = filter ? filter : "";
  for (const DirEntry& entry : entries) {
    std::string child = JoinPath(folder, entry.name);
    if (entry.type == EntryType::kFile) {
      if (filter && !(suffix.size() < entry.name.size() && EndsWithIgnoringCase(entry.name, suffix)))
        continue;
      out->push_back(child);
      if (total) *total += entry.size;
    } else if (entry.type == EntryType::kDirectory && recurse) {
      if (includeFolders) out->push_back(child);
      EnumerateFolder(env, child, out, filter, recurse, total, includeFolders);
    }
  }
  return true;
}

}  // namespace

bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

bool Enumerate(Env* env, const std::string& path, std::vector<std::string>* out, const char* filter,
               bool recurse, uint64_t* total, bool includeFolders) {
  EntryInfo info;
  if (!env->Stat(path, &info)) return false;
  if (info.type == EntryType::kFile) {
    if (total) *total += info.size;
    if (filter) {
      size_t dot = path.rfind('.');
      std::string extension = dot == std::string::npos ? path : path.substr(dot);
      if (!EqualsIgnoringCase(extension, filter)) return true;
    }
    out->push_back(path);
    return true;
  }
  if (info.type != EntryType::kDirectory) return false;
  return EnumerateFolder(env, path, out, filter, recurse, total, includeFolders);
}

bool PathRelation(Env* env, const std::string& a, const std::string& b, bool* same, bool* inside) {
  *same = false;
  *inside = false;
  std::string longA = env->LongForm(a);
  std::string longB = env->LongForm(b);
  // A missing path is related to nothing: every absolute path would otherwise
  // lie "inside" the empty form, and two missing paths would be the same.
  if (longA.empty() || longB.empty()) return false;
  if (longA.size() < longB.size()) return false;
  if (longA.size() == longB.size()) {
    *same = longA == longB;
  } else {
    *inside = longA.compare(0, longB.size(), longB) == 0 && longA[longB.size()] == '/';
  }
  return *same || *inside;
}

bool PathsOverlap(Env* env, const std::string& p, const std::string& q) {
  bool same = false, inside = false;
  return PathRelation(env, q, p, &same, &inside) || PathRelation(env, p, q, &same, &inside);
}

bool IsAllowedItem(Env* env, const SpecialFolders& folders, const std::string& p) {
  // The root is checked in canonical form, so "/.", "//" or "/tmp/.." are refused too.
  std::string canonical = env->LongForm(p);
  if (canonical.empty()) canonical = p;
  if (canonical == folders.systemDriveRoot) return false;
  if (canonical.size() < folders.systemDriveRoot.size()) return false;
  for (const std::string& system : folders.systemFolders)
    if (IsSameOrInside(env, p, system)) return false;
  if (IsSameOrInside(env, p, folders.programFilesX86)) return false;
  if (IsSameOrInside(env, p, folders.programFiles)) return false;
  if (IsSameOrInside(env, p, folders.programFolder)) return false;
  if (IsSameOrInside(env, folders.programFolder, p)) return false;
  if (IsSameOrInside(env, p, folders.desktop)) return true;
  if (IsSameOrInside(env, p, folders.documents)) return true;
  for (const std::string& root : folders.profilesRoots)
    if (IsSameOrInside(env, p, root)) return false;
  return true;
}

std::string DisplayName(const std::string& path) {
  std::string name = BaseName(path);
  return name.empty() ? path : name;
}

std::string ToAnsi(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace nv
