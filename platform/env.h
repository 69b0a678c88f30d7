// The operating-system services the engine uses for files and folders.
//
// Everything above this layer reaches the file system only through an Env, so
// tests can hand in an in-memory fake (mem_env.h) or a wrapper that injects
// faults (fault_env.h), and a Windows build can supply its own implementation.
// Paths are native UTF-8 strings with '/' as separator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nv {

// Attribute bits in the classic attribute-word layout. On POSIX: a folder has
// kAttrDirectory; a file whose owner-write bit is clear has kAttrReadOnly; a
// name starting with '.' has kAttrHidden; any other regular file has kAttrArchive.
enum : uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
  kAttrReparsePoint = 0x400,  // a symbolic link
};

// System limits for names and paths; longer ones fail, they are never truncated.
constexpr size_t kMaxNameBytes = 255;
constexpr size_t kMaxPathBytes = 4095;

enum class FsError {
  kOk,
  kNotFound,
  kExists,
  kAccessDenied,
  kBusy,  // another holder's lock refuses the requested sharing
  kNoSpace,
  kNameTooLong,
  kNotEmpty,
  kIsDirectory,
  kNotDirectory,
  kIo,
};

// What a directory entry is, seen without following symbolic links.
enum class EntryType { kFile, kDirectory, kSymlink, kOther };

struct EntryInfo {
  EntryType type = EntryType::kOther;
  uint64_t size = 0;  // regular files only
};

struct DirEntry {
  std::string name;
  EntryType type = EntryType::kOther;
  uint64_t size = 0;
};

enum class Access { kRead, kWrite, kReadWrite };

enum class Disposition {
  kOpenExisting,  // fail when missing
  kCreateNew,     // fail when present
  kCreateAlways,  // create or truncate
  kOpenAlways,    // open or create, never truncate
};

// Sharing is advisory: kExclusive takes an exclusive lock without waiting and
// fails with kBusy when anyone else holds one; kShareRead takes a shared lock;
// kShareAll takes none. Programs that take no lock are not detected.
enum class Share { kExclusive, kShareRead, kShareAll };

struct OpenOptions {
  Access access = Access::kRead;
  Disposition disposition = Disposition::kOpenExisting;
  Share share = Share::kShareRead;
  uint32_t createMode = 0644;  // permission bits of a newly created file
  bool followLinks = true;     // false: a final symbolic link fails to open
};

// An open regular file with one current position. Not thread-safe. Open()
// refuses folders, FIFOs, sockets and devices, so a job never blocks on them.
class File {
 public:
  virtual ~File() = default;
  // Reads up to n bytes at the current position; *got is 0 at the end.
  virtual bool Read(void* buf, size_t n, size_t* got) = 0;
  // Writes n bytes at the current position; *written < n means a short write.
  virtual bool Write(const void* buf, size_t n, size_t* written) = 0;
  virtual bool Seek(uint64_t offset) = 0;
  virtual bool Size(uint64_t* size) = 0;
  // Forces written data to the medium.
  virtual bool Sync() = 0;
  // Releases the file; a later call does nothing. The destructor closes too.
  virtual bool Close() = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  // The real file system of this machine; never null, never deleted.
  static Env* Default();

  virtual std::unique_ptr<File> Open(const std::string& path, const OpenOptions& options,
                                     FsError* error) = 0;

  // Looks the entry itself up, without following a final symbolic link.
  virtual bool Stat(const std::string& path, EntryInfo* info) = 0;
  virtual bool GetAttributes(const std::string& path, uint32_t* attributes) = 0;
  // Only kAttrReadOnly is applied: clearing it restores the owner's write
  // permission, setting it removes every write permission.
  virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;

  // Entries other than "." and "..", in the order the system lists them.
  virtual bool ListDir(const std::string& path, std::vector<DirEntry>* entries) = 0;

  // Moves an entry; fails with kExists rather than replace an existing target.
  virtual bool Rename(const std::string& from, const std::string& to, FsError* error) = 0;
  // Moves an entry over an existing file (atomic replace).
  virtual bool Replace(const std::string& from, const std::string& to, FsError* error) = 0;
  // Removes a file, a symbolic link or a special entry (never a folder).
  virtual bool DeleteFile(const std::string& path, FsError* error) = 0;
  virtual bool CreateDir(const std::string& path, uint32_t mode, FsError* error) = 0;
  virtual bool RemoveDir(const std::string& path, FsError* error) = 0;
  // Forces a folder's entries (new names, renames) to the medium.
  virtual bool SyncDir(const std::string& path) = 0;

  // The canonical absolute path with links resolved, or "" when it does not exist.
  virtual std::string LongForm(const std::string& path) = 0;
};

// Text of an FsError, for messages.
const char* FsErrorText(FsError error);

// Folder part of a path ("/a/b" -> "/a", "/a" -> "/", "a" -> "").
std::string ParentPath(const std::string& path);
// Text after the last '/'.
std::string BaseName(const std::string& path);
// a + "/" + b, without doubling a trailing '/' of a.
std::string JoinPath(const std::string& a, const std::string& b);
// True when every component fits kMaxNameBytes and the whole fits kMaxPathBytes.
bool PathFits(const std::string& path);

}  // namespace nv
