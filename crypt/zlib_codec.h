// One-shot zlib compression and decompression of one chunk or block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nv {

// Largest plain chunk and largest stored (compressed) chunk the formats allow.
constexpr size_t kPlainChunkSize = 65536;
constexpr size_t kStoredChunkCapacity = 78655;  // 1.2 x 65536 + 12, rounded down

// The zlib level a compression setting selects: 1 -> 4, 2 -> 8, else 6.
int CompressionLevel(uint32_t compressionSetting);

// Compresses input into output (capacity bytes) as a complete zlib stream.
// False when it does not fit or zlib fails; *outLength is the stream's length.
bool CompressChunk(const uint8_t* input, size_t length, int level, uint8_t* output, size_t capacity,
                   size_t* outLength);

// Decompresses a complete zlib stream into output (capacity bytes). False when
// the stream is damaged or its content exceeds capacity.
bool DecompressChunk(const uint8_t* input, size_t length, uint8_t* output, size_t capacity,
                     size_t* outLength);

}  // namespace nv
