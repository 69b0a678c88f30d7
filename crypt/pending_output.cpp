#include "crypt/pending_output.h"

#include <cstdio>
#include <random>

namespace nv {
namespace {

// Enough tries to get past leftovers of earlier runs; name clashes of random
// 64-bit names are otherwise unheard of.
constexpr int kNameTries = 8;

std::string RandomTempName() {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  char name[40];
  std::snprintf(name, sizeof name, "~norvane-%016llx.tmp",
                static_cast<unsigned long long>(generator()));
  return name;
}

}  // namespace

PendingOutput::PendingOutput(Env* env, std::string finalPath)
    : env_(env), finalPath_(std::move(finalPath)) {}

PendingOutput::~PendingOutput() { Discard(); }

bool PendingOutput::Create() {
  EntryInfo info;
  if (!PathFits(finalPath_) || env_->Stat(finalPath_, &info)) return false;
  OpenOptions options;
  options.access = Access::kReadWrite;
  options.disposition = Disposition::kCreateNew;
  options.share = Share::kShareRead;
  options.createMode = 0600;
  options.followLinks = false;
  for (int attempt = 0; attempt < kNameTries; ++attempt) {
    std::string candidate = JoinPath(ParentPath(finalPath_), RandomTempName());
    FsError error = FsError::kOk;
    file_ = env_->Open(candidate, options, &error);
    if (file_) {
      tempPath_ = candidate;
      return true;
    }
    if (error != FsError::kExists) return false;
  }
  return false;
}

FILE_OPERATION_ERROR PendingOutput::Commit(uint32_t attributes) {
  bool flushed = file_->Sync();
  flushed = file_->Close() && flushed;
  if (!flushed) {
    Discard();
    return FOE_WRITE_FAILED;
  }
  env_->SetAttributes(tempPath_, attributes);
  if (!env_->Rename(tempPath_, finalPath_, nullptr)) {
    Discard();
    return FOE_CREATE_FAILED;
  }
  file_.reset();
  tempPath_.clear();
  return FOE_NONE;
}

void PendingOutput::Discard() {
  if (tempPath_.empty()) return;
  if (file_) file_->Close();
  file_.reset();
  // A read-only temporary file can still be deleted: removal needs only the folder.
  env_->DeleteFile(tempPath_, nullptr);
  tempPath_.clear();
}

}  // namespace nv
