#include "locker/volume_lock.h"

#include <cstring>
#include <memory>

#include "core/file_utils.h"
#include "crypt/cipher.h"

namespace nv {
namespace {

// A password's key bytes fill at most the 16-byte key.
constexpr size_t kMaxKeyBytes = kCipherKeySize;

using Sector = std::vector<uint8_t>;

// Reads the whole first sector, sized by the device's logical sector size.
bool ReadFirstSector(Volume& volume, Sector* sector) {
  uint32_t size = 0;
  if (!volume.SectorSize(&size) || size < kMinSectorSize || size > kMaxSectorSize) return false;
  sector->assign(size, 0);
  size_t got = 0;
  return volume.ReadAt(0, sector->data(), size, &got) && got == size;
}

std::unique_ptr<Volume> OpenFirstSector(VolumeProvider& volumes, const std::string& root,
                                        VolumeShare share, Sector* sector) {
  auto volume = volumes.Open(root, share, nullptr);
  if (!volume || !ReadFirstSector(*volume, sector)) return nullptr;
  return volume;
}

bool WriteAndFlush(Volume& volume, const Sector& sector) {
  size_t written = 0;
  return volume.WriteAt(0, sector.data(), sector.size(), &written) && written == sector.size() &&
         volume.Sync();
}

// Writes the new sector; when that fails part way, puts the old one back so
// the volume is not left half enciphered.
bool ReplaceFirstSector(Volume& volume, const Sector& before, const Sector& after) {
  if (WriteAndFlush(volume, after)) return true;
  WriteAndFlush(volume, before);
  return false;
}

bool KeyFromPassword(const std::string& password, std::string* key) {
  *key = ToAnsi(password);
  return key->size() <= kMaxKeyBytes;
}

const uint8_t* KeyBytes(const std::string& key) { return reinterpret_cast<const uint8_t*>(key.data()); }

// Unmounts every mount of the volume, the most recent first.
bool ReleaseMounts(VolumeProvider& volumes, const std::vector<std::string>& points, MountNote* note) {
  for (auto it = points.rbegin(); it != points.rend(); ++it) {
    if (!volumes.Unmount(*it, nullptr)) {
      note->stillMounted = *it;
      return false;
    }
    note->unmounted.push_back(*it);
  }
  return true;
}

}  // namespace

bool IsBootSector(const uint8_t* sector, size_t size) {
  if (size < 2) return false;
  if (sector[size - 2] == 0x55 && sector[size - 1] == 0xAA) return true;
  if (size <= 4) return false;
  for (size_t b = 0; b <= size - 5; ++b) {
    if (std::memcmp(sector + b, "FAT", 3) == 0 || std::memcmp(sector + b, "NTFS", 4) == 0) return true;
  }
  return false;
}

bool IsVolumeLocked(VolumeProvider& volumes, const std::string& root) {
  Sector sector;
  return OpenFirstSector(volumes, root, VolumeShare::kShared, &sector) &&
         !IsBootSector(sector.data(), sector.size());
}

bool LockVolume(VolumeProvider& volumes, const std::string& root, const std::string& password,
                MountNote* note) {
  MountNote ignored;
  if (!note) note = &ignored;
  *note = {};
  std::string key;
  if (!KeyFromPassword(password, &key)) return false;
  std::vector<std::string> points;
  if (!volumes.MountPoints(root, &points)) return false;
  Sector sector;
  if (!points.empty()) {
    // Leave the file system alone when the lock would fail anyway.
    if (!OpenFirstSector(volumes, root, VolumeShare::kShared, &sector) ||
        !IsBootSector(sector.data(), sector.size()) || !ReleaseMounts(volumes, points, note))
      return false;
  }
  // Read again: unmounting may have rewritten the boot sector (a dirty flag
  // cleared). Exclusive, so nothing mounts it while it is rewritten.
  auto volume = OpenFirstSector(volumes, root, VolumeShare::kExclusive, &sector);
  if (!volume || !IsBootSector(sector.data(), sector.size())) return false;
  Sector locked(sector.size(), 0);
  EncryptBuffer(static_cast<uint32_t>(key.size()), KeyBytes(key), sector.data(), sector.size(),
                locked.data());
  return ReplaceFirstSector(*volume, sector, locked);
}

bool UnlockVolume(VolumeProvider& volumes, const std::string& root, const std::string& password) {
  Sector sector;
  auto volume = OpenFirstSector(volumes, root, VolumeShare::kShared, &sector);
  if (!volume || IsBootSector(sector.data(), sector.size())) return false;
  std::string key;
  if (!KeyFromPassword(password, &key)) return false;
  Sector unlocked(sector.size(), 0);
  DecryptBuffer(static_cast<uint32_t>(key.size()), KeyBytes(key), sector.data(), sector.size(),
                unlocked.data());
  if (!IsBootSector(unlocked.data(), unlocked.size())) return false;
  return ReplaceFirstSector(*volume, sector, unlocked);
}

}  // namespace nv
