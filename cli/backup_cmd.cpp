// norvane-cli backup and recover.
#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

#include "backup/backup_job.h"
#include "backup/image_format.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "core/file_utils.h"
#include "platform/env.h"

namespace nv::cli {
namespace {

constexpr const char* kRefusedText = "Cannot add files or folders under system path or Norvane path.";
constexpr const char* kInvalidImageText = "Please select a valid image file.";
constexpr const char* kInvalidDestinationText = "Please select a valid destination path.";
// The destination folder recover creates when it is missing.
constexpr uint32_t kDestinationMode = 0700;

constexpr const char* kBackupFooter =
    "The paths are taken as the Backup page takes them: paths in system folders, in the program's\n"
    "own folder or in another user's home are refused; a path given twice or inside a folder given\n"
    "before it is stored once, and a folder given after a path inside it is skipped with a notice.\n"
    "\".dfi\" is added to an image name that does not end with it. An existing image is replaced\n"
    "only with --force or after a yes on the terminal, and only once the new image is complete.\n"
    "Ctrl-C aborts and writes nothing.\n"
    "Missing paths are skipped with a notice. Exit status: 0 when every item was stored; 1 when a\n"
    "path was refused, an item failed, nothing was left to store, the image could not be written\n"
    "or the run was aborted; 2 for a usage error.";

constexpr const char* kRecoverFooter =
    "The destination folder is created when it is missing (one level). Stored folders that exist\n"
    "are used as they are and stored files replace existing ones; nothing is written outside the\n"
    "destination. Ctrl-C stops at the next item and deletes the files restored so far.\n"
    "Exit status: 0 when the whole image was restored; 1 when the image or the destination was\n"
    "refused, the password was wrong, the image was damaged or the run was aborted; 2 for a usage\n"
    "error.";

struct BackupOptions {
  std::string image;
  bool force = false;
  bool passwordStdin = false;
  std::vector<std::string> paths;
};

struct RecoverOptions {
  std::string image;
  std::string destination;
  bool passwordStdin = false;
};

// The image name the save dialog would produce: the extension added when missing.
std::string ImageName(const std::string& arg) {
  std::string path = AbsolutePath(arg);
  const std::string extension = kImageExtension;
  if (path.size() < extension.size() ||
      path.compare(path.size() - extension.size(), extension.size(), extension) != 0)
    path += extension;
  return path;
}

bool IsFolder(Env* env, const std::string& path) {
  std::string resolved = env->LongForm(path);
  EntryInfo info;
  return !resolved.empty() && env->Stat(resolved, &info) && info.type == EntryType::kDirectory;
}

// Missing paths are skipped as the Backup page skips them, but told, so a
// typing error does not go unnoticed; an overlong path fails. The rest are
// returned.
std::vector<std::string> ExistingPaths(Env* env, const std::vector<std::string>& args, bool* anyFailed) {
  std::vector<std::string> paths;
  for (const std::string& arg : args) {
    std::string path = AbsolutePath(arg);
    uint32_t attributes = 0;
    if (!PathFits(path)) {
      Tell(path + ": the path is too long");
      *anyFailed = true;
    } else if (!env->GetAttributes(path, &attributes)) {
      Tell(path + ": not found, skipped");
    } else {
      paths.push_back(path);
    }
  }
  return paths;
}

// Overlapping paths were dropped by the list. One that lies inside an added
// item is stored with it; a folder around an added item is not stored whole,
// which the user must hear about. True when any was such a folder.
bool TellFoldersNotStored(Env* env, const std::vector<std::string>& overlapping,
                          const std::vector<std::string>& added) {
  bool any = false;
  for (const std::string& path : overlapping) {
    for (const std::string& item : added) {
      bool same = false, inside = false;
      if (PathRelation(env, item, path, &same, &inside) && inside) {
        Tell(path + ": skipped, since " + item + " inside it was given before it");
        any = true;
        break;
      }
    }
  }
  return any;
}

// Whether the image may be written at path: its folder exists, and an
// existing file there may be replaced.
bool MayWriteImage(Env* env, const std::string& image, bool force) {
  if (!PathFits(image)) {
    Tell(image + ": the path is too long");
    return false;
  }
  if (!IsFolder(env, ParentPath(image))) {
    Tell(ParentPath(image) + ": no such folder");
    return false;
  }
  EntryInfo info;
  if (!env->Stat(image, &info)) return true;
  if (info.type == EntryType::kDirectory) {
    Tell(image + ": is a folder");
    return false;
  }
  if (force || AskYesNo(image + " already exists. Do you want to replace it?")) return true;
  Tell("Nothing was written; use --force to replace the image.");
  return false;
}

int RunBackup(const BackupOptions& options) {
  Env* env = Env::Default();
  bool anyFailed = false;
  std::vector<std::string> paths = ExistingPaths(env, options.paths, &anyFailed);
  std::unique_ptr<CCoreManager> manager = MakeManager();
  std::vector<uint32_t> added;
  std::vector<std::string> overlapping, refused;
  manager->AddBackupItems(paths, &added, &overlapping, &refused);
  if (!refused.empty()) {
    Tell(kRefusedText);
    anyFailed = true;
  }
  if (TellFoldersNotStored(env, overlapping, manager->GetBackupPaths(added))) anyFailed = true;
  if (added.empty()) {
    Tell("Nothing to back up.");
    return kExitFailed;
  }
  std::string image = ImageName(options.image);
  if (!MayWriteImage(env, image, options.force)) return kExitFailed;
  std::string password;
  if (!ReadNewPassword(options.passwordStdin, &password)) return kExitFailed;

  ErrorQueue errors;
  if (!StartBackup(*manager, added, image, password, &errors)) {
    Tell("The backup job could not be started.");
    return kExitFailed;
  }
  BackupJob& job = manager->backupJob;
  WaitForJob({&job, [&job] { return job.percent.load(); }});
  if (PrintFailures(errors) > 0) anyFailed = true;
  if (WasInterrupted()) {
    Tell("Aborted: no image was written.");
    return kExitFailed;
  }
  if (job.createdFiles == std::vector<std::string>{image}) Tell("Image saved: " + image);
  return anyFailed ? kExitFailed : kExitOk;
}

int RunRecover(const RecoverOptions& options) {
  Env* env = Env::Default();
  std::string image = AbsolutePath(options.image);
  uint32_t attributes = 0;
  if (!PathFits(image) || !env->GetAttributes(image, &attributes)) {
    Tell(kInvalidImageText);
    return kExitFailed;
  }
  std::string destination = AbsolutePath(options.destination);
  if (PathFits(destination)) env->CreateDir(destination, kDestinationMode, nullptr);
  if (!IsFolder(env, destination)) {
    Tell(kInvalidDestinationText);
    return kExitFailed;
  }
  std::string password;
  if (!ReadExistingPassword(options.passwordStdin, &password)) return kExitFailed;

  std::unique_ptr<CCoreManager> manager = MakeManager();
  ErrorQueue errors;
  if (!StartRecovery(*manager, image, destination, password, &errors)) {
    Tell("The recovery job could not be started.");
    return kExitFailed;
  }
  BackupJob& job = manager->backupJob;
  WaitForJob({&job, [&job] { return job.percent.load(); }});
  bool anyFailed = PrintFailures(errors) > 0;
  if (WasInterrupted()) {
    Tell("Aborted: the files restored so far were deleted.");
    return kExitFailed;
  }
  return anyFailed ? kExitFailed : kExitOk;
}

}  // namespace

void AddBackupCommands(CLI::App& app, int* exitCode) {
  auto backup = std::make_shared<BackupOptions>();
  CLI::App* backupCommand = app.add_subcommand("backup", "Pack files and folders into a password-protected image");
  backupCommand->add_option("--image", backup->image, "The image file to write (.dfi)")->required();
  backupCommand->add_flag("--force", backup->force, "Replace an existing image without asking");
  backupCommand->add_flag("--password-stdin", backup->passwordStdin,
                          "Read the password as one line of standard input");
  backupCommand->add_option("paths", backup->paths, "Files and folders to back up")->required();
  backupCommand->footer(kBackupFooter);
  backupCommand->callback([backup, exitCode] { *exitCode = RunBackup(*backup); });

  auto recover = std::make_shared<RecoverOptions>();
  CLI::App* recoverCommand = app.add_subcommand("recover", "Restore an image into a folder");
  recoverCommand->add_option("--image", recover->image, "The image file to read (.dfi)")->required();
  recoverCommand->add_option("--dest", recover->destination, "The folder to restore into")->required();
  recoverCommand->add_flag("--password-stdin", recover->passwordStdin,
                           "Read the password as one line of standard input");
  recoverCommand->footer(kRecoverFooter);
  recoverCommand->callback([recover, exitCode] { *exitCode = RunRecover(*recover); });
}

}  // namespace nv::cli
