// An Env that passes every call to another Env and records what the shredder
// did: opens, positions, the bytes written, flushes and the changes of names.
// A test may hook in before any recorded call, for example to pause the job
// in the middle of a pass. Thread-safe: the job's worker records while the
// test thread waits.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/env.h"

namespace nv::testing {

struct FsEvent {
  enum Kind { kOpen, kSeek, kWrite, kSync, kRename, kDelete, kCreateDir, kRemoveDir };
  Kind kind = kOpen;
  std::string path;  // for kRename the source; the target is in `to`
  std::string to;
  uint64_t offset = 0;  // kSeek
  std::string data;     // kWrite: the bytes handed over
  bool ok = false;      // what the wrapped Env answered
};

inline FsEvent MakeEvent(FsEvent::Kind kind, const std::string& path, const std::string& to = "") {
  FsEvent event;
  event.kind = kind;
  event.path = path;
  event.to = to;
  return event;
}

class RecordingEnv : public Env {
 public:
  explicit RecordingEnv(Env* base) : base_(base) {}

  // Called before each recorded call is passed on, on the calling thread.
  std::function<void(const FsEvent&)> before;

  std::vector<FsEvent> Events() {
    std::lock_guard<std::mutex> guard(mutex_);
    return events_;
  }
  std::vector<FsEvent> EventsOf(FsEvent::Kind kind) {
    std::vector<FsEvent> out;
    for (const FsEvent& event : Events())
      if (event.kind == kind) out.push_back(event);
    return out;
  }

  std::unique_ptr<File> Open(const std::string& path, const OpenOptions& options, FsError* error) override {
    FsEvent event = MakeEvent(FsEvent::kOpen, path);
    Hook(event);
    std::unique_ptr<File> file = base_->Open(path, options, error);
    event.ok = file != nullptr;
    Record(event);
    if (!file) return nullptr;
    return std::make_unique<RecordingFile>(this, path, std::move(file));
  }
  bool Stat(const std::string& path, EntryInfo* info) override { return base_->Stat(path, info); }
  bool GetAttributes(const std::string& path, uint32_t* attributes) override {
    return base_->GetAttributes(path, attributes);
  }
  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    return base_->SetAttributes(path, attributes);
  }
  bool ListDir(const std::string& path, std::vector<DirEntry>* entries) override {
    return base_->ListDir(path, entries);
  }
  bool Rename(const std::string& from, const std::string& to, FsError* error) override {
    FsEvent event = MakeEvent(FsEvent::kRename, from, to);
    Hook(event);
    event.ok = base_->Rename(from, to, error);
    Record(event);
    return event.ok;
  }
  bool Replace(const std::string& from, const std::string& to, FsError* error) override {
    return base_->Replace(from, to, error);
  }
  bool DeleteFile(const std::string& path, FsError* error) override {
    return Call(MakeEvent(FsEvent::kDelete, path), [&] { return base_->DeleteFile(path, error); });
  }
  bool CreateDir(const std::string& path, uint32_t mode, FsError* error) override {
    return Call(MakeEvent(FsEvent::kCreateDir, path), [&] { return base_->CreateDir(path, mode, error); });
  }
  bool RemoveDir(const std::string& path, FsError* error) override {
    return Call(MakeEvent(FsEvent::kRemoveDir, path), [&] { return base_->RemoveDir(path, error); });
  }
  bool SyncDir(const std::string& path) override { return base_->SyncDir(path); }
  std::string LongForm(const std::string& path) override { return base_->LongForm(path); }

 private:
  class RecordingFile : public File {
   public:
    RecordingFile(RecordingEnv* env, std::string path, std::unique_ptr<File> file)
        : env_(env), path_(std::move(path)), file_(std::move(file)) {}
    bool Read(void* buf, size_t n, size_t* got) override { return file_->Read(buf, n, got); }
    bool Write(const void* buf, size_t n, size_t* written) override {
      FsEvent event = MakeEvent(FsEvent::kWrite, path_);
      event.data.assign(static_cast<const char*>(buf), n);
      return env_->Call(event, [&] { return file_->Write(buf, n, written); });
    }
    bool Seek(uint64_t offset) override {
      FsEvent event = MakeEvent(FsEvent::kSeek, path_);
      event.offset = offset;
      return env_->Call(event, [&] { return file_->Seek(offset); });
    }
    bool Size(uint64_t* size) override { return file_->Size(size); }
    bool Sync() override {
      return env_->Call(MakeEvent(FsEvent::kSync, path_), [&] { return file_->Sync(); });
    }
    bool Close() override { return file_->Close(); }

   private:
    RecordingEnv* env_;
    std::string path_;
    std::unique_ptr<File> file_;
  };

  void Hook(const FsEvent& event) {
    if (before) before(event);
  }
  void Record(const FsEvent& event) {
    std::lock_guard<std::mutex> guard(mutex_);
    events_.push_back(event);
  }
  template <typename Fn>
  bool Call(FsEvent event, Fn fn) {
    Hook(event);
    event.ok = fn();
    Record(event);
    return event.ok;
  }

  Env* base_;
  std::mutex mutex_;
  std::vector<FsEvent> events_;
};

}  // namespace nv::testing
