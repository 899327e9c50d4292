// The worker pool on its own: every result reaches the job it was made for
// whatever order the jobs are taken in, work runs on the workers only when
// wanted, and nothing made is lost or leaked when work is dropped,
// cancelled or still in flight when the pool goes.  The work here is a
// stand-in that writes its job into a block of libmv7com.so's table, so the
// table's own count shows every block nobody freed.
#include "thumb/load_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

namespace thumb {
namespace {

// What the stand-in work writes: the job's fields, read back by Decode().
struct Stamp {
  char path[64];
  int image_number;
  int image_size;
  uint32_t background;
};

std::atomic<int> g_built{0};
std::mutex g_mutex;
std::condition_variable g_cv;
bool g_gate_open = true;
int g_waiting = 0;
std::set<std::thread::id> g_threads;

MVHANDLE StampBuild(const ThumbnailJob& job) {
  {
    std::unique_lock<std::mutex> lock(g_mutex);
    g_threads.insert(std::this_thread::get_id());
    ++g_waiting;
    g_cv.notify_all();
    g_cv.wait(lock, [] { return g_gate_open; });
    --g_waiting;
  }
  ++g_built;
  if (job.path == "fail") return 0;
  const MVHANDLE h = MVGlobalAlloc(sizeof(Stamp));
  auto* s = static_cast<Stamp*>(MVGlobalLock(h));
  std::snprintf(s->path, sizeof s->path, "%s", job.path.c_str());
  s->image_number = job.image_number;
  s->image_size = job.image_size;
  s->background = job.background;
  MVGlobalUnlock(h);
  return h;
}

// True when `h` holds what StampBuild makes of `job`.
bool Holds(MVHANDLE h, const ThumbnailJob& job) {
  const auto* s = static_cast<const Stamp*>(MVGlobalLock(h));
  if (s == nullptr) return false;
  const bool same = job.path == s->path && job.image_number == s->image_number && job.image_size == s->image_size &&
                    job.background == s->background;
  MVGlobalUnlock(h);
  return same;
}

ThumbnailJob Job(const std::string& path, int number = 0, int size = 96, uint32_t background = 0) {
  ThumbnailJob j;
  j.path = path;
  j.image_number = number;
  j.image_size = size;
  j.background = background;
  return j;
}

class LoadPoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    baseline_ = MVGlobalCount();
    g_built = 0;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_gate_open = true;
    g_waiting = 0;
    g_threads.clear();
  }
  void TearDown() override { EXPECT_EQ(MVGlobalCount(), baseline_) << "blocks nobody freed"; }

  static void CloseGate() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_gate_open = false;
  }
  static void OpenGate() {
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      g_gate_open = true;
    }
    g_cv.notify_all();
  }
  // Waits until `n` jobs are held at the gate.
  static void AwaitWaiting(int n) {
    std::unique_lock<std::mutex> lock(g_mutex);
    ASSERT_TRUE(g_cv.wait_for(lock, std::chrono::seconds(20), [n] { return g_waiting >= n; }));
  }
  static void AwaitFinished(const LoadPool& pool, size_t n) {
    for (int i = 0; i < 2000 && pool.finished() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(pool.finished(), n);
  }

  size_t baseline_ = 0;
};

TEST_F(LoadPoolTest, EveryResultReachesItsJobInAnyOrder) {
  std::vector<ThumbnailJob> jobs;
  for (int i = 0; i < 24; ++i) jobs.push_back(Job("/p/" + std::to_string(i % 8), i / 8, 96 + i % 3, 0x10203u * i));
  LoadPool pool(4, &StampBuild);
  pool.Want(jobs);
  AwaitFinished(pool, jobs.size());
  EXPECT_EQ(g_threads.count(std::this_thread::get_id()), 0u);
  // Taken back to front, then the rest: each holds its own job.
  for (int i = 23; i >= 12; --i) {
    const MVHANDLE h = pool.Take(jobs[i]);
    EXPECT_TRUE(Holds(h, jobs[i])) << i;
    MVFreeMemory(h);
  }
  for (int i = 0; i < 12; ++i) {
    const MVHANDLE h = pool.Take(jobs[i]);
    EXPECT_TRUE(Holds(h, jobs[i])) << i;
    MVFreeMemory(h);
  }
  EXPECT_EQ(g_built, 24);  // each made once
  // Taken while the workers are still at it: the same.
  pool.Want(jobs);
  for (int i : {5, 0, 23, 11, 12, 1, 22}) {
    const MVHANDLE h = pool.Take(jobs[i]);
    EXPECT_TRUE(Holds(h, jobs[i])) << i;
    MVFreeMemory(h);
  }
  EXPECT_LE(g_built, 48);
  // A failed picture is a 0 result, not a hang.
  pool.Want({Job("fail")});
  EXPECT_EQ(pool.Take(Job("fail")), 0u);
}

TEST_F(LoadPoolTest, WantedWorkRunsOnWorkersAndTheRestOnTheCaller) {
  LoadPool pool(2, &StampBuild);
  pool.Want({Job("/a"), Job("/b")});
  AwaitFinished(pool, 2);
  EXPECT_EQ(g_threads.count(std::this_thread::get_id()), 0u);
  // Never wanted: made at once on the calling thread.
  const MVHANDLE c = pool.Take(Job("/c"));
  EXPECT_TRUE(Holds(c, Job("/c")));
  EXPECT_EQ(g_threads.count(std::this_thread::get_id()), 1u);
  MVFreeMemory(c);
  // A different size or background is a different job.
  const MVHANDLE a = pool.Take(Job("/a", 0, 128));
  EXPECT_TRUE(Holds(a, Job("/a", 0, 128)));
  MVFreeMemory(a);
  EXPECT_EQ(g_built, 4);  // the two done ahead are freed when the pool goes
}

