// USB volume discovery from sysfs.
#include "platform/usb_discovery.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>

#include "platform/env.h"

namespace nv {
namespace {

// sysfs attributes are a few bytes; a page is their upper bound.
constexpr size_t kMaxAttributeBytes = 4096;
// SCSI peripheral type of CD and DVD drives.
constexpr const char* kScsiTypeOptical = "5";

Env* EnvOf(const UsbDiscoverySource& source) { return source.env ? source.env : Env::Default(); }

// The attribute's text without trailing white space; "" when it cannot be read.
std::string ReadAttribute(Env* env, const std::string& path) {
  OpenOptions options;
  options.share = Share::kShareAll;
  auto file = env->Open(path, options, nullptr);
  if (!file) return "";
  std::string text(kMaxAttributeBytes, '\0');
  size_t got = 0;
  if (!file->Read(text.data(), text.size(), &got)) return "";
  text.resize(got);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
  return text;
}

// Where the disk's folder lies: resolved, and relative to sysRoot
// ("devices/pci0000:00/.../block/sdb"). Both "" when it lies outside sysRoot.
struct DiskLocation {
  std::string real;
  std::string relative;
};

DiskLocation LocateDisk(Env* env, const UsbDiscoverySource& source, const std::string& diskName) {
  std::string root = env->LongForm(source.sysRoot);
  std::string real = env->LongForm(JoinPath(JoinPath(source.sysRoot, "block"), diskName));
  if (root.empty() || real.size() <= root.size() + 1 || real.compare(0, root.size(), root) != 0 ||
      (root != "/" && real[root.size()] != '/'))
    return {};
  return {real, real.substr(root == "/" ? 1 : root.size() + 1)};
}

// True for a path component naming a USB bus's root hub ("usb1", "usb2", ...).
bool IsUsbBusName(const std::string& component) {
  return component.size() > 3 && component.compare(0, 3, "usb") == 0 &&
         std::all_of(component.begin() + 3, component.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool RunsThroughUsbBus(const std::string& devicePath) {
  size_t start = 0;
  while (start <= devicePath.size()) {
    size_t end = devicePath.find('/', start);
    if (end == std::string::npos) end = devicePath.size();
    if (IsUsbBusName(devicePath.substr(start, end - start))) return true;
    start = end + 1;
  }
  return false;
}

void ParseDeviceNumber(const std::string& text, uint32_t* major, uint32_t* minor) {
  *major = *minor = 0;
  size_t colon = text.find(':');
  if (colon == std::string::npos) return;
  *major = static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
  *minor = static_cast<uint32_t>(std::strtoul(text.c_str() + colon + 1, nullptr, 10));
}

struct FoundVolume {
  std::string name;
  std::string sysDir;
};

// The partitions of the disk, or the disk itself when it has none but holds media.
void CollectVolumes(Env* env, const std::string& diskDir, const std::string& diskName,
                    std::vector<FoundVolume>* found) {
  std::vector<DirEntry> entries;
  env->ListDir(diskDir, &entries);
  bool anyPartition = false;
  for (const DirEntry& entry : entries) {
    std::string dir = JoinPath(diskDir, entry.name);
    EntryInfo info;
    if (entry.type != EntryType::kDirectory || !env->Stat(JoinPath(dir, "partition"), &info))
      continue;
    found->push_back({entry.name, dir});
    anyPartition = true;
  }
  std::string size = ReadAttribute(env, JoinPath(diskDir, "size"));
  if (!anyPartition && !size.empty() && size != "0") found->push_back({diskName, diskDir});
}

}  // namespace

bool KernelNameLess(const std::string& a, const std::string& b) {
  auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      size_t endA = i, endB = j;
      while (endA < a.size() && digit(a[endA])) ++endA;
      while (endB < b.size() && digit(b[endB])) ++endB;
      // Compare values by length without leading zeros, then digit by digit.
      size_t zerosA = i, zerosB = j;
      while (zerosA + 1 < endA && a[zerosA] == '0') ++zerosA;
      while (zerosB + 1 < endB && b[zerosB] == '0') ++zerosB;
      std::string_view runA(a.data() + zerosA, endA - zerosA), runB(b.data() + zerosB, endB - zerosB);
      if (runA.size() != runB.size()) return runA.size() < runB.size();
      if (runA != runB) return runA < runB;
      i = endA;
      j = endB;
      continue;
    }
    if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

std::vector<std::string> ListBlockDisks(const UsbDiscoverySource& source) {
  std::vector<DirEntry> entries;
  EnvOf(source)->ListDir(JoinPath(source.sysRoot, "block"), &entries);
  std::vector<std::string> names;
  for (const DirEntry& entry : entries) names.push_back(entry.name);
  std::sort(names.begin(), names.end(), KernelNameLess);
  return names;
}

bool IsUsbDrive(const UsbDiscoverySource& source, const std::string& diskName) {
  if (diskName.empty() || diskName.find('/') != std::string::npos) return false;
  Env* env = EnvOf(source);
  DiskLocation disk = LocateDisk(env, source, diskName);
  if (disk.real.empty() || disk.relative.compare(0, 16, "devices/virtual/") == 0) return false;
  if (ReadAttribute(env, JoinPath(disk.real, "device/type")) == kScsiTypeOptical) return false;
  if (ReadAttribute(env, JoinPath(disk.real, "removable")) == "1") return true;
  return RunsThroughUsbBus(disk.relative);
}

void ListUsbVolumes(std::vector<std::string>* roots, std::vector<std::string>* labels,
                    const UsbDiscoverySource& source) {
  roots->clear();
  labels->clear();
  Env* env = EnvOf(source);
  std::vector<FoundVolume> found;
  for (const std::string& disk : ListBlockDisks(source)) {
    if (!IsUsbDrive(source, disk)) continue;
    // Listed through the resolved folder: the entry under block/ is a link.
    CollectVolumes(env, LocateDisk(env, source, disk).real, disk, &found);
  }
  std::sort(found.begin(), found.end(),
            [](const FoundVolume& a, const FoundVolume& b) { return KernelNameLess(a.name, b.name); });
  for (const FoundVolume& volume : found) {
    uint32_t major = 0, minor = 0;
    ParseDeviceNumber(ReadAttribute(env, JoinPath(volume.sysDir, "dev")), &major, &minor);
    std::string devNode = JoinPath(source.devRoot, volume.name);
    roots->push_back(devNode);
    labels->push_back(source.readLabel ? source.readLabel(devNode, major, minor) : "");
  }
}

std::string VolumeDisplayText(const std::string& root, const std::string& label) {
  return BaseName(root) + ": " + label;
}

}  // namespace nv
