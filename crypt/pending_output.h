// A new file that appears under its name only once it is complete.
//
// The data goes to a temporary file in the same folder; Commit flushes it to
// the medium and moves it to the final name without replacing anything, so a
// crash never leaves a truncated file under the final name and an existing
// file is never overwritten.
#pragma once

#include <memory>
#include <string>

#include "core/records.h"
#include "platform/env.h"

namespace nv {

class PendingOutput {
 public:
  PendingOutput(Env* env, std::string finalPath);
  // Deletes the temporary file unless it was committed.
  ~PendingOutput();
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;

  // Creates the temporary file (mode 0600). False when the final name is
  // taken or too long, or no temporary file can be created.
  bool Create();
  File* file() const { return file_.get(); }

  // Flushes and closes the file, gives it the attributes and moves it to the
  // final name. FOE_WRITE_FAILED when the data cannot be flushed,
  // FOE_CREATE_FAILED when the move fails (the final name has been taken
  // meanwhile); the temporary file is then deleted.
  FILE_OPERATION_ERROR Commit(uint32_t attributes);

  // Closes and deletes the temporary file.
  void Discard();

 private:
  Env* env_;
  std::string finalPath_;
  std::string tempPath_;
  std::unique_ptr<File> file_;
};

}  // namespace nv
