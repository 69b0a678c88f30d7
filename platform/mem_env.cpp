#include "platform/mem_env.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace nv {
namespace {

enum class NodeType { kFile, kDirectory, kSymlink, kSpecial };

struct Node {
  NodeType type = NodeType::kFile;
  uint32_t mode = 0644;
  std::string data;    // contents of a file
  std::string target;  // text of a link
  std::map<std::string, std::shared_ptr<Node>> children;  // entries of a folder
  int sharedLocks = 0;
  bool exclusiveLock = false;
};

std::shared_ptr<Node> MakeNode(NodeType type, uint32_t mode) {
  auto node = std::make_shared<Node>();
  node->type = type;
  node->mode = mode & 07777;
  return node;
}

// Links followed in one look-up before it fails, as the kernel's limit.
constexpr int kMaxLinkDepth = 40;
// A file larger than this fails to grow rather than exhaust the test's memory.
constexpr uint64_t kMaxFileSize = uint64_t{1} << 30;

void SetError(FsError* out, FsError value) {
  if (out) *out = value;
}

// Records the error of a failed operation; returns false for it to return.
bool Fail(FsError* out, FsError value) {
  SetError(out, value);
  return false;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < path.size()) {
    size_t slash = path.find('/', start);
    size_t end = slash == std::string::npos ? path.size() : slash;
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string path;
  for (const std::string& name : names) path += "/" + name;
  return path.empty() ? "/" : path;
}

EntryType TypeOf(const Node& node) {
  switch (node.type) {
    case NodeType::kFile: return EntryType::kFile;
    case NodeType::kDirectory: return EntryType::kDirectory;
    case NodeType::kSymlink: return EntryType::kSymlink;
    case NodeType::kSpecial: return EntryType::kOther;
  }
  return EntryType::kOther;
}

// Where a path leads.
struct Lookup {
  FsError error = FsError::kOk;  // the folder that would hold the entry cannot be reached
  std::shared_ptr<Node> parent;  // that folder; null for "/"
  std::string name;              // the entry's name in it
  std::shared_ptr<Node> node;    // the entry; null when missing
  std::string path;              // canonical path of the entry
};

}  // namespace

struct MemEnv::State {
  mutable std::mutex mutex;
  std::shared_ptr<Node> root = MakeNode(NodeType::kDirectory, 0755);
  size_t openFiles = 0;

  // Resolves path as the kernel does: links in the middle are always
  // followed, a final one only with followFinal; ".." is taken after links.
  Lookup Resolve(const std::string& path, bool followFinal, int depth = 0) const {
    Lookup out;
    if (depth > kMaxLinkDepth) {
      out.error = FsError::kIo;
      return out;
    }
    if (path.empty() || path[0] != '/') {
      out.error = FsError::kNotFound;
      return out;
    }
    bool trailingSlash = path.size() > 1 && path.back() == '/';
    std::vector<std::string> parts = SplitPath(path);
    std::vector<std::shared_ptr<Node>> folders{root};
    std::vector<std::string> names;
    for (size_t i = 0; i < parts.size(); ++i) {
      const std::string& part = parts[i];
      bool last = i + 1 == parts.size();
      if (part == "." || part == "..") {
        if (part == ".." && folders.size() > 1) {
          folders.pop_back();
          names.pop_back();
        }
        continue;
      }
      const auto& children = folders.back()->children;
      auto it = children.find(part);
      std::shared_ptr<Node> child = it == children.end() ? nullptr : it->second;
      if (child && child->type == NodeType::kSymlink && (!last || followFinal || trailingSlash)) {
        std::string next = child->target[0] == '/' ? child->target
                                                   : JoinPath(JoinNames(names), child->target);
        for (size_t j = i + 1; j < parts.size(); ++j) next = JoinPath(next, parts[j]);
        if (trailingSlash) next += "/";
        return Resolve(next, followFinal, depth + 1);
      }
      if (last) {
        out.parent = folders.back();
        out.name = part;
        out.node = child;
        names.push_back(part);
        out.path = JoinNames(names);
        if (trailingSlash && child && child->type != NodeType::kDirectory)
          out.error = FsError::kNotDirectory;
        return out;
      }
      if (!child) {
        out.error = FsError::kNotFound;
        return out;
      }
      if (child->type != NodeType::kDirectory) {
        out.error = FsError::kNotDirectory;
        return out;
      }
      folders.push_back(child);
      names.push_back(part);
    }
    // The path ends at a folder already walked into ("/", "/a/.", "/a/b/..").
    out.node = folders.back();
    out.parent = folders.size() > 1 ? folders[folders.size() - 2] : nullptr;
    out.name = names.empty() ? "" : names.back();
    out.path = JoinNames(names);
    return out;
  }

