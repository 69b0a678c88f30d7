// The encrypted file ".dfc" and the two transforms that write and read it.
//
// Layout (little-endian): an 80-byte header, then chunks.
//   header: magic, version 1, reserved, compression setting (4 bytes each),
//           encryption time (OLE date, 8), password check (16: the zero-padded
//           password under EncryptFixedBlock), password length (4), 36 zeros.
//   chunk:  magic, plain size (1..65536), stored size n (<= 78655), then n
//           bytes: the zlib stream of the plain bytes under EncryptBuffer keyed
//           with the password, one cipher call per chunk.
//
// Both transforms run on the crypto job's worker: they keep the job's progress
// fields, run the pause check after every chunk (an abort never cuts a file
// short) and queue a failure as (path given, kind) in the job's error queue.
// Neither touches its source. The output is written under a temporary name in
// the same folder, flushed to the medium and moved to its own name only when
// complete; when a file already has that name the transform fails with
// FOE_CREATE_FAILED and changes nothing. A new output is readable by its owner
// only (mode 0600): it holds either the private plain data or its cipher text.
#pragma once

#include <cstdint>
#include <string>

#include "core/jobs.h"
#include "platform/env.h"

namespace nv {

constexpr uint32_t DFC_MAGIC = 0xD659495F;
constexpr uint32_t kDfcVersion = 1;
constexpr size_t kDfcHeaderSize = 80;
constexpr size_t kDfcChunkHeaderSize = 12;
constexpr const char* kDfcExtension = ".dfc";

// True when path ends in ".dfc" (exactly, case-sensitive) and the file starts
// with DFC_MAGIC.
bool IsEncryptedFile(Env* env, const std::string& path);

// Writes source + ".dfc" under the job's password. A file that is encrypted
// already is skipped without a report. On success the output takes the
// source's attributes and (source, output) are appended to the job's
// doneSources and doneOutputs.
void EncryptFile(Env* env, const std::string& source, CryptoJob& job);

// Writes path less its ".dfc" when the header's password matches the job's.
// A file whose name does not end in ".dfc" is skipped without a report.
void DecryptFile(Env* env, const std::string& path, CryptoJob& job);

}  // namespace nv
