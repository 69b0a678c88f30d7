// Writing a backup image: the backup branch of the worker.
#pragma once

#include "core/jobs.h"
#include "platform/env.h"

namespace nv {

// Stores job.items into a new image at job.imagePath. The image is written
// under a temporary name beside it and moved over imagePath only when the
// run ends without an abort, so an earlier image of that name survives until
// the new one is complete and no truncated image ever carries the name.
//
// Per-item failures are queued for the item and the run goes on:
// FOE_NOT_FOUND (missing), FOE_READ_FAILED (cannot be opened or read, or a
// folder cannot be listed), FOE_COMPRESS_FAILED, FOE_BAD_FORMAT (a name that
// cannot be stored faithfully: holding a backslash, not UTF-8, or a relative
// path over 259 UTF-16 units). A file is stored only once it is open, and one
// that fails part way still ends with a final block, so the image stays
// readable. Symbolic links and special entries inside folders are skipped.
//
// Failures of the image itself end the run without an image: it cannot be
// created or its header written (FOE_CREATE_FAILED), a write fails part way
// (FOE_WRITE_FAILED for the item and for the image: a short write leaves the
// stream unreadable past that point), or it cannot be flushed or moved into
// place (FOE_WRITE_FAILED / FOE_CREATE_FAILED for the image).
//
// An abort takes effect after the current top-level item; the temporary
// image is then left in createdFiles for the worker to delete.
void WriteImage(BackupJob& job, Env* env);

}  // namespace nv