  // Adds a new entry where path leads; false when it exists or cannot be placed.
  bool AddEntry(const std::string& path, std::shared_ptr<Node> node) {
    if (!PathFits(path)) return false;
    Lookup at = Resolve(path, false);
    if (at.error != FsError::kOk || at.node || !at.parent) return false;
    at.parent->children[at.name] = std::move(node);
    return true;
  }
};

namespace {

class MemFile : public File {
 public:
  MemFile(std::shared_ptr<MemEnv::State> state, std::shared_ptr<Node> node, Access access,
          Share lock)
      : state_(std::move(state)), node_(std::move(node)), access_(access), lock_(lock) {}
  ~MemFile() override { Close(); }

  bool Read(void* buf, size_t n, size_t* got) override {
    std::lock_guard<std::mutex> guard(state_->mutex);
    *got = 0;
    if (!open_ || access_ == Access::kWrite) return false;
    const std::string& data = node_->data;
    if (position_ < data.size()) {
      *got = static_cast<size_t>(std::min<uint64_t>(n, data.size() - position_));
      std::memcpy(buf, data.data() + position_, *got);
      position_ += *got;
    }
    return true;
  }

  bool Write(const void* buf, size_t n, size_t* written) override {
    std::lock_guard<std::mutex> guard(state_->mutex);
    *written = 0;
    if (!open_ || access_ == Access::kRead) return false;
    if (n == 0) return true;
    if (position_ > kMaxFileSize || n > kMaxFileSize - position_) return false;
    std::string& data = node_->data;
    if (position_ + n > data.size()) data.resize(static_cast<size_t>(position_ + n));
    std::memcpy(data.data() + position_, buf, n);
    position_ += n;
    *written = n;
    return true;
  }

  bool Seek(uint64_t offset) override {
    std::lock_guard<std::mutex> guard(state_->mutex);
    if (!open_) return false;
    position_ = offset;
    return true;
  }

  bool Size(uint64_t* size) override {
    std::lock_guard<std::mutex> guard(state_->mutex);
    if (!open_) return false;
    *size = node_->data.size();
    return true;
  }

  bool Sync() override {
    std::lock_guard<std::mutex> guard(state_->mutex);
    return open_;
  }

  bool Close() override {
    std::lock_guard<std::mutex> guard(state_->mutex);
    if (!open_) return true;
    open_ = false;
    if (lock_ == Share::kExclusive) node_->exclusiveLock = false;
    if (lock_ == Share::kShareRead) --node_->sharedLocks;
    --state_->openFiles;
    return true;
  }

 private:
  std::shared_ptr<MemEnv::State> state_;
  std::shared_ptr<Node> node_;  // kept alive when the entry is deleted meanwhile
  Access access_;
  Share lock_;
  uint64_t position_ = 0;
  bool open_ = true;
};

// The lock an open with that sharing takes; false when another holder refuses it.
bool TakeLock(Node& node, Share share) {
  switch (share) {
    case Share::kExclusive:
      if (node.exclusiveLock || node.sharedLocks > 0) return false;
      node.exclusiveLock = true;
      return true;
    case Share::kShareRead:
      if (node.exclusiveLock) return false;
      ++node.sharedLocks;
      return true;
    case Share::kShareAll: return true;
  }
  return false;
}

bool Reads(Access access) { return access != Access::kWrite; }
bool Writes(Access access) { return access != Access::kRead; }

// True when target lies strictly inside folder (both canonical).
bool IsBelow(const std::string& target, const std::string& folder) {
  if (folder == "/") return target != "/";
  return target.size() > folder.size() && target.compare(0, folder.size(), folder) == 0 &&
         target[folder.size()] == '/';
}

}  // namespace

MemEnv::MemEnv() : state_(std::make_shared<State>()) {}

MemEnv::~MemEnv() = default;

bool MemEnv::MakeSymlink(const std::string& path, const std::string& target) {
  if (target.empty()) return false;
  std::lock_guard<std::mutex> guard(state_->mutex);
  auto node = MakeNode(NodeType::kSymlink, 0777);
  node->target = target;
  return state_->AddEntry(path, std::move(node));
}

bool MemEnv::MakeSpecial(const std::string& path) {
  std::lock_guard<std::mutex> guard(state_->mutex);
  return state_->AddEntry(path, MakeNode(NodeType::kSpecial, 0644));
}

bool MemEnv::WriteFile(const std::string& path, const std::string& data, uint32_t mode) {
  if (!PathFits(path) || data.size() > kMaxFileSize) return false;
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup at = state_->Resolve(path, true);
  if (at.error != FsError::kOk || !at.parent) return false;
  if (!at.node) {
    at.node = MakeNode(NodeType::kFile, mode);
    at.parent->children[at.name] = at.node;
  }
  if (at.node->type != NodeType::kFile) return false;
  at.node->data = data;
  return true;
}

