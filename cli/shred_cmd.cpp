// norvane-cli shred and methods.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/commands.h"
#include "core/jobs.h"
#include "platform/env.h"
#include "shred/shred_job.h"

namespace nv::cli {
namespace {

constexpr const char* kRefusedText = "Cannot add files or folders under system path or Norvane path.";
constexpr const char* kShredQuestion =
    "Shred selected items? You cannot restore the shredded files in the future!";

constexpr const char* kShredFooter =
    "Paths that do not exist are skipped. Refused: the system folders (/usr, /etc, /var, ...), /opt,\n"
    "the program's own folder, and anything under /home or /root outside your Desktop and\n"
    "Documents folders. Without --yes the question is asked on the terminal; answering No, or\n"
    "having no terminal to ask on, shreds nothing. Ctrl-C aborts after the pass under way.\n"
    "Exit status: 0 when everything chosen was shredded or the answer was No; 1 when a path was\n"
    "refused or too long, nothing was left to shred, a file failed or the run was aborted with\n"
    "Ctrl-C; 2 for a usage error.";

struct ShredOptions {
  uint32_t method = SHRED_GUTMANN;
  bool yes = false;
  std::vector<std::string> paths;
};

int RunShred(const ShredOptions& options) {
  std::vector<std::string> paths;
  bool anyFailed = false;
  for (const std::string& arg : options.paths) {
    std::string path = AbsolutePath(arg);
    if (PathFits(path)) {
      paths.push_back(path);
    } else {
      Tell(path + ": the path is too long");
      anyFailed = true;
    }
  }
  std::unique_ptr<CCoreManager> manager = MakeManager();
  std::vector<uint32_t> added;
  std::vector<std::string> overlapping, refused;
  manager->AddShredItems(paths, &added, &overlapping, &refused);
  if (!refused.empty()) {
    Tell(kRefusedText);
    anyFailed = true;
  }
  if (added.empty()) {
    Tell("Nothing to shred.");
    return kExitFailed;
  }
  if (!options.yes && !AskYesNo(kShredQuestion)) {
    Tell("Nothing was shredded.");
    return anyFailed ? kExitFailed : kExitOk;
  }
  ErrorQueue errors;
  if (!StartShred(*manager, added, &errors, options.method)) {
    Tell("The shred job could not be started.");
    return kExitFailed;
  }
  ShredJob& job = manager->shredJob;
  WaitForJob({&job, [&job] { return job.totalPercent.load(); }});
  if (PrintFailures(errors) > 0) anyFailed = true;
  if (WasInterrupted()) {
    Tell("Aborted: whatever was not shredded yet is left in place.");
    anyFailed = true;
  }
  return anyFailed ? kExitFailed : kExitOk;
}

}  // namespace

void AddShredCommands(CLI::App& app, int* exitCode) {
  auto options = std::make_shared<ShredOptions>();
  CLI::App* shred = app.add_subcommand("shred", "Overwrite, rename and delete files and folder trees");
  shred->add_option("--method", options->method, "Erase method code 0-7 (see 'methods'); default 0")
      ->check(CLI::Range(0u, kShredMethodCount - 1));
  shred->add_flag("-y,--yes", options->yes, "Do not ask for confirmation");
  shred->add_option("paths", options->paths, "Files and folders to shred")->required();
  shred->footer(kShredFooter);
  shred->callback([options, exitCode] { *exitCode = RunShred(*options); });

  CLI::App* methods = app.add_subcommand("methods", "List the erase methods and their codes");
  methods->callback([exitCode] {
    for (uint32_t code = 0; code < kShredMethodCount; ++code)
      std::printf("%u  %s (%u %s)\n", code, GetShredMethodText(code).c_str(), ShredPassCount(code),
                  ShredPassCount(code) == 1 ? "pass" : "passes");
    *exitCode = kExitOk;
  });
}

}  // namespace nv::cli
