#include "core/job.h"

#include <system_error>

#include "platform/clock.h"

namespace nv {

JobStatus::~JobStatus() { AbortAndJoin(*this); }

bool PauseCheckPoint(JobStatus& job) {
  if (job.command == job.state) return true;
  for (;;) {
    JobState command = job.command;
    JobState state = job.state;
    if (command == JOB_RUNNING && state == JOB_PAUSED) {
      job.state = JOB_RUNNING;
      return true;
    }
    if (command == JOB_STOPPED) return false;
    if (command == JOB_PAUSED || state == JOB_PAUSED) {
      job.state = JOB_PAUSED;
      SleepMs(job.pauseSleepMs);
      continue;
    }
    return true;  // a pause withdrawn before it took effect
  }
}

void QueueError(ErrorQueue* queue, const std::string& path, FILE_OPERATION_ERROR kind) {
  if (!queue) return;
  WriteAccess<std::deque<std::pair<std::string, FILE_OPERATION_ERROR>>> access(*queue);
  access->emplace_back(path, kind);
}

void SetCurrentFile(JobStatus& job, const std::string& path) {
  WriteAccess<std::string> access(job.currentFile);
  *access = path;
}

std::string GetCurrentFile(JobStatus& job) {
  ReadAccess<std::string> access(job.currentFile);
  return *access;
}

bool LaunchWorker(JobStatus& job, std::function<void()> body) {
  if (job.state != JOB_STOPPED) return false;
  JoinWorker(job);  // the last run has set JOB_STOPPED as its final act
  job.command = JOB_RUNNING;
  job.state = JOB_RUNNING;
  try {
    job.worker = std::thread([&job, body = std::move(body)] {
      body();
      job.command = JOB_STOPPED;
      job.state = JOB_STOPPED;
    });
  } catch (const std::system_error&) {
    job.state = JOB_STOPPED;
    job.command = JOB_STOPPED;
    return false;
  }
  return true;
}

void AbortAndJoin(JobStatus& job) {
  if (job.state != JOB_STOPPED) job.command = JOB_STOPPED;
  JoinWorker(job);
}

void JoinWorker(JobStatus& job) {
  if (job.worker.joinable() && job.worker.get_id() != std::this_thread::get_id()) job.worker.join();
}

}  // namespace nv
