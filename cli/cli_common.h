// What every command of norvane-cli shares: paths from the command line,
// questions and passwords on the terminal, and running a job to its end with
// a progress line and Ctrl-C as abort.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/core_manager.h"
#include "core/job.h"
#include "core/records.h"

namespace nv::cli {

enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// A manager on the real file system, initialised (folders created).
std::unique_ptr<CCoreManager> MakeManager();

// An absolute, lexically normal path without a trailing '/' (except "/").
std::string AbsolutePath(const std::string& arg);

// Prints a message of the system on standard error, one line.
void Tell(const std::string& message);

// Asks on the terminal; without one (or on end of input) the answer is No.
bool AskYesNo(const std::string& question);
enum class Answer { kYes, kNo, kCancel };
Answer AskYesNoCancel(const std::string& question);

// Reads one password: a line of standard input when fromStdin, else typed on
// the terminal without echo. False when nothing could be read.
bool ReadPassword(const std::string& prompt, bool fromStdin, std::string* out);

// Reads a password for a new secret: typed twice on the terminal, or one line
// of standard input that also serves as the confirmation. Applies the password
// rules; on refusal prints the rule's message and returns false.
bool ReadNewPassword(bool fromStdin, std::string* out);
// Reads a password for an existing secret (asked once) and applies the rules
// that need no confirmation.
bool ReadExistingPassword(bool fromStdin, std::string* out);

// How a running job is watched.
struct JobWatch {
  JobStatus* job = nullptr;
  std::function<double()> percent;  // total percentage done
};

// Waits until the job is stopped. While standard error is a terminal, shows a
// progress line (percentage, current file, elapsed and remaining time). Ctrl-C
// sets the job's command to abort.
void WaitForJob(const JobWatch& watch);

// Prints every queued failure as "PATH: Abnormal operation result" on
// standard output; returns how many there were.
size_t PrintFailures(ErrorQueue& errors);

// True after Ctrl-C was pressed during the last WaitForJob.
bool WasInterrupted();

// Refuses with a message when the windowed program is running, since it keeps
// the lists in memory and would overwrite what this tool saves.
bool CheckWindowedProgramNotRunning(const CCoreManager& manager);

}  // namespace nv::cli
