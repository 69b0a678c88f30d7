// Env on the POSIX system calls of Linux.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/env.h"

namespace nv {
namespace {

FsError FromErrno(int err) {
  switch (err) {
    case ENOENT: return FsError::kNotFound;
    case EEXIST: return FsError::kExists;
    case EACCES:
    case EPERM:
    case EROFS: return FsError::kAccessDenied;
    case EWOULDBLOCK: return FsError::kBusy;
    case ENOSPC:
    case EDQUOT: return FsError::kNoSpace;
    case ENAMETOOLONG: return FsError::kNameTooLong;
    case ENOTEMPTY: return FsError::kNotEmpty;
    case EISDIR: return FsError::kIsDirectory;
    case ENOTDIR: return FsError::kNotDirectory;
    default: return FsError::kIo;
  }
}

void SetError(FsError* out, FsError value) {
  if (out) *out = value;
}

bool Fail(FsError* out) {
  SetError(out, FromErrno(errno));
  return false;
}

EntryType TypeOf(mode_t mode) {
  if (S_ISREG(mode)) return EntryType::kFile;
  if (S_ISDIR(mode)) return EntryType::kDirectory;
  if (S_ISLNK(mode)) return EntryType::kSymlink;
  return EntryType::kOther;
}

class PosixFile : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { Close(); }

  bool Read(void* buf, size_t n, size_t* got) override {
    *got = 0;
    auto* out = static_cast<char*>(buf);
    while (*got < n) {
      ssize_t r = ::read(fd_, out + *got, n - *got);
      if (r < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (r == 0) break;
      *got += static_cast<size_t>(r);
    }
    return true;
  }

  bool Write(const void* buf, size_t n, size_t* written) override {
    *written = 0;
    const auto* in = static_cast<const char*>(buf);
    while (*written < n) {
      ssize_t w = ::write(fd_, in + *written, n - *written);
      if (w < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (w == 0) return false;
      *written += static_cast<size_t>(w);
    }
    return true;
  }

  bool Seek(uint64_t offset) override {
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
  }

  bool Size(uint64_t* size) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
  }

  bool Sync() override { return ::fsync(fd_) == 0; }

  bool Close() override {
    if (fd_ < 0) return true;
    int rc = ::close(fd_);  // also drops the advisory lock
    fd_ = -1;
    return rc == 0;
  }

 private:
  int fd_;
};

class PosixEnv : public Env {
 public:
  std::unique_ptr<File> Open(const std::string& path, const OpenOptions& options,
                             FsError* error) override {
    if (!PathFits(path)) {
      SetError(error, FsError::kNameTooLong);
      return nullptr;
    }
    int flags = O_CLOEXEC | O_NONBLOCK;
    switch (options.access) {
      case Access::kRead: flags |= O_RDONLY; break;
      case Access::kWrite: flags |= O_WRONLY; break;
      case Access::kReadWrite: flags |= O_RDWR; break;
    }
    switch (options.disposition) {
      case Disposition::kOpenExisting: break;
      case Disposition::kCreateNew: flags |= O_CREAT | O_EXCL; break;
      case Disposition::kCreateAlways: flags |= O_CREAT; break;
      case Disposition::kOpenAlways: flags |= O_CREAT; break;
    }
    if (!options.followLinks) flags |= O_NOFOLLOW;
    int fd = ::open(path.c_str(), flags, options.createMode);
    if (fd < 0) {
      SetError(error, errno == ELOOP ? FsError::kAccessDenied : FromErrno(errno));
      return nullptr;
    }
    auto file = std::make_unique<PosixFile>(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      Fail(error);
      return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
      SetError(error, S_ISDIR(st.st_mode) ? FsError::kIsDirectory : FsError::kAccessDenied);
      return nullptr;
    }
    // O_NONBLOCK only guarded the open against FIFOs; regular-file I/O ignores it.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (options.share != Share::kShareAll) {
      int op = (options.share == Share::kExclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
      if (::flock(fd, op) != 0) {
        Fail(error);
        return nullptr;
      }
    }
    // Truncate only once the lock is ours, so a refused open changes nothing.
    if (options.disposition == Disposition::kCreateAlways && st.st_size != 0 &&
        ::ftruncate(fd, 0) != 0) {
      Fail(error);
      return nullptr;
    }
    SetError(error, FsError::kOk);
    return file;
  }

