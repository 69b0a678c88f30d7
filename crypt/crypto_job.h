// The encrypt and decrypt job: one monitored item, its files transformed one
// after another on the manager's cryptoJob worker, ending as a unit.
//
// When every file has been processed, the outputs are made durable and the
// sources of the successful transforms are deleted. When the job is aborted
// (command set to JOB_STOPPED), the file in hand is finished, then every
// output the job wrote is deleted and all sources stay. The worker is joined
// by the next start and by the manager's destructor (core/job.h).
#pragma once

#include <cstdint>
#include <string>

#include "core/core_manager.h"

namespace nv {

// Starts the job for item id. To encrypt, the item's stored password keys the
// files and `password` is ignored; to decrypt, the typed `password` is used
// and a file item's path + ".dfc" is processed. False, with nothing started,
// when a job is running, no item has the id, the password's stored form
// exceeds 16 bytes, or there is no file to process.
bool StartCryptoJob(CCoreManager& manager, uint32_t id, bool encrypt, const std::string& password,
                    ErrorQueue* errors);

// The worker's body: transforms job.files, then completes or rolls back.
// StartCryptoJob runs it on the job's thread; tests may call it directly.
void RunCryptoJob(Env* env, CryptoJob& job);

}  // namespace nv
