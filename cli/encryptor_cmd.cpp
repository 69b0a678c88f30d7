// norvane-cli encryptor: the Encryptor page's commands on the monitored list.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "cli/cli_common.h"
#include "cli/commands.h"
#include "core/file_utils.h"
#include "core/password_rules.h"
#include "crypt/archive.h"
#include "crypt/crypto_job.h"
#include "crypt/monitor_list.h"

namespace nv::cli {
namespace {

constexpr const char* kFileRefusedText = "Cannot add the file under system path or Norvane path.";
constexpr const char* kFolderRefusedText = "Cannot add folders under system path or Norvane path.";
constexpr const char* kMonitoredText = "Path:\"%s\" has already been monitored.";
constexpr const char* kIncorrectPasswordText = "Incorrect password.";
constexpr const char* kDecryptQuestion = "Do you want to decrypt encrypted items?";

constexpr const char* kEncryptorFooter =
    "ID|PATH names a monitored item: a number that is a listed id, else the item's path.\n"
    "Passwords are typed on the terminal without echo, or read as one line of standard input\n"
    "with --password-stdin (for add that line is also the confirmation); they have 6 to 16\n"
    "characters and at most 16 bytes in UTF-8. The list is kept in FileArchive.dfd in the\n"
    "Norvane folder of your data folder ($XDG_DATA_HOME, else ~/.local/share); add and remove\n"
    "refuse to change it while the windowed program runs.\n"
    "Exit status: 0 when everything asked was done or there was nothing to do; 1 when an item\n"
    "or password was refused, a file failed or the run was aborted with Ctrl-C; 2 for a usage\n"
    "error.";

struct Options {
  std::string target;
  bool passwordStdin = false;
  bool decrypt = false;
  bool keepEncrypted = false;
};

// The manager with the archive loaded, and what the load found.
struct Session {
  std::unique_ptr<CCoreManager> manager = MakeManager();
  ArchiveLoad load = LoadArchive(*manager);

  Session() {
    if (load == ArchiveLoad::kUnreadable)
      Tell("Cannot read the list of monitored items in \"" + manager->archivePath + "\".");
    if (load == ArchiveLoad::kIncomplete)
      Tell("The list of monitored items in \"" + manager->archivePath + "\" is damaged; only the " +
           std::to_string(manager->monitorItems.value.size()) + " items before the damage could be read.");
  }

  // The archive may be written only when it was read in full and the windowed
  // program, which saves its own copy of the list at exit, is not running.
  bool MayWriteArchive() const {
    if (load == ArchiveLoad::kUnreadable || load == ArchiveLoad::kIncomplete) {
      Tell("The list is left as it is; move the file aside to start a new list.");
      return false;
    }
    return CheckWindowedProgramNotRunning(*manager);
  }

