#include "crypt/zlib_codec.h"

#include <zlib.h>

namespace nv {

int CompressionLevel(uint32_t compressionSetting) {
  if (compressionSetting == 1) return 4;
  if (compressionSetting == 2) return 8;
  return 6;
}

bool CompressChunk(const uint8_t* input, size_t length, int level, uint8_t* output, size_t capacity,
                   size_t* outLength) {
  uLongf destLength = static_cast<uLongf>(capacity);
  int rc = compress2(output, &destLength, input, static_cast<uLong>(length), level);
  *outLength = destLength;
  return rc == Z_OK;
}

bool DecompressChunk(const uint8_t* input, size_t length, uint8_t* output, size_t capacity,
                     size_t* outLength) {
  uLongf destLength = static_cast<uLongf>(capacity);
  int rc = uncompress(output, &destLength, input, static_cast<uLong>(length));
  *outLength = destLength;
  return rc == Z_OK;
}

}  // namespace nv
