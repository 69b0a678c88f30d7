// norvane-cli usb: list, lock, unlock and watch USB volumes.
#include <CLI/CLI.hpp>
#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>

#include "cli/cli_common.h"
#include "cli/commands.h"
#include "locker/volume_lock.h"
#include "platform/device_monitor.h"
#include "platform/env.h"
#include "platform/usb_discovery.h"
#include "platform/volume.h"

namespace nv::cli {
namespace {

constexpr const char* kLockedText = "Successfully locked, please remove and plug the device again.";
constexpr const char* kLockFailedText =
    "Operation failed. Please make sure the target is not locked and writable.";
constexpr const char* kUnlockedText = "Successfully unlocked.";
constexpr const char* kUnlockFailedText =
    "Operation failed. Please make sure the target was locked and the password is correct.";
constexpr const char* kSelectUnlockedText = "Please select an unlocked volumn first.";
constexpr const char* kSelectLockedText = "Please select a locked volumn first.";
constexpr const char* kNoUsbDiskText = "No usb disk is detected.";

struct VolumeArgs {
  std::string volume;
  std::string image;
  uint32_t sectorSize = PosixVolumeProvider::kDefaultImageSectorSize;
  bool passwordStdin = false;
};

CLI::App* AddVolumeCommand(CLI::App* usb, const char* name, const char* description, VolumeArgs* args) {
  CLI::App* command = usb->add_subcommand(name, description);
  CLI::Option* volume = command
                            ->add_option("VOLUME", args->volume,
                                         "A volume from 'norvane-cli usb list' (/dev/sdb1 or sdb1)")
                            ->type_name("");
  CLI::Option* image = command
                           ->add_option("--image", args->image,
                                        "Any block device or volume image file instead of a listed volume")
                           ->type_name("FILE");
  volume->excludes(image);
  command
      ->add_option("--sector-size", args->sectorSize,
                   "Sector size of an image file (512 unless told; a block device reports its own)")
      ->check(CLI::IsMember({512, 1024, 2048, 4096, 8192, 16384, 32768, 65536}))
      ->type_name("BYTES")
      ->needs(image);
  command->add_flag("--password-stdin", args->passwordStdin,
                    "Read the password as one line of standard input");
  return command;
}

// The listed USB volume that arg names: its device node, kernel name or any
// path to the same node. "" when it names none.
std::string FindListedVolume(const std::string& arg) {
  std::vector<std::string> roots, labels;
  ListUsbVolumes(&roots, &labels);
  std::string wanted = Env::Default()->LongForm(arg);
  for (const std::string& root : roots) {
    if (root == arg || BaseName(root) == arg || (!wanted.empty() && Env::Default()->LongForm(root) == wanted))
      return root;
  }
  return "";
}

// The root the command works on, or "" after telling why there is none.
std::string ChooseRoot(const VolumeArgs& args, const char* selectText) {
  if (!args.image.empty()) return AbsolutePath(args.image);
  if (args.volume.empty()) throw CLI::RequiredError("VOLUME or --image");
  std::string root = FindListedVolume(args.volume);
  if (root.empty()) {
    Tell(selectText);
    Tell(args.volume + " is not a USB volume (see 'norvane-cli usb list'; --image takes any other).");
  }
  return root;
}

// Tells in one line why the volume cannot be opened; true when it can.
bool CheckCanOpen(VolumeProvider& volumes, const std::string& root) {
  VolumeError error = VolumeError::kOk;
  if (volumes.Open(root, VolumeShare::kShared, &error)) return true;
  if (error == VolumeError::kAccessDenied)
    Tell("No permission to open " + root + ": run as root or as a member of the disk group.");
  else
    Tell("Cannot open " + root + ": " + VolumeErrorText(error) + ".");
  return false;
}

int RunLock(const VolumeArgs& args) {
  std::string root = ChooseRoot(args, kSelectUnlockedText);
  if (root.empty()) return kExitFailed;
  PosixVolumeProvider volumes(args.sectorSize);
  if (!CheckCanOpen(volumes, root)) return kExitFailed;
  if (IsVolumeLocked(volumes, root)) {
    Tell(kSelectUnlockedText);
    return kExitFailed;
  }
  std::string password;
  if (!ReadNewPassword(args.passwordStdin, &password)) return kExitFailed;
  MountNote note;
  bool locked = LockVolume(volumes, root, password, &note);
  for (const std::string& point : note.unmounted) Tell("Unmounted " + point + " before locking.");
  if (!note.stillMounted.empty())
    Tell(root + " is mounted on " + note.stillMounted + " and could not be unmounted; close what uses it.");
  Tell(locked ? kLockedText : kLockFailedText);
  return locked ? kExitOk : kExitFailed;
}

int RunUnlock(const VolumeArgs& args) {
  std::string root = ChooseRoot(args, kSelectLockedText);
  if (root.empty()) return kExitFailed;
  PosixVolumeProvider volumes(args.sectorSize);
  if (!CheckCanOpen(volumes, root)) return kExitFailed;
  if (!IsVolumeLocked(volumes, root)) {
    Tell(kSelectLockedText);
    return kExitFailed;
  }
  std::string password;
  if (!ReadExistingPassword(args.passwordStdin, &password)) return kExitFailed;
  bool unlocked = UnlockVolume(volumes, root, password);
  Tell(unlocked ? kUnlockedText : kUnlockFailedText);
  return unlocked ? kExitOk : kExitFailed;
}

int RunList() {
  std::vector<std::string> roots, labels;
  ListUsbVolumes(&roots, &labels);
  if (roots.empty()) std::printf("%s\n", kNoUsbDiskText);
  PosixVolumeProvider volumes;
  bool unreadable = false;
  for (size_t i = 0; i < roots.size(); ++i) {
    VolumeError error = VolumeError::kOk;
    unreadable |= !volumes.Open(roots[i], VolumeShare::kShared, &error) &&
                  error == VolumeError::kAccessDenied;
    std::printf("%-14s %s%s\n", roots[i].c_str(), VolumeDisplayText(roots[i], labels[i]).c_str(),
                IsVolumeLocked(volumes, roots[i]) ? "  locked" : "");
  }
  std::fflush(stdout);
  if (unreadable) Tell("Run as root or as a member of the disk group to see which volumes are locked.");
  return kExitOk;
}

volatile sig_atomic_t g_stopWatching = 0;

void OnStopSignal(int) { g_stopWatching = 1; }

int RunWatch() {
  auto monitor = DeviceMonitor::Create();
  if (!monitor) {
    Tell("Cannot receive device notices on this system.");
    return kExitFailed;
  }
  // The signals stay blocked except inside ppoll, so none is lost between
  // the check of the flag and the wait.
  sigset_t stopSignals, waitMask;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  ::sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  sigdelset(&waitMask, SIGINT);
  sigdelset(&waitMask, SIGTERM);
  struct sigaction action{};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  Tell("Watching for devices arriving and going; press Ctrl-C to stop.");
  int status = kExitOk;
  while (!g_stopWatching) {
    pollfd watched{monitor->Fd(), POLLIN, 0};
    int ready = ::ppoll(&watched, 1, nullptr, &waitMask);
    if (ready < 0) {
      if (errno == EINTR) continue;
      status = kExitFailed;
      break;
    }
    std::vector<DeviceNotice> notices;
    monitor->ReadChanges(&notices);
    for (const DeviceNotice& notice : notices)
      std::printf("%s %s\n", DeviceChangeText(notice.change), notice.name.c_str());
    std::fflush(stdout);
  }
  return status;
}

}  // namespace

void AddUsbCommands(CLI::App& app, int* exitCode) {
  CLI::App* usb = app.add_subcommand("usb", "List, lock and unlock USB volumes");
  usb->require_subcommand(1);

  usb->add_subcommand("list", "List the USB volumes: device, name and label, and whether locked")
      ->callback([exitCode] { *exitCode = RunList(); });

  auto lockArgs = std::make_shared<VolumeArgs>();
  AddVolumeCommand(usb, "lock", "Lock a volume with a password (asked twice)", lockArgs.get())
      ->callback([exitCode, lockArgs] { *exitCode = RunLock(*lockArgs); });

  auto unlockArgs = std::make_shared<VolumeArgs>();
  AddVolumeCommand(usb, "unlock", "Unlock a locked volume with its password", unlockArgs.get())
      ->callback([exitCode, unlockArgs] { *exitCode = RunUnlock(*unlockArgs); });

  usb->add_subcommand("watch", "Print a line for every device that arrives or goes, until Ctrl-C")
      ->callback([exitCode] { *exitCode = RunWatch(); });
}

}  // namespace nv::cli
