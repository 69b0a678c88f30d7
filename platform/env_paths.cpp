#include "platform/env.h"

namespace nv {

const char* FsErrorText(FsError error) {
  switch (error) {
    case FsError::kOk: return "no error";
    case FsError::kNotFound: return "not found";
    case FsError::kExists: return "already exists";
    case FsError::kAccessDenied: return "permission denied";
    case FsError::kBusy: return "in use by another program";
    case FsError::kNoSpace: return "no space left on device";
    case FsError::kNameTooLong: return "name too long";
    case FsError::kNotEmpty: return "folder not empty";
    case FsError::kIsDirectory: return "is a folder";
    case FsError::kNotDirectory: return "not a folder";
    case FsError::kIo: return "input/output error";
  }
  return "unknown error";
}

std::string ParentPath(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (a.back() == '/') return a + b;
  return a + "/" + b;
}

bool PathFits(const std::string& path) {
  if (path.size() > kMaxPathBytes) return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    size_t end = slash == std::string::npos ? path.size() : slash;
    if (end - start > kMaxNameBytes) return false;
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return true;
}

}  // namespace nv
