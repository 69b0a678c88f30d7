#include "bench/common/codec_limit.h"

#include <algorithm>

#include "bench/common/bench_util.h"
#include "crypt/cipher.h"
#include "crypt/zlib_codec.h"

namespace nv::bench {
namespace {

constexpr int kLevel = 6;  // the level of the default compression setting

}  // namespace

bool MeasureCodecLimit(const std::vector<uint8_t>& sample, uint64_t total, const std::string& password,
                       CodecTimes* best) {
  if (sample.empty()) return false;
  const auto* key = reinterpret_cast<const uint8_t*>(password.data());
  const auto keyLength = static_cast<uint32_t>(password.size());
  const size_t sampleChunks = (sample.size() + kPlainChunkSize - 1) / kPlainChunkSize;
  const auto chunks = static_cast<size_t>((total + kPlainChunkSize - 1) / kPlainChunkSize);
  // The stored form of each sample chunk, kept for the way back.
  std::vector<std::vector<uint8_t>> stored(std::min(chunks, sampleChunks));
  std::vector<uint8_t> compressed(kStoredChunkCapacity), enciphered(kStoredChunkCapacity);

  Clock::time_point start = Clock::now();
  for (size_t i = 0; i < chunks; ++i) {
    size_t at = (i % sampleChunks) * kPlainChunkSize;
    size_t length = 0;
    if (!CompressChunk(sample.data() + at, std::min(kPlainChunkSize, sample.size() - at), kLevel,
                       compressed.data(), compressed.size(), &length))
      return false;
    uint8_t* out = enciphered.data();
    if (i < stored.size()) {
      stored[i].resize(length);
      out = stored[i].data();
    }
    EncryptBuffer(keyLength, key, compressed.data(), length, out);
  }
  double encode = SecondsSince(start);

  std::vector<uint8_t> deciphered(kStoredChunkCapacity), plain(kPlainChunkSize);
  start = Clock::now();
  for (size_t i = 0; i < chunks; ++i) {
    const std::vector<uint8_t>& chunk = stored[i % stored.size()];
    size_t length = 0;
    DecryptBuffer(keyLength, key, chunk.data(), chunk.size(), deciphered.data());
    if (!DecompressChunk(deciphered.data(), chunk.size(), plain.data(), plain.size(), &length)) return false;
  }
  double decode = SecondsSince(start);

  best->encode = std::min(best->encode, encode);
  best->decode = std::min(best->decode, decode);
  return true;
}

}  // namespace nv::bench
