#include "core/job.h"

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

namespace nv {
namespace {

using namespace std::chrono_literals;

// Waits up to five seconds for a condition another thread brings about.
template <typename Condition>
bool Eventually(Condition condition) {
  auto end = std::chrono::steady_clock::now() + 5s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

TEST(PauseCheckPointTest, GoesOnOrLeavesAtOnceWithoutAPause) {
  JobStatus job;
  job.state = JOB_RUNNING;
  job.command = JOB_RUNNING;
  EXPECT_TRUE(PauseCheckPoint(job));
  job.command = JOB_STOPPED;
  EXPECT_FALSE(PauseCheckPoint(job));
  EXPECT_EQ(job.state.load(), JOB_RUNNING);  // the worker stops itself later
}

TEST(PauseCheckPointTest, PausedWorkerWaitsForResumeOrAbort) {
  for (JobState next : {JOB_RUNNING, JOB_STOPPED}) {
    SCOPED_TRACE(next);
    JobStatus job;
    job.pauseSleepMs = 5;
    job.state = JOB_RUNNING;
    job.command = JOB_PAUSED;
    std::atomic<int> result{-1};
    std::thread worker([&] { result = PauseCheckPoint(job) ? 1 : 0; });
    ASSERT_TRUE(Eventually([&] { return job.state == JOB_PAUSED; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(result.load(), -1);
    EXPECT_EQ(job.state.load(), JOB_PAUSED);
    job.command = next;
    worker.join();
    EXPECT_EQ(result.load(), next == JOB_RUNNING ? 1 : 0);
    if (next == JOB_RUNNING) {
      EXPECT_EQ(job.state.load(), JOB_RUNNING);
    }
  }
}

TEST(LaunchWorkerTest, RunsTheBodyAndStopsAtTheEnd) {
  JobStatus job;
  std::promise<void> gate;
  std::shared_future<void> open = gate.get_future().share();
  std::atomic<bool> ran{false};
  ASSERT_TRUE(LaunchWorker(job, [&] {
    ran = true;
    open.wait();
  }));
  EXPECT_EQ(job.state.load(), JOB_RUNNING);
  EXPECT_EQ(job.command.load(), JOB_RUNNING);
  EXPECT_FALSE(LaunchWorker(job, [] { ADD_FAILURE() << "second run started"; }));
  gate.set_value();
  JoinWorker(job);
  EXPECT_TRUE(ran);
  EXPECT_EQ(job.state.load(), JOB_STOPPED);
  EXPECT_EQ(job.command.load(), JOB_STOPPED);

  std::atomic<int> runs{0};
  ASSERT_TRUE(LaunchWorker(job, [&] { ++runs; }));  // the next run may start
  JoinWorker(job);
  EXPECT_EQ(runs.load(), 1);
}

TEST(LaunchWorkerTest, RefusesUnlessStopped) {
  for (JobState state : {JOB_RUNNING, JOB_PAUSED}) {
    JobStatus job;
    job.state = state;
    EXPECT_FALSE(LaunchWorker(job, [] { ADD_FAILURE() << "started while not stopped"; }));
    EXPECT_EQ(job.state.load(), state);
    job.state = JOB_STOPPED;
  }
}

TEST(LaunchWorkerTest, AbortEndsAWorkerAndDestructionWaitsForIt) {
  JobStatus job;
  job.pauseSleepMs = 5;
  ASSERT_TRUE(LaunchWorker(job, [&] {
    while (PauseCheckPoint(job)) std::this_thread::sleep_for(1ms);
  }));
  job.command = JOB_PAUSED;
  ASSERT_TRUE(Eventually([&] { return job.state == JOB_PAUSED; }));
  AbortAndJoin(job);
  EXPECT_EQ(job.state.load(), JOB_STOPPED);

  std::atomic<bool> finished{false};
  auto owned = std::make_unique<JobStatus>();
  JobStatus& running = *owned;
  ASSERT_TRUE(LaunchWorker(running, [&] {
    while (PauseCheckPoint(running)) std::this_thread::sleep_for(1ms);
    finished = true;
  }));
  owned.reset();
  EXPECT_TRUE(finished);
}

TEST(JobTest, ErrorsGoToTheQueueInOrderOrAreDropped) {
  QueueError(nullptr, "/a", FOE_READ_FAILED);  // nothing to do, nothing to crash
  ErrorQueue queue;
  std::thread worker([&] {
    QueueError(&queue, "/a", FOE_READ_FAILED);
    QueueError(&queue, "/b", FOE_COMPRESS_FAILED);
  });
  worker.join();
  ASSERT_EQ(queue.value.size(), 2u);
  EXPECT_EQ(queue.value[0], std::make_pair(std::string("/a"), FOE_READ_FAILED));
  EXPECT_EQ(queue.value[1], std::make_pair(std::string("/b"), FOE_COMPRESS_FAILED));
  EXPECT_FALSE(queue.lock().IsWritable());  // left unlocked
}

TEST(JobTest, CurrentFileCrossesThreads) {
  JobStatus job;
  EXPECT_EQ(GetCurrentFile(job), "");
  std::thread worker([&] { SetCurrentFile(job, "/data/f"); });
  worker.join();
  EXPECT_EQ(GetCurrentFile(job), "/data/f");
}

}  // namespace
}  // namespace nv
