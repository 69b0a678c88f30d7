// A VolumeProvider over one image file in a scratch folder, with a chosen
// sector size, that records every write and open and injects the faults a
// real device produces only rarely: refused opens, a failing sector-size
// query, short reads, failing or short writes, a failing flush, and mounts
// that can or cannot be released.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/volume.h"

namespace nv::test {

struct VolumeFaults {
  VolumeError openError = VolumeError::kOk;  // anything else: every open fails so
  bool sectorSizeFails = false;
  size_t readShortBy = 0;      // reads return this many bytes less
  int failingWrites = 0;       // the next n writes write half, then fail
  int shortWrites = 0;         // the next n writes write half and say so
  bool syncFails = false;
  bool mountTableFails = false;
  std::vector<std::string> mounts;  // where the volume is mounted
  std::string stuckMount;           // this one cannot be unmounted
};

struct WriteRecord {
  uint64_t offset;
  size_t length;
};

class FaultVolumeProvider : public VolumeProvider {
 public:
  // An image file of `image` bytes holding exactly those bytes.
  FaultVolumeProvider(uint32_t sectorSize, const std::vector<uint8_t>& image) : base_(sectorSize) {
    char pattern[] = "/tmp/nv-volume-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    root_ = folder_ + "/volume.img";
    std::ofstream(root_, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  }
  ~FaultVolumeProvider() override { std::filesystem::remove_all(folder_); }

  const std::string& root() const { return root_; }

  std::vector<uint8_t> Contents() const {
    std::ifstream in(root_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  VolumeFaults faults;
  std::vector<WriteRecord> writes;
  std::vector<VolumeShare> opens;
  std::vector<std::string> unmounted;

  std::unique_ptr<Volume> Open(const std::string& root, VolumeShare share, VolumeError* error) override {
    opens.push_back(share);
    if (faults.openError != VolumeError::kOk || (share == VolumeShare::kExclusive && !faults.mounts.empty())) {
      *Out(error) = faults.openError != VolumeError::kOk ? faults.openError : VolumeError::kBusy;
      return nullptr;
    }
    auto volume = base_.Open(root, share, error);
    if (!volume) return nullptr;
    return std::make_unique<FaultVolume>(std::move(volume), this);
  }

  bool MountPoints(const std::string&, std::vector<std::string>* points) override {
    *points = faults.mounts;
    return !faults.mountTableFails;
  }

  bool Unmount(const std::string& mountPoint, VolumeError* error) override {
    if (mountPoint == faults.stuckMount) {
      *Out(error) = VolumeError::kBusy;
      return false;
    }
    std::erase(faults.mounts, mountPoint);
    unmounted.push_back(mountPoint);
    return true;
  }

 private:
  class FaultVolume : public Volume {
   public:
    FaultVolume(std::unique_ptr<Volume> base, FaultVolumeProvider* owner)
        : base_(std::move(base)), owner_(owner) {}

    bool SectorSize(uint32_t* size) override {
      return !owner_->faults.sectorSizeFails && base_->SectorSize(size);
    }

    bool ReadAt(uint64_t offset, void* buf, size_t n, size_t* got) override {
      size_t shortBy = std::min(n, owner_->faults.readShortBy);
      return base_->ReadAt(offset, buf, n - shortBy, got);
    }

    bool WriteAt(uint64_t offset, const void* buf, size_t n, size_t* written) override {
      owner_->writes.push_back({offset, n});
      VolumeFaults& faults = owner_->faults;
      if (faults.failingWrites > 0 || faults.shortWrites > 0) {
        bool fails = faults.failingWrites > 0;
        --(fails ? faults.failingWrites : faults.shortWrites);
        bool ok = base_->WriteAt(offset, buf, n / 2, written);
        return ok && !fails;
      }
      return base_->WriteAt(offset, buf, n, written);
    }

    bool Sync() override { return !owner_->faults.syncFails && base_->Sync(); }

   private:
    std::unique_ptr<Volume> base_;
    FaultVolumeProvider* owner_;
  };

  static VolumeError* Out(VolumeError* error) {
    static VolumeError ignored;
    return error ? error : &ignored;
  }

  PosixVolumeProvider base_;
  std::string folder_;
  std::string root_;
};

}  // namespace nv::test
