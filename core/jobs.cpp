#include "core/jobs.h"

namespace nv {
namespace {

struct MethodRow {
  const char* text;
  uint32_t passes;
};

constexpr MethodRow kMethods[kShredMethodCount] = {
    {"Use Gutmann algorithm", 35},
    {"Erase and write all 0", 1},
    {"Erase and write all 1", 1},
    {"Erase and write random data", 1},
    {"Use National Safety Association Standard", 3},
    {"Use old National Safety Association Standard", 4},
    {"Use United States Military Standard", 3},
    {"Use North Atlantic Treaty Organization Standard", 7},
};

}  // namespace

std::string GetShredMethodText(uint32_t code) {
  return code < kShredMethodCount ? kMethods[code].text : "";
}

uint32_t ShredPassCount(uint32_t code) { return code < kShredMethodCount ? kMethods[code].passes : 0; }

}  // namespace nv
