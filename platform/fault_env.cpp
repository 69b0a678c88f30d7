#include "platform/fault_env.h"

#include <algorithm>
#include <mutex>
#include <optional>

namespace nv {

enum class FaultKind {
  kOpen,
  kWrites,
  kReads,
  kSync,
  kRename,
  kDelete,
  kCreateDir,
  kRemoveDir,
  kSetAttributes,
};

struct FaultRule {
  FaultKind kind;
  std::string match;
  FsError error = FsError::kIo;
  uint64_t bytes = 0;
};

struct FaultEnv::Rules {
  mutable std::mutex mutex;
  std::vector<FaultRule> list;
  FsError lastWriteError = FsError::kOk;

  void Add(FaultRule rule) {
    std::lock_guard<std::mutex> guard(mutex);
    list.push_back(std::move(rule));
  }

  // The first rule of that kind whose match the path contains.
  std::optional<FaultRule> Find(FaultKind kind, const std::string& path) const {
    std::lock_guard<std::mutex> guard(mutex);
    for (const FaultRule& rule : list)
      if (rule.kind == kind && path.find(rule.match) != std::string::npos) return rule;
    return std::nullopt;
  }

  void NoteWriteError(FsError error) {
    std::lock_guard<std::mutex> guard(mutex);
    lastWriteError = error;
  }
};

namespace {

void SetError(FsError* out, FsError value) {
  if (out) *out = value;
}

// Bytes a file may still move before its budget runs out; unlimited without one.
struct Budget {
  bool limited = false;
  uint64_t left = 0;

  // How much of a request of n bytes may go through.
  size_t Allow(size_t n) const {
    return limited ? static_cast<size_t>(std::min<uint64_t>(n, left)) : n;
  }
  void Spend(size_t n) {
    if (limited) left -= std::min<uint64_t>(n, left);
  }
};

class FaultFile : public File {
 public:
  FaultFile(std::unique_ptr<File> base, std::shared_ptr<FaultEnv::Rules> rules, std::string path,
            Budget writes, FsError writeError, Budget reads)
      : base_(std::move(base)),
        rules_(std::move(rules)),
        path_(std::move(path)),
        writes_(writes),
        writeError_(writeError),
        reads_(reads) {}

  bool Read(void* buf, size_t n, size_t* got) override {
    *got = 0;
    size_t allowed = reads_.Allow(n);
    if (allowed > 0 && !base_->Read(buf, allowed, got)) return false;
    reads_.Spend(*got);
    // A read that ends early at the end of the file is not the budget's doing.
    return allowed == n || *got < allowed;
  }

  bool Write(const void* buf, size_t n, size_t* written) override {
    *written = 0;
    size_t allowed = writes_.Allow(n);
    if (allowed > 0 && !base_->Write(buf, allowed, written)) return false;
    writes_.Spend(*written);
    if (allowed == n) return true;
    rules_->NoteWriteError(writeError_);
    return false;
  }

  bool Seek(uint64_t offset) override { return base_->Seek(offset); }
  bool Size(uint64_t* size) override { return base_->Size(size); }

  bool Sync() override {
    if (rules_->Find(FaultKind::kSync, path_)) return false;
    return base_->Sync();
  }

  bool Close() override { return base_->Close(); }