  bool Save() const {
    if (SaveArchive(*manager)) return true;
    Tell("Cannot save the list of monitored items to \"" + manager->archivePath + "\".");
    return false;
  }
};

std::string Format(const char* pattern, const std::string& text) {
  std::string out(std::strlen(pattern) + text.size(), '\0');
  std::snprintf(out.data(), out.size() + 1, pattern, text.c_str());
  out.resize(std::strlen(out.c_str()));
  return out;
}

std::optional<uint32_t> ParseId(const std::string& text) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  uint64_t value = std::stoull(text);
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// True when one path is the other or lies inside it, as text: covers items
// whose path no longer exists (a file item that is encrypted).
bool TextuallyOverlap(const std::string& a, const std::string& b) {
  auto inside = [](const std::string& p, const std::string& folder) {
    return p.size() > folder.size() && p.compare(0, folder.size(), folder) == 0 &&
           (folder == "/" || p[folder.size()] == '/');
  };
  return a == b || inside(a, b) || inside(b, a);
}

std::optional<uint32_t> ResolveItem(CCoreManager& manager, const std::string& arg) {
  ReadAccess<ItemMap<MonitorFileInfo>> items(manager.monitorItems);
  if (std::optional<uint32_t> id = ParseId(arg); id && items->count(*id)) return id;
  std::string path = AbsolutePath(arg);
  for (const auto& [id, info] : *items)
    if (info->path == path) return id;
  for (const auto& [id, info] : *items) {
    bool same = false, inside = false;
    PathRelation(manager.env(), path, info->path, &same, &inside);
    if (same) return id;
  }
  Tell("No monitored item has the id or path \"" + arg + "\".");
  return std::nullopt;
}

bool IsMonitored(CCoreManager& manager, const std::string& path) {
  ReadAccess<ItemMap<MonitorFileInfo>> items(manager.monitorItems);
  for (const auto& [id, info] : *items)
    if (TextuallyOverlap(path, info->path) || PathsOverlap(manager.env(), path, info->path)) return true;
  return false;
}

// Runs the job to its end; true when every file went through.
bool RunJob(CCoreManager& manager, uint32_t id, bool encrypt, const std::string& password) {
  ErrorQueue errors;
  if (!StartCryptoJob(manager, id, encrypt, password, &errors)) {
    Tell(std::string(encrypt ? "Nothing to encrypt in \"" : "Nothing to decrypt in \"") +
         GetMonitorItemPath(manager, id) + "\".");
    return true;
  }
  CryptoJob& job = manager.cryptoJob;
  WaitForJob({&job, [&job] { return job.totalPercent.load(); }});
  bool ok = PrintFailures(errors) == 0;
  if (WasInterrupted()) {
    Tell("Aborted: the files written by this run were removed; the item is as it was.");
    ok = false;
  }
  RefreshEncryptedStates(manager);
  return ok;
}

bool AskItemPassword(CCoreManager& manager, uint32_t id, bool fromStdin, std::string* password) {
  if (!ReadExistingPassword(fromStdin, password)) return false;
  if (CheckItemPassword(manager, id, *password)) return true;
  Tell(kIncorrectPasswordText);
  return false;
}

int RunList() {
  Session session;
  CCoreManager& manager = *session.manager;
  RefreshEncryptedStates(manager);
  ReadAccess<ItemMap<MonitorFileInfo>> items(manager.monitorItems);
  for (const auto& [id, info] : *items)
    std::printf("%u  %-9s  %s  %s\n", id, MonitorStatusText(*info), FormatMonitorTime(info->addedTime).c_str(),
                info->path.c_str());
  std::fflush(stdout);
  bool readInFull = session.load == ArchiveLoad::kComplete || session.load == ArchiveLoad::kNoArchive;
  return readInFull ? kExitOk : kExitFailed;
}

int RunAdd(const Options& options) {
  std::string path = AbsolutePath(options.target);
  Env* env = Env::Default();
  uint32_t attributes = 0;
  if (!PathFits(path) || !env->GetAttributes(path, &attributes)) {
    Tell("Cannot find \"" + path + "\".");
    return kExitFailed;
  }
  EntryInfo entry;
  if (!env->Stat(path, &entry) || (entry.type != EntryType::kFile && entry.type != EntryType::kDirectory)) {
    Tell("Cannot add \"" + path + "\": only files and folders can be monitored, not links or devices.");
    return kExitFailed;
  }
  bool folder = (attributes & kAttrDirectory) != 0;
  Session session;
  CCoreManager& manager = *session.manager;
  if (!IsAllowedItem(env, manager.folders(), path)) {
    Tell(folder ? kFolderRefusedText : kFileRefusedText);
    return kExitFailed;
  }
  if (IsMonitored(manager, path)) {
    Tell(Format(kMonitoredText, path));
    return kExitFailed;
  }
  if (!session.MayWriteArchive()) return kExitFailed;
  std::string password;
  if (!ReadNewPassword(options.passwordStdin, &password)) return kExitFailed;
  AddRefusal refusal = AddRefusal::kNone;
  std::optional<uint32_t> id = AddMonitorItem(manager, path, password, &refusal);
  if (!id) {
    Tell(refusal == AddRefusal::kPasswordTooLong
             ? kPasswordTooLongText
             : "The path is too long to be monitored: the list holds at most 260 UTF-16 code units.");
    return kExitFailed;
  }
  // The files are encrypted only once the list with the new item is safe on disk.
  if (!session.Save()) return kExitFailed;
  bool ok = RunJob(manager, *id, true, "");
  return session.Save() && ok ? kExitOk : kExitFailed;
}

int RunEncrypt(const Options& options, bool encrypt) {
  Session session;
  CCoreManager& manager = *session.manager;
  std::optional<uint32_t> id = ResolveItem(manager, options.target);
  if (!id) return kExitFailed;
  std::string password;
  if (!encrypt && !AskItemPassword(manager, *id, options.passwordStdin, &password)) return kExitFailed;
  return RunJob(manager, *id, encrypt, password) ? kExitOk : kExitFailed;
}

int RunRemove(const Options& options) {
  Session session;
  CCoreManager& manager = *session.manager;
  std::optional<uint32_t> id = ResolveItem(manager, options.target);
  if (!id || !session.MayWriteArchive()) return kExitFailed;
  std::string password;
  if (!AskItemPassword(manager, *id, options.passwordStdin, &password)) return kExitFailed;
  if (HasEncryptedFiles(manager, *id)) {
    Answer answer = options.decrypt         ? Answer::kYes
                    : options.keepEncrypted ? Answer::kNo
                                            : AskYesNoCancel(kDecryptQuestion);
    if (answer == Answer::kCancel) {
      Tell("Nothing was removed.");
      return kExitFailed;
    }
    if (answer == Answer::kYes && !RunJob(manager, *id, false, password)) {
      Tell("The item was kept because some of its files are still encrypted; use --keep-encrypted "
           "to remove it anyway.");
      return kExitFailed;
    }
  }
  RemoveMonitorItem(manager, *id);
  return session.Save() ? kExitOk : kExitFailed;
}

CLI::App* AddCommand(CLI::App* group, const char* name, const char* description,
                     const std::shared_ptr<Options>& options, bool withPassword) {
  CLI::App* command = group->add_subcommand(name, description);
  if (withPassword)
    command->add_flag("--password-stdin", options->passwordStdin, "Read the password from standard input");
  command->footer(kEncryptorFooter);
  return command;
}

}  // namespace

void AddEncryptorCommands(CLI::App& app, int* exitCode) {
  auto options = std::make_shared<Options>();
  CLI::App* group = app.add_subcommand("encryptor", "Keep files and folders encrypted, each with its own password");
  group->require_subcommand(1);
  group->footer(kEncryptorFooter);

  AddCommand(group, "list", "List the monitored items: id, status, time added, path", options, false)
      ->callback([exitCode] { *exitCode = RunList(); });

  CLI::App* add = AddCommand(group, "add", "Monitor a file or folder under a new password and encrypt it",
                             options, true);
  add->add_option("path", options->target, "The file or folder")->required();
  add->callback([options, exitCode] { *exitCode = RunAdd(*options); });

  CLI::App* encrypt =
      AddCommand(group, "encrypt", "Encrypt a monitored item with its stored password", options, false);
  encrypt->add_option("item", options->target, "ID|PATH of the item")->required();
  encrypt->callback([options, exitCode] { *exitCode = RunEncrypt(*options, true); });

  CLI::App* decrypt = AddCommand(group, "decrypt", "Decrypt a monitored item", options, true);
  decrypt->add_option("item", options->target, "ID|PATH of the item")->required();
  decrypt->callback([options, exitCode] { *exitCode = RunEncrypt(*options, false); });

  CLI::App* remove = AddCommand(group, "remove", "Stop monitoring an item", options, true);
  remove->add_option("item", options->target, "ID|PATH of the item")->required();
  CLI::Option* decryptFlag =
      remove->add_flag("--decrypt", options->decrypt, "Decrypt its encrypted files first, without asking");
  remove->add_flag("--keep-encrypted", options->keepEncrypted, "Leave its encrypted files as they are, without asking")
      ->excludes(decryptFlag);
  remove->callback([options, exitCode] { *exitCode = RunRemove(*options); });
}

}  // namespace nv::cli
