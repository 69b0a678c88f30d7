// The single-core limit of the chunked stored formats: compressing and
// enciphering plain data, and the reverse, with no I/O at all. A job that
// reads, transforms and writes files can come close to it but not beat it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nv::bench {

struct CodecTimes {
  double encode = 1e30;  // seconds to compress (zlib level 6) and encipher
  double decode = 1e30;  // seconds to decipher and decompress
};

// Runs `total` plain bytes through the codec on this thread, in 64 KiB chunks
// taken from sample in turn (starting over at its end), with AES-128-CFB under
// password; then the stored chunks back. Keeps the shorter of each time in
// *best, so rounds can share one CodecTimes. False when a chunk does not
// compress or decompress.
bool MeasureCodecLimit(const std::vector<uint8_t>& sample, uint64_t total, const std::string& password,
                       CodecTimes* best);

}  // namespace nv::bench