TEST_F(LoadPoolTest, NoThreadsMeansEverythingOnTheCaller) {
  LoadPool pool(0, &StampBuild);
  pool.Want({Job("/a"), Job("/b")});
  EXPECT_EQ(pool.queued() + pool.in_flight() + pool.finished(), 0u);
  const MVHANDLE b = pool.Take(Job("/b"));
  EXPECT_TRUE(Holds(b, Job("/b")));
  MVFreeMemory(b);
  EXPECT_EQ(g_threads, std::set<std::thread::id>{std::this_thread::get_id()});
  EXPECT_EQ(g_built, 1);
}

TEST_F(LoadPoolTest, NewWantDropsQueuedWorkAndFreesUnwantedResults) {
  CloseGate();
  LoadPool pool(1, &StampBuild);
  std::vector<ThumbnailJob> jobs;
  for (int i = 0; i < 10; ++i) jobs.push_back(Job("/q/" + std::to_string(i)));
  pool.Want(jobs);
  AwaitWaiting(1);  // job 0 in flight, nine queued
  EXPECT_EQ(pool.in_flight(), 1u);
  EXPECT_EQ(pool.queued(), 9u);
  pool.Want({Job("/q/5"), Job("/other")});
  EXPECT_EQ(pool.queued(), 2u);
  OpenGate();
  const MVHANDLE other = pool.Take(Job("/other"));
  EXPECT_TRUE(Holds(other, Job("/other")));
  MVFreeMemory(other);
  const MVHANDLE five = pool.Take(Job("/q/5"));
  EXPECT_TRUE(Holds(five, Job("/q/5")));
  MVFreeMemory(five);
  // Job 0 was made and freed on arrival; jobs 1-4 and 6-9 never ran.
  for (int i = 0; i < 2000 && pool.in_flight() > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(g_built, 3);
  EXPECT_EQ(pool.finished(), 0u);
}

TEST_F(LoadPoolTest, TakeWaitsForItsJobInFlight) {
  CloseGate();
  LoadPool pool(2, &StampBuild);
  pool.Want({Job("/slow"), Job("/next")});
  AwaitWaiting(2);
  std::thread opener([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    OpenGate();
  });
  // Dropped from the list while in flight: taking it still waits for it
  // rather than making it twice.
  pool.Want({Job("/next")});
  const MVHANDLE h = pool.Take(Job("/slow"));
  opener.join();
  EXPECT_TRUE(Holds(h, Job("/slow")));
  MVFreeMemory(h);
  for (int i = 0; i < 2000 && pool.in_flight() > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(g_built, 2);
}

TEST_F(LoadPoolTest, DiscardFreesWorkInFlightWhenItArrives) {
  CloseGate();
  {
    LoadPool pool(3, &StampBuild);
    std::vector<ThumbnailJob> jobs;
    for (int i = 0; i < 8; ++i) jobs.push_back(Job("/d/" + std::to_string(i)));
    pool.Want(jobs);
    AwaitWaiting(3);
    pool.Discard();
    EXPECT_EQ(pool.queued(), 0u);
    OpenGate();
    for (int i = 0; i < 2000 && pool.in_flight() > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(pool.in_flight(), 0u);
    EXPECT_EQ(pool.finished(), 0u);
    EXPECT_EQ(g_built, 3);
    // Taking after a discard makes the picture afresh.
    const MVHANDLE h = pool.Take(jobs[0]);
    EXPECT_TRUE(Holds(h, jobs[0]));
    MVFreeMemory(h);
  }
}

TEST_F(LoadPoolTest, DestroyedWithWorkInFlight) {
  CloseGate();
  auto pool = std::make_unique<LoadPool>(4, &StampBuild);
  std::vector<ThumbnailJob> jobs;
  for (int i = 0; i < 16; ++i) jobs.push_back(Job("/x/" + std::to_string(i)));
  pool->Want(jobs);
  AwaitWaiting(4);
  std::thread opener([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    OpenGate();
  });
  pool.reset();  // waits for the four in flight and frees them
  opener.join();
  EXPECT_EQ(g_built, 4);
}

TEST_F(LoadPoolTest, ThreadCountFromTheEnvironment) {
  ::setenv("MORVIK7_THUMB_THREADS", "3", 1);
  EXPECT_EQ(LoadPool::DefaultThreads(), 3);
  ::setenv("MORVIK7_THUMB_THREADS", "0", 1);
  EXPECT_EQ(LoadPool::DefaultThreads(), 0);
  ::setenv("MORVIK7_THUMB_THREADS", "lots", 1);
  EXPECT_GE(LoadPool::DefaultThreads(), 1);
  ::setenv("MORVIK7_THUMB_THREADS", "-2", 1);
  EXPECT_GE(LoadPool::DefaultThreads(), 1);
  ::unsetenv("MORVIK7_THUMB_THREADS");
  EXPECT_EQ(LoadPool::DefaultThreads(), static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
}

}  // namespace
}  // namespace thumb
