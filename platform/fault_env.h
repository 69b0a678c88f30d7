// An Env that passes everything to another Env except the failures a test
// asks for, so that tests can reach error paths the real system will not
// produce on demand (a disk that fills half way through a file, a rename
// that fails, ...).
//
// A rule applies to every path that contains its `match` text ("" matches
// every path) and stays in force until Reset(). Injected failures that the
// interface reports with an FsError use kIo unless the rule names the error.
// Thread-safe: a job may use it from its worker thread while the test adds
// rules.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/env.h"

namespace nv {

class FaultEnv : public Env {
 public:
  // base is not owned and must outlive this object and every file it opened.
  explicit FaultEnv(Env* base);
  ~FaultEnv() override;

  // Open of a matching path fails with error; nothing is created or truncated.
  void FailOpen(const std::string& match, FsError error);
  // Each file opened on a matching path may write `bytes` in all: the write
  // that crosses the budget writes what fits (a short write) and fails, later
  // writes fail and write nothing. Sync of such a file still works. The rule
  // is taken when the file is opened; error is kept for callers that ask
  // why (LastWriteError).
  void FailWritesAfter(const std::string& match, uint64_t bytes, FsError error = FsError::kNoSpace);
  // The same for reads: the read that crosses the budget returns what fits and
  // fails, later reads fail and return nothing.
  void FailReadsAfter(const std::string& match, uint64_t bytes);
  // File::Sync of files opened on matching paths, and SyncDir of matching
  // folders, fail. Applies to files already open too.
  void FailSync(const std::string& match);
  // Rename and Replace fail when either path matches; nothing moves.
  void FailRename(const std::string& match);
  void FailDelete(const std::string& match);
  void FailCreateDir(const std::string& match);
  void FailRemoveDir(const std::string& match);
  void FailSetAttributes(const std::string& match);
  // Drops every rule. Budgets of files already open stay as they were.
  void Reset();

  // The error of the last write failure injected by a FailWritesAfter rule,
  // kOk when none has happened since construction or Reset().
  FsError LastWriteError() const;

  std::unique_ptr<File> Open(const std::string& path, const OpenOptions& options,
                             FsError* error) override;
  bool Stat(const std::string& path, EntryInfo* info) override;
  bool GetAttributes(const std::string& path, uint32_t* attributes) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  bool ListDir(const std::string& path, std::vector<DirEntry>* entries) override;
  bool Rename(const std::string& from, const std::string& to, FsError* error) override;
  bool Replace(const std::string& from, const std::string& to, FsError* error) override;
  bool DeleteFile(const std::string& path, FsError* error) override;
  bool CreateDir(const std::string& path, uint32_t mode, FsError* error) override;
  bool RemoveDir(const std::string& path, FsError* error) override;
  bool SyncDir(const std::string& path) override;
  std::string LongForm(const std::string& path) override;

  // Shared with the files this object opened, which may outlive a rule change.
  struct Rules;

 private:
  Env* base_;
  std::shared_ptr<Rules> rules_;
};

}  // namespace nv
