// Destroys one regular file: overwrites it in place with every pass of the
// job, flushing each pass to the medium, then moves it to a working name,
// deletes it and churns the folder's name slots.
#pragma once

#include <string>

#include "core/jobs.h"
#include "platform/env.h"

namespace nv {

// Runs on the job's worker with the job's passes prepared. The outcome shows
// as the file's disappearance, the progress fields (doneBytes, filePercent,
// totalPercent, currentFile) and at most one queued error:
// - the file cannot be opened exclusively (locked, missing permission, not a
//   regular file, path too long): FOE_READ_FAILED, the file is untouched;
// - a write or flush fails: FOE_READ_FAILED, the file stays where it is;
// - the job is aborted at the check point before a pass: the file stays,
//   overwritten as far as the passes went, and nothing is queued;
// - the overwritten file cannot be deleted: FOE_READ_FAILED with the path it
//   is left under.
// A read-only attribute is cleared first and put back when the file stays.
// Entries that the shredder did not create or rename are never deleted.
void ShredOneFile(ShredJob& job, Env* env, const std::string& path);

}  // namespace nv