bool MemEnv::ReadFile(const std::string& path, std::string* data) {
  if (!PathFits(path)) return false;
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup at = state_->Resolve(path, true);
  if (at.error != FsError::kOk || !at.node || at.node->type != NodeType::kFile) return false;
  *data = at.node->data;
  return true;
}

bool MemEnv::MakeDirs(const std::string& path) {
  if (!PathFits(path) || path.empty() || path[0] != '/') return false;
  std::lock_guard<std::mutex> guard(state_->mutex);
  std::string prefix;
  for (const std::string& part : SplitPath(path)) {
    prefix += "/" + part;
    Lookup at = state_->Resolve(prefix, true);
    if (at.error != FsError::kOk) return false;
    if (!at.node) {
      if (!at.parent) return false;
      at.node = MakeNode(NodeType::kDirectory, 0755);
      at.parent->children[at.name] = at.node;
    }
    if (at.node->type != NodeType::kDirectory) return false;
  }
  return true;
}

size_t MemEnv::OpenFileCount() const {
  std::lock_guard<std::mutex> guard(state_->mutex);
  return state_->openFiles;
}

std::unique_ptr<File> MemEnv::Open(const std::string& path, const OpenOptions& options,
                                   FsError* error) {
  auto fail = [error](FsError value) -> std::unique_ptr<File> {
    SetError(error, value);
    return nullptr;
  };
  if (!PathFits(path)) return fail(FsError::kNameTooLong);
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup at = state_->Resolve(path, false);
  if (at.error != FsError::kOk) return fail(at.error);
  // Creating a new file never follows a final link: the link itself exists.
  if (options.disposition == Disposition::kCreateNew && at.node) return fail(FsError::kExists);
  if (at.node && at.node->type == NodeType::kSymlink) {
    if (!options.followLinks) return fail(FsError::kAccessDenied);
    at = state_->Resolve(path, true);
    if (at.error != FsError::kOk) return fail(at.error);
  }
  bool created = false;
  if (!at.node) {
    if (options.disposition == Disposition::kOpenExisting) return fail(FsError::kNotFound);
    at.node = MakeNode(NodeType::kFile, options.createMode);
    at.parent->children[at.name] = at.node;
    created = true;
  }
  Node& node = *at.node;
  if (node.type == NodeType::kDirectory) return fail(FsError::kIsDirectory);
  if (node.type != NodeType::kFile) return fail(FsError::kAccessDenied);
  // Permissions are checked on existing files only, as open(2) does.
  if (!created && ((Writes(options.access) && !(node.mode & S_IWUSR)) ||
                   (Reads(options.access) && !(node.mode & S_IRUSR))))
    return fail(FsError::kAccessDenied);
  if (!TakeLock(node, options.share)) return fail(FsError::kBusy);
  if (options.disposition == Disposition::kCreateAlways) node.data.clear();
  ++state_->openFiles;
  SetError(error, FsError::kOk);
  return std::make_unique<MemFile>(state_, at.node, options.access, options.share);
}

bool MemEnv::Stat(const std::string& path, EntryInfo* info) {
  if (!PathFits(path)) return false;
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup at = state_->Resolve(path, false);
  if (at.error != FsError::kOk || !at.node) return false;
  info->type = TypeOf(*at.node);
  info->size = at.node->type == NodeType::kFile ? at.node->data.size() : 0;
  return true;
}

bool MemEnv::GetAttributes(const std::string& path, uint32_t* attributes) {
  if (!PathFits(path)) return false;
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup at = state_->Resolve(path, false);
  if (at.error != FsError::kOk || !at.node) return false;
  uint32_t bits = 0;
  std::string name = BaseName(path);
  if (!name.empty() && name[0] == '.') bits |= kAttrHidden;
  if (at.node->type == NodeType::kDirectory) {
    bits |= kAttrDirectory;
  } else if (at.node->type == NodeType::kSymlink) {
    bits |= kAttrReparsePoint;
  } else {
    if (!(at.node->mode & S_IWUSR)) bits |= kAttrReadOnly;
    if (bits == 0) bits = kAttrArchive;
  }
  *attributes = bits;
  return true;
}

bool MemEnv::SetAttributes(const std::string& path, uint32_t attributes) {
  if (!PathFits(path)) return false;
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup at = state_->Resolve(path, false);
  if (at.error != FsError::kOk || !at.node) return false;
  if (at.node->type == NodeType::kSymlink) return true;  // a link has no permissions of its own
  uint32_t& mode = at.node->mode;
  mode = (attributes & kAttrReadOnly) ? mode & ~uint32_t{S_IWUSR | S_IWGRP | S_IWOTH}
                                      : mode | S_IWUSR;
  return true;
}

