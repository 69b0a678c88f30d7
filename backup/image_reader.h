// Reading a backup image back into a destination folder: the recovery branch
// of the worker.
#pragma once

#include <string>

#include "core/jobs.h"
#include "platform/env.h"

namespace nv {

// True when path ends in ".dfi" (exactly, case-sensitive) and names a file
// whose first 4 bytes are DFI_MAGIC.
bool IsBackupImage(Env* env, const std::string& path);

// Restores job.imagePath below job.destinationFolder and queues at most one
// error, the last one met, for the image path:
// - nothing restored: FOE_NOT_FOUND (image missing), FOE_BAD_FORMAT (not an
//   image, header damaged), FOE_READ_FAILED (cannot be opened or read),
//   FOE_BAD_PASSWORD;
// - the recovery stops, keeping what it restored: FOE_BAD_FORMAT for a short
//   or damaged entry, a relative path that could leave the destination, a
//   folder that cannot be created, or a block whose framing cannot be
//   trusted (short, wrong magic, storedSize over its limit);
//   FOE_READ_FAILED when the image cannot be read further (also between
//   entries, so a cut-off recovery is never taken for a complete one);
//   FOE_CREATE_FAILED when a file cannot be created, or when a file's target
//   or one of its folders is a symbolic link (never written through);
// - the file keeps what was written, its remaining blocks are skipped and the
//   recovery goes on: FOE_BAD_FORMAT (a block does not decompress),
//   FOE_WRITE_FAILED (writing the restored file fails).
// An existing real folder at a stored folder's target, the destination itself
// included, is used as it is; existing files are replaced. Every restored
// file is listed in createdFiles. An abort stops at the next entry.
void ReadImage(BackupJob& job, Env* env);

}  // namespace nv
