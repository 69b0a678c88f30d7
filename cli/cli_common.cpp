#include "cli/cli_common.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "core/password_rules.h"
#include "core/progress_math.h"
#include "platform/clock.h"
#include "platform/instance.h"

namespace nv::cli {
namespace {

std::atomic<bool> g_interrupted{false};

void OnInterrupt(int) { g_interrupted = true; }

// Reads a line from the controlling terminal, or from standard input when
// there is none. False at end of input.
bool ReadLine(bool echo, std::string* line) {
  int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
  bool ownFd = fd >= 0;
  if (!ownFd) fd = STDIN_FILENO;
  termios saved{};
  bool restore = false;
  if (!echo && ::isatty(fd) && ::tcgetattr(fd, &saved) == 0) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    restore = ::tcsetattr(fd, TCSAFLUSH, &quiet) == 0;
  }
  line->clear();
  bool got = false;
  char c;
  while (::read(fd, &c, 1) == 1) {
    got = true;
    if (c == '\n') break;
    line->push_back(c);
  }
  if (restore) {
    ::tcsetattr(fd, TCSAFLUSH, &saved);
    std::fputs("\n", stderr);
  }
  if (ownFd) ::close(fd);
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return got;
}

bool HaveTerminal() {
  int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  return ::isatty(STDIN_FILENO);
}

std::string Ask(const std::string& question, const char* choices) {
  if (!HaveTerminal()) return "";
  std::fprintf(stderr, "%s %s ", question.c_str(), choices);
  std::fflush(stderr);
  std::string answer;
  if (!ReadLine(true, &answer)) return "";
  for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return answer;
}

int TerminalWidth() {
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20) return size.ws_col;
  return 80;
}

void ShowProgressLine(double percent, uint32_t elapsedMs, const std::string& file) {
  char head[96];
  std::snprintf(head, sizeof head, "%5.1f%%  %s elapsed  %s left  ", percent,
                FormatDuration(elapsedMs).c_str(), FormatDuration(RemainingMs(elapsedMs, percent)).c_str());
  std::string line = head;
  size_t room = static_cast<size_t>(TerminalWidth() - 1);
  std::string name = file;
  if (line.size() + name.size() > room) {
    size_t keep = room > line.size() + 3 ? room - line.size() - 3 : 0;
    name = "..." + name.substr(name.size() - std::min(keep, name.size()));
  }
  line += name;
  std::fprintf(stderr, "\r\033[K%s", line.c_str());
  std::fflush(stderr);
}

}  // namespace

std::unique_ptr<CCoreManager> MakeManager() {
  auto manager = std::make_unique<CCoreManager>(Env::Default(), GetSpecialFolders());
  manager->Init();
  return manager;
}

std::string AbsolutePath(const std::string& arg) {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::absolute(arg, ec);
  if (ec) path = arg;
  std::string text = path.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

void Tell(const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); }

bool AskYesNo(const std::string& question) {
  std::string answer = Ask(question, "[y/N]");
  return answer == "y" || answer == "yes";
}

Answer AskYesNoCancel(const std::string& question) {
  std::string answer = Ask(question, "[y/n/C]");
  if (answer == "y" || answer == "yes") return Answer::kYes;
  if (answer == "n" || answer == "no") return Answer::kNo;
  return Answer::kCancel;
}

bool ReadPassword(const std::string& prompt, bool fromStdin, std::string* out) {
  if (fromStdin) {
    if (!std::getline(std::cin, *out)) return false;
    if (!out->empty() && out->back() == '\r') out->pop_back();
    return true;
  }
  if (!HaveTerminal()) {
    Tell("No terminal to ask the password on; use --password-stdin.");
    return false;
  }
  std::fprintf(stderr, "%s", prompt.c_str());
  std::fflush(stderr);
  return ReadLine(false, out);
}

bool ReadNewPassword(bool fromStdin, std::string* out) {
  std::string confirmation;
  if (!ReadPassword("Password: ", fromStdin, out)) return false;
  if (fromStdin) {
    confirmation = *out;
  } else if (!ReadPassword("Confirm: ", false, &confirmation)) {
    return false;
  }
  std::string refusal = CheckPasswordEntry(*out, true, confirmation);
  if (!refusal.empty()) Tell(refusal);
  return refusal.empty();
}

bool ReadExistingPassword(bool fromStdin, std::string* out) {
  if (!ReadPassword("Password: ", fromStdin, out)) return false;
  std::string refusal = CheckPasswordEntry(*out, false, "");
  if (!refusal.empty()) Tell(refusal);
  return refusal.empty();
}

void WaitForJob(const JobWatch& watch) {
  g_interrupted = false;
  struct sigaction action{}, previous{};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, &previous);
  bool showProgress = ::isatty(STDERR_FILENO);
  bool told = false;
  uint32_t elapsedMs = 0;
  auto last = std::chrono::steady_clock::now();
  while (watch.job->state != JOB_STOPPED) {
    if (g_interrupted && !told) {
      watch.job->command = JOB_STOPPED;
      if (showProgress) std::fputs("\r\033[K", stderr);
      Tell("Aborting...");
      told = true;
    }
    SleepMs(50);
    auto now = std::chrono::steady_clock::now();
    // Time spent paused does not count, as in the progress dialog.
    if (watch.job->state == JOB_RUNNING)
      elapsedMs += static_cast<uint32_t>(
          std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count());
    last = now;
    if (showProgress && !told) ShowProgressLine(watch.percent(), elapsedMs, GetCurrentFile(*watch.job));
  }
  JoinWorker(*watch.job);
  if (showProgress && !told) std::fputs("\r\033[K", stderr);
  ::sigaction(SIGINT, &previous, nullptr);
}

size_t PrintFailures(ErrorQueue& errors) {
  WriteAccess<std::deque<std::pair<std::string, FILE_OPERATION_ERROR>>> queue(errors);
  for (const auto& [path, kind] : *queue) std::printf("%s: %s\n", path.c_str(), kFailureText);
  std::fflush(stdout);
  size_t count = queue->size();
  queue->clear();
  return count;
}

bool WasInterrupted() { return g_interrupted; }

bool CheckWindowedProgramNotRunning(const CCoreManager& manager) {
  if (!InstanceMarker::IsHeld(JoinPath(manager.appDataFolder, kInstanceMarkerName))) return true;
  Tell("Norvane is running in the system tray; it keeps the list in memory and would undo this "
       "change. Exit it from its tray menu first.");
  return false;
}

}  // namespace nv::cli
