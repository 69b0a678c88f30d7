// Volume labels from the udev database or from probing the volume.
#include <blkid/blkid.h>
#include <libudev.h>
#include <sys/sysmacros.h>

#include <cctype>
#include <cstring>
#include <memory>

#include "platform/usb_discovery.h"

namespace nv {
namespace {

struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};

// The label udev recorded for the device; *known is false when udev has no
// record of it (udevd not running, or the device not processed yet).
std::string UdevLabel(uint32_t major, uint32_t minor, bool* known) {
  *known = false;
  std::unique_ptr<udev, UdevDeleter> context(udev_new());
  if (!context) return "";
  std::unique_ptr<udev_device, UdevDeleter> device(
      udev_device_new_from_devnum(context.get(), 'b', makedev(major, minor)));
  if (!device || udev_device_get_is_initialized(device.get()) <= 0) return "";
  *known = true;
  if (const char* encoded = udev_device_get_property_value(device.get(), "ID_FS_LABEL_ENC"))
    return DecodeUdevText(encoded);
  const char* plain = udev_device_get_property_value(device.get(), "ID_FS_LABEL");
  return plain ? plain : "";
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string DecodeUdevText(const std::string& encoded) {
  std::string out;
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '\\' && i + 3 < encoded.size() && encoded[i + 1] == 'x' &&
        HexValue(encoded[i + 2]) >= 0 && HexValue(encoded[i + 3]) >= 0) {
      out.push_back(static_cast<char>(HexValue(encoded[i + 2]) * 16 + HexValue(encoded[i + 3])));
      i += 3;
      continue;
    }
    out.push_back(encoded[i]);
  }
  return out;
}

std::string ProbeVolumeLabel(const std::string& path) {
  blkid_probe probe = blkid_new_probe_from_filename(path.c_str());
  if (!probe) return "";
  blkid_probe_enable_superblocks(probe, 1);
  blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL);
  std::string label;
  const char* data = nullptr;
  size_t length = 0;
  if (blkid_do_safeprobe(probe) == 0 && blkid_probe_lookup_value(probe, "LABEL", &data, &length) == 0 &&
      data)
    label.assign(data, strnlen(data, length));
  blkid_free_probe(probe);
  return label;
}

std::string ReadVolumeLabel(const std::string& devNode, uint32_t major, uint32_t minor) {
  if (major != 0 || minor != 0) {
    bool known = false;
    std::string label = UdevLabel(major, minor, &known);
    if (known) return label;
  }
  return ProbeVolumeLabel(devNode);
}

}  // namespace nv
