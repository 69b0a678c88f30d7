// The pass buffers of the erase methods: one 64 KiB buffer per pass, filled
// once when a job starts and written as they are for every file of the job.
#pragma once

#include "core/jobs.h"

namespace nv {

// Frees any earlier pass set and builds the one of job.method, then multiplies
// job.totalBytes by the pass count. Fixed patterns are a repeated byte or a
// three-byte pattern that restarts at every 512-byte boundary; every random
// pass gets its own buffer of pseudo-random bytes from a freshly seeded
// generator. False, with no passes and totalBytes unchanged, for a code above 7
// or when the buffers cannot be allocated.
bool PreparePasses(ShredJob& job);

// Releases every pass buffer.
void FreePasses(ShredJob& job);

}  // namespace nv
