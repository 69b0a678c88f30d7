// What every job record has, and the protocol its worker follows.
//
// The front end writes `command` (run, pause, abort); the worker writes `state`
// and the progress fields. Both are atomics read without a lock; the current
// file and the error queue have their own locks.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "core/records.h"

namespace nv {

struct JobStatus {
  JobStatus() = default;
  JobStatus(const JobStatus&) = delete;
  JobStatus& operator=(const JobStatus&) = delete;
  // Derived records abort and join in their own destructors, before their
  // fields go; this one is the last guard.
  ~JobStatus();

  std::atomic<JobState> state{JOB_STOPPED};
  std::atomic<JobState> command{JOB_STOPPED};
  CSyncData<std::string> currentFile;
  ErrorQueue* errors = nullptr;  // may be null: failures are then dropped
  std::atomic<uint64_t> totalBytes{0};
  std::atomic<uint64_t> doneBytes{0};

  // How long a paused worker sleeps between two looks at `command`.
  uint32_t pauseSleepMs = 500;
  // The worker thread of the last run; joined before the next run and on destruction.
  std::thread worker;
};

// The pause check point. Returns true to go on working, false when the job was
// aborted (the command is JOB_STOPPED). While paused it sleeps pauseSleepMs at a
// time, with `state` JOB_PAUSED.
bool PauseCheckPoint(JobStatus& job);

// Appends (path, kind) to the queue under its write lock; a null queue drops it.
void QueueError(ErrorQueue* queue, const std::string& path, FILE_OPERATION_ERROR kind);

// Sets the job's current file under its write lock.
void SetCurrentFile(JobStatus& job, const std::string& path);
std::string GetCurrentFile(JobStatus& job);

// Starts a run: sets `command` and then `state` to JOB_RUNNING and runs body on
// a new worker thread, after which the worker sets `command` and `state` to
// JOB_STOPPED. Refuses (false) unless `state` is JOB_STOPPED; when no thread can
// be created it puts both back to JOB_STOPPED and returns false.
bool LaunchWorker(JobStatus& job, std::function<void()> body);

// Asks a running job to stop and waits until its worker has ended.
void AbortAndJoin(JobStatus& job);

// Waits until the worker of the last run has ended (without asking it to stop).
void JoinWorker(JobStatus& job);

}  // namespace nv
