// Locking a volume: its first sector, the boot sector, is enciphered in place
// with a key made from a password, so no system recognises a file system on
// it until it is unlocked with the same password. The password is stored
// nowhere: an unlock is right when the deciphered sector is a boot sector
// again. Nothing but the first sector is ever written.
//
// The volume root is what a VolumeProvider opens: a device node from
// ListUsbVolumes, or an image file. Every operation opens and closes the
// volume itself and reports only success or failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/volume.h"

namespace nv {

// Sector sizes outside this range are refused before anything is read.
constexpr uint32_t kMinSectorSize = 512;
constexpr uint32_t kMaxSectorSize = 65536;

// True when the sector ends in 0x55 0xAA, or (for sectors over 4 bytes) holds
// "FAT" or "NTFS" starting at any offset up to size - 5. Volumes locked in
// the field were tested this way; the test must not change.
bool IsBootSector(const uint8_t* sector, size_t size);

// True when the first sector can be read and is not a boot sector: exactly
// when UnlockVolume can succeed with the right password. False when the
// volume cannot be opened or read.
bool IsVolumeLocked(VolumeProvider& volumes, const std::string& root);

// What LockVolume did about the volume's mounts, for the message shown.
struct MountNote {
  std::vector<std::string> unmounted;  // released before the sector was written
  std::string stillMounted;            // could not be released: the lock failed
};

// Enciphers the first sector, which must be a boot sector, with the password
// (UTF-8, at most 16 bytes) and flushes it to the medium. A mounted file
// system would write its own boot sector back over the lock, so a mounted
// volume is unmounted first; when that fails nothing is written. A failed
// write is undone as far as the device allows. note may be null.
bool LockVolume(VolumeProvider& volumes, const std::string& root, const std::string& password,
                MountNote* note = nullptr);

// Deciphers the first sector, which must not be a boot sector, and writes it
// back only when the result is a boot sector; a wrong password writes
// nothing. A failed write is undone as far as the device allows.
bool UnlockVolume(VolumeProvider& volumes, const std::string& root, const std::string& password);

}  // namespace nv
