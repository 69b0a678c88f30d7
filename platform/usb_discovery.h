// Finds the volumes of USB disks: the ones the locker offers.
//
// A volume's root is its device node (/dev/sdb1); what a list shows for it is
// its display text, the kernel name, a colon, a space and the label
// ("sdb1: STICK", or "sdb1: " without label).
//
// Disks are read from sysfs. A disk is a USB disk when sysfs marks it
// removable or when its device path runs through a USB bus; optical drives and
// virtual disks (loop, RAM, device-mapper, RAID, zram) never are, whatever
// their flags. Each partition of a USB disk is a volume; a USB disk without
// partitions that holds media is a volume itself, since a locked one shows no
// file system or partition table yet must stay listed to be unlocked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nv {

class Env;

// Reads the label of the volume whose device node and number are given;
// "" when it has none or it cannot be read.
using LabelReader =
    std::function<std::string(const std::string& devNode, uint32_t major, uint32_t minor)>;

// The label from the udev database when udev knows the device, else from
// probing the device with libblkid (which needs read permission on it).
std::string ReadVolumeLabel(const std::string& devNode, uint32_t major, uint32_t minor);
// Probes a device node or image file for a file-system label with libblkid.
std::string ProbeVolumeLabel(const std::string& path);
// Undoes udev's "\xNN" escapes of an encoded property (ID_FS_LABEL_ENC).
std::string DecodeUdevText(const std::string& encoded);

// Where discovery looks. Tests point it at a fake tree.
struct UsbDiscoverySource {
  Env* env = nullptr;  // null: Env::Default()
  std::string sysRoot = "/sys";
  std::string devRoot = "/dev";
  LabelReader readLabel = ReadVolumeLabel;
};

// Kernel names of the block disks present (entries of <sysRoot>/block).
std::vector<std::string> ListBlockDisks(const UsbDiscoverySource& source);

// True when the disk of that kernel name is a USB disk (see above).
bool IsUsbDrive(const UsbDiscoverySource& source, const std::string& diskName);

// Clears both lists, then fills them with the roots and labels of the volumes
// of every USB disk, in ascending order of kernel name (numbers inside names
// compare by value: sdb2 before sdb10).
void ListUsbVolumes(std::vector<std::string>* roots, std::vector<std::string>* labels,
                    const UsbDiscoverySource& source = {});

// "sdb1: LABEL" for root "/dev/sdb1".
std::string VolumeDisplayText(const std::string& root, const std::string& label);

// Orders kernel names: digit runs compare by value, the rest byte by byte.
bool KernelNameLess(const std::string& a, const std::string& b);

}  // namespace nv