bool MemEnv::ListDir(const std::string& path, std::vector<DirEntry>* entries) {
  entries->clear();
  if (!PathFits(path)) return false;
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup at = state_->Resolve(path, false);
  if (at.error != FsError::kOk || !at.node || at.node->type != NodeType::kDirectory) return false;
  for (const auto& [name, child] : at.node->children) {
    DirEntry entry;
    entry.name = name;
    entry.type = TypeOf(*child);
    entry.size = child->type == NodeType::kFile ? child->data.size() : 0;
    entries->push_back(std::move(entry));
  }
  return true;
}

bool MemEnv::Rename(const std::string& from, const std::string& to, FsError* error) {
  if (!PathFits(from) || !PathFits(to)) return Fail(error, FsError::kNameTooLong);
  {
    std::lock_guard<std::mutex> guard(state_->mutex);
    Lookup target = state_->Resolve(to, false);
    if (target.error == FsError::kOk && target.node) {
      Lookup source = state_->Resolve(from, false);
      return Fail(error, source.error != FsError::kOk ? source.error
                         : source.node                ? FsError::kExists
                                                      : FsError::kNotFound);
    }
  }
  return Replace(from, to, error);
}

bool MemEnv::Replace(const std::string& from, const std::string& to, FsError* error) {
  if (!PathFits(from) || !PathFits(to)) return Fail(error, FsError::kNameTooLong);
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup source = state_->Resolve(from, false);
  if (source.error != FsError::kOk) return Fail(error, source.error);
  if (!source.node) return Fail(error, FsError::kNotFound);
  Lookup target = state_->Resolve(to, false);
  if (target.error != FsError::kOk) return Fail(error, target.error);
  if (!source.parent || !target.parent) return Fail(error, FsError::kIo);  // "/" cannot move
  if (target.node == source.node) {  // both name the same entry: nothing to do
    SetError(error, FsError::kOk);
    return true;
  }
  bool sourceIsFolder = source.node->type == NodeType::kDirectory;
  if (sourceIsFolder && IsBelow(target.path, source.path)) return Fail(error, FsError::kIo);
  if (target.node) {
    bool targetIsFolder = target.node->type == NodeType::kDirectory;
    if (sourceIsFolder && !targetIsFolder) return Fail(error, FsError::kNotDirectory);
    if (!sourceIsFolder && targetIsFolder) return Fail(error, FsError::kIsDirectory);
    if (targetIsFolder && !target.node->children.empty()) return Fail(error, FsError::kNotEmpty);
  }
  std::shared_ptr<Node> moving = source.node;
  source.parent->children.erase(source.name);
  target.parent->children[target.name] = std::move(moving);
  SetError(error, FsError::kOk);
  return true;
}

bool MemEnv::DeleteFile(const std::string& path, FsError* error) {
  if (!PathFits(path)) return Fail(error, FsError::kNameTooLong);
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup at = state_->Resolve(path, false);
  if (at.error != FsError::kOk) return Fail(error, at.error);
  if (!at.node) return Fail(error, FsError::kNotFound);
  if (at.node->type == NodeType::kDirectory) return Fail(error, FsError::kIsDirectory);
  at.parent->children.erase(at.name);
  SetError(error, FsError::kOk);
  return true;
}

bool MemEnv::CreateDir(const std::string& path, uint32_t mode, FsError* error) {
  if (!PathFits(path)) return Fail(error, FsError::kNameTooLong);
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup at = state_->Resolve(path, false);
  if (at.node) return Fail(error, FsError::kExists);
  if (at.error != FsError::kOk) return Fail(error, at.error);
  at.parent->children[at.name] = MakeNode(NodeType::kDirectory, mode);
  SetError(error, FsError::kOk);
  return true;
}

bool MemEnv::RemoveDir(const std::string& path, FsError* error) {
  if (!PathFits(path)) return Fail(error, FsError::kNameTooLong);
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup at = state_->Resolve(path, false);
  if (at.error != FsError::kOk) return Fail(error, at.error);
  if (!at.node) return Fail(error, FsError::kNotFound);
  if (at.node->type != NodeType::kDirectory) return Fail(error, FsError::kNotDirectory);
  if (!at.parent) return Fail(error, FsError::kIo);  // "/" is busy
  if (!at.node->children.empty()) return Fail(error, FsError::kNotEmpty);
  at.parent->children.erase(at.name);
  SetError(error, FsError::kOk);
  return true;
}

bool MemEnv::SyncDir(const std::string& path) {
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup at = state_->Resolve(path, true);
  return at.error == FsError::kOk && at.node && at.node->type == NodeType::kDirectory;
}

std::string MemEnv::LongForm(const std::string& path) {
  if (path.empty() || !PathFits(path)) return "";
  std::lock_guard<std::mutex> guard(state_->mutex);
  Lookup at = state_->Resolve(path, true);
  if (at.error != FsError::kOk || !at.node) return "";
  return at.path;
}

}  // namespace nv
