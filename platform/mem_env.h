// An in-memory file system with the behaviour of the POSIX Env, for tests.
//
// Paths are absolute ('/'-separated); "/" exists from the start. It knows
// folders, regular files, symbolic links and special entries (standing for
// FIFOs, sockets and devices: they can be listed, stat'ed and deleted, never
// opened). Advisory locks follow the POSIX Env: each open file holds its own
// lock, kExclusive conflicts with any other holder, kShareRead with an
// exclusive one, and Close or destruction of the file releases it. Open files
// keep their contents when their entry is deleted or replaced.
//
// It behaves as an unprivileged user would see it: a file without the
// owner's write permission refuses opens for writing, one without the read
// permission refuses opens for reading. Folder permissions are kept but not
// enforced. Thread-safe (one internal mutex), so a job's worker thread and the
// test may use it at once; each File is, as always, used by one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/env.h"

namespace nv {

class MemEnv : public Env {
 public:
  MemEnv();
  ~MemEnv() override;
  MemEnv(const MemEnv&) = delete;
  MemEnv& operator=(const MemEnv&) = delete;

  // Test helpers. MakeSymlink and MakeSpecial fail (false) when the parent
  // folder is missing or the path exists already.
  bool MakeSymlink(const std::string& path, const std::string& target);
  bool MakeSpecial(const std::string& path);
  // Creates or overwrites a regular file (following links) with data.
  bool WriteFile(const std::string& path, const std::string& data, uint32_t mode = 0644);
  // The whole contents of a regular file (following links); false when it is none.
  bool ReadFile(const std::string& path, std::string* data);
  // Creates the folder and its missing ancestors (mode 0755); true when it exists.
  bool MakeDirs(const std::string& path);
  // Files opened through this Env and not yet closed.
  size_t OpenFileCount() const;

  std::unique_ptr<File> Open(const std::string& path, const OpenOptions& options,
                             FsError* error) override;
  bool Stat(const std::string& path, EntryInfo* info) override;
  bool GetAttributes(const std::string& path, uint32_t* attributes) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  // Entries in name order (byte-wise).
  bool ListDir(const std::string& path, std::vector<DirEntry>* entries) override;
  bool Rename(const std::string& from, const std::string& to, FsError* error) override;
  bool Replace(const std::string& from, const std::string& to, FsError* error) override;
  bool DeleteFile(const std::string& path, FsError* error) override;
  bool CreateDir(const std::string& path, uint32_t mode, FsError* error) override;
  bool RemoveDir(const std::string& path, FsError* error) override;
  bool SyncDir(const std::string& path) override;
  std::string LongForm(const std::string& path) override;

  // The tree and its mutex, shared with open files.
  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace nv