 private:
  std::unique_ptr<File> base_;
  std::shared_ptr<FaultEnv::Rules> rules_;
  std::string path_;
  Budget writes_;
  FsError writeError_;
  Budget reads_;
};

}  // namespace

FaultEnv::FaultEnv(Env* base) : base_(base), rules_(std::make_shared<Rules>()) {}

FaultEnv::~FaultEnv() = default;

void FaultEnv::FailOpen(const std::string& match, FsError error) {
  rules_->Add({FaultKind::kOpen, match, error, 0});
}

void FaultEnv::FailWritesAfter(const std::string& match, uint64_t bytes, FsError error) {
  rules_->Add({FaultKind::kWrites, match, error, bytes});
}

void FaultEnv::FailReadsAfter(const std::string& match, uint64_t bytes) {
  rules_->Add({FaultKind::kReads, match, FsError::kIo, bytes});
}

void FaultEnv::FailSync(const std::string& match) { rules_->Add({FaultKind::kSync, match}); }

void FaultEnv::FailRename(const std::string& match) { rules_->Add({FaultKind::kRename, match}); }

void FaultEnv::FailDelete(const std::string& match) { rules_->Add({FaultKind::kDelete, match}); }

void FaultEnv::FailCreateDir(const std::string& match) {
  rules_->Add({FaultKind::kCreateDir, match});
}

void FaultEnv::FailRemoveDir(const std::string& match) {
  rules_->Add({FaultKind::kRemoveDir, match});
}

void FaultEnv::FailSetAttributes(const std::string& match) {
  rules_->Add({FaultKind::kSetAttributes, match});
}

void FaultEnv::Reset() {
  std::lock_guard<std::mutex> guard(rules_->mutex);
  rules_->list.clear();
  rules_->lastWriteError = FsError::kOk;
}

FsError FaultEnv::LastWriteError() const {
  std::lock_guard<std::mutex> guard(rules_->mutex);
  return rules_->lastWriteError;
}

std::unique_ptr<File> FaultEnv::Open(const std::string& path, const OpenOptions& options,
                                     FsError* error) {
  if (auto rule = rules_->Find(FaultKind::kOpen, path)) {
    SetError(error, rule->error);
    return nullptr;
  }
  std::unique_ptr<File> file = base_->Open(path, options, error);
  if (!file) return nullptr;
  Budget writes, reads;
  FsError writeError = FsError::kNoSpace;
  if (auto rule = rules_->Find(FaultKind::kWrites, path)) {
    writes = {true, rule->bytes};
    writeError = rule->error;
  }
  if (auto rule = rules_->Find(FaultKind::kReads, path)) reads = {true, rule->bytes};
  return std::make_unique<FaultFile>(std::move(file), rules_, path, writes, writeError, reads);
}

bool FaultEnv::Stat(const std::string& path, EntryInfo* info) { return base_->Stat(path, info); }

bool FaultEnv::GetAttributes(const std::string& path, uint32_t* attributes) {
  return base_->GetAttributes(path, attributes);
}

bool FaultEnv::SetAttributes(const std::string& path, uint32_t attributes) {
  if (rules_->Find(FaultKind::kSetAttributes, path)) return false;
  return base_->SetAttributes(path, attributes);
}

bool FaultEnv::ListDir(const std::string& path, std::vector<DirEntry>* entries) {
  return base_->ListDir(path, entries);
}

bool FaultEnv::Rename(const std::string& from, const std::string& to, FsError* error) {
  if (rules_->Find(FaultKind::kRename, from) || rules_->Find(FaultKind::kRename, to)) {
    SetError(error, FsError::kIo);
    return false;
  }
  return base_->Rename(from, to, error);
}

bool FaultEnv::Replace(const std::string& from, const std::string& to, FsError* error) {
  if (rules_->Find(FaultKind::kRename, from) || rules_->Find(FaultKind::kRename, to)) {
    SetError(error, FsError::kIo);
    return false;
  }
  return base_->Replace(from, to, error);
}

bool FaultEnv::DeleteFile(const std::string& path, FsError* error) {
  if (rules_->Find(FaultKind::kDelete, path)) {
    SetError(error, FsError::kIo);
    return false;
  }
  return base_->DeleteFile(path, error);
}

bool FaultEnv::CreateDir(const std::string& path, uint32_t mode, FsError* error) {
  if (rules_->Find(FaultKind::kCreateDir, path)) {
    SetError(error, FsError::kIo);
    return false;
  }
  return base_->CreateDir(path, mode, error);
}

bool FaultEnv::RemoveDir(const std::string& path, FsError* error) {
  if (rules_->Find(FaultKind::kRemoveDir, path)) {
    SetError(error, FsError::kIo);
    return false;
  }
  return base_->RemoveDir(path, error);
}

bool FaultEnv::SyncDir(const std::string& path) {
  if (rules_->Find(FaultKind::kSync, path)) return false;
  return base_->SyncDir(path);
}

std::string FaultEnv::LongForm(const std::string& path) { return base_->LongForm(path); }

}  // namespace nv
