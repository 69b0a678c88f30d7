// The shred job: measures the items, prepares the passes and runs a worker
// that walks every item depth-first, shreds each file, removes each emptied
// folder and queues per-file failures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/core_manager.h"
#include "core/jobs.h"
#include "platform/env.h"

namespace nv {

// Starts a run over the given top-level items with the given method (0 to 7).
// Refuses (false, nothing changed) while a run is active, for no paths or for a
// method above 7; false too when the passes cannot be prepared or the worker
// cannot be created, leaving the job stopped. errors may be null.
//
// The worker, for each item in order:
// - a file is shredded (ShredOneFile);
// - a folder is walked depth-first and removed once empty, followed by a churn
//   of folder names that creates only names not yet taken and removes only
//   those it created;
// - a symbolic link or a special entry (FIFO, socket, device) is removed
//   itself: what a link points to is never opened, a special entry never
//   opened at all;
// - a missing item is skipped silently; a path over the system's limits, a
//   folder that cannot be listed or removed for another reason than holding
//   what is left, or an entry that cannot be removed, is queued as
//   FOE_READ_FAILED.
// An abort leaves the rest of the current item untouched and ends the run
// before the next item.
bool StartShredJob(ShredJob& job, Env* env, const std::vector<std::string>& paths, uint32_t method,
                   ErrorQueue* errors);

// The manager's operation: refuses while the shred job is not stopped,
// otherwise starts it on the paths of the given list ids.
bool StartShred(CCoreManager& manager, const std::vector<uint32_t>& ids, ErrorQueue* errors, uint32_t method);

}  // namespace nv