  bool Stat(const std::string& path, EntryInfo* info) override {
    struct stat st;
    if (!PathFits(path) || ::lstat(path.c_str(), &st) != 0) return false;
    info->type = TypeOf(st.st_mode);
    info->size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
    return true;
  }

  bool GetAttributes(const std::string& path, uint32_t* attributes) override {
    struct stat st;
    if (!PathFits(path) || ::lstat(path.c_str(), &st) != 0) return false;
    uint32_t bits = 0;
    std::string name = BaseName(path);
    if (!name.empty() && name[0] == '.') bits |= kAttrHidden;
    if (S_ISDIR(st.st_mode)) {
      bits |= kAttrDirectory;
    } else if (S_ISLNK(st.st_mode)) {
      bits |= kAttrReparsePoint;
    } else {
      if (!(st.st_mode & S_IWUSR)) bits |= kAttrReadOnly;
      if (bits == 0) bits = kAttrArchive;
    }
    *attributes = bits;
    return true;
  }

  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    struct stat st;
    if (!PathFits(path) || ::lstat(path.c_str(), &st) != 0) return false;
    if (S_ISLNK(st.st_mode)) return true;  // a link has no permissions of its own
    mode_t mode = st.st_mode & 07777;
    mode = (attributes & kAttrReadOnly) ? mode & ~(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
    return mode == (st.st_mode & 07777) || ::chmod(path.c_str(), mode) == 0;
  }

  bool ListDir(const std::string& path, std::vector<DirEntry>* entries) override {
    entries->clear();
    if (!PathFits(path)) return false;
    int dfd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (dfd < 0) return false;
    DIR* dir = ::fdopendir(dfd);
    if (!dir) {
      ::close(dfd);
      return false;
    }
    while (struct dirent* d = ::readdir(dir)) {
      std::string name = d->d_name;
      if (name == "." || name == "..") continue;
      DirEntry entry;
      entry.name = name;
      struct stat st;
      if (::fstatat(dfd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        entry.type = TypeOf(st.st_mode);
        entry.size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
      }
      entries->push_back(std::move(entry));
    }
    ::closedir(dir);
    return true;
  }

  bool Rename(const std::string& from, const std::string& to, FsError* error) override {
    if (!PathFits(from) || !PathFits(to)) {
      SetError(error, FsError::kNameTooLong);
      return false;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
      SetError(error, FsError::kOk);
      return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return Fail(error);
    // File systems without no-replace renames: check, then rename.
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) {
      SetError(error, FsError::kExists);
      return false;
    }
    return Replace(from, to, error);
  }

  bool Replace(const std::string& from, const std::string& to, FsError* error) override {
    if (!PathFits(from) || !PathFits(to)) {
      SetError(error, FsError::kNameTooLong);
      return false;
    }
    if (::rename(from.c_str(), to.c_str()) != 0) return Fail(error);
    SetError(error, FsError::kOk);
    return true;
  }

  bool DeleteFile(const std::string& path, FsError* error) override {
    if (!PathFits(path)) {
      SetError(error, FsError::kNameTooLong);
      return false;
    }
    if (::unlink(path.c_str()) != 0) return Fail(error);
    SetError(error, FsError::kOk);
    return true;
  }

  bool CreateDir(const std::string& path, uint32_t mode, FsError* error) override {
    if (!PathFits(path)) {
      SetError(error, FsError::kNameTooLong);
      return false;
    }
    if (::mkdir(path.c_str(), mode) != 0) return Fail(error);
    SetError(error, FsError::kOk);
    return true;
  }

  bool RemoveDir(const std::string& path, FsError* error) override {
    if (!PathFits(path)) {
      SetError(error, FsError::kNameTooLong);
      return false;
    }
    if (::rmdir(path.c_str()) != 0) return Fail(error);
    SetError(error, FsError::kOk);
    return true;
  }

  bool SyncDir(const std::string& path) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
  }

  std::string LongForm(const std::string& path) override {
    if (path.empty() || !PathFits(path)) return "";
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return "";
    std::string result = resolved;
    std::free(resolved);
    return result;
  }
};

}  // namespace

Env* Env::Default() {
  static PosixEnv* env = new PosixEnv;  // never destroyed: workers may outlive statics
  return env;
}

}  // namespace nv
