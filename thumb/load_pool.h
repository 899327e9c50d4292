// File: thumb/load_pool.h
//
// A small pool of worker threads that makes thumbnails ahead of the
// control's own thread.  The control says which pictures it will want next
// (Want(), in the order it will want them) and then takes each result on
// its own thread (Take()), in whatever order it raises its events; the
// workers only ever run the pure work of one job (BuildThumbnail on a job
// copied out of the control) and never touch the control.  A result is
// keyed by its job, so entries that move in the list while work is in
// flight still find theirs, and a result nobody wants any more is freed.
//
//   LoadPool pool(LoadPool::DefaultThreads());
//   pool.Want({job0, job1, job2});     // decoding starts at once
//   MVHANDLE h0 = pool.Take(job0);     // waits for job0 alone
//   ...
//   pool.Discard();                    // Cancel: queued work dropped, work
//                                      // in flight freed when it arrives
//
// Every member is called from one thread (the control's); the pool is not
// shared between controls.  A pool still alive when the process exits
// stops its workers among the exit handlers.  With 0 threads nothing runs ahead and Take()
// does the work itself.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "imaging/dlls/mv7.h"
#include "thumb/thumbnail_maker.h"

namespace thumb {

class LoadPool {
 public:
  // The work of one job, and how an unwanted result is released.  Both are
  // called on worker threads and must be safe to call from several threads
  // at once (BuildThumbnail and the family's MVFreeMemory are).
  using BuildFn = MVHANDLE (*)(const ThumbnailJob&);
  using FreeFn = void (*)(MVHANDLE);

  // `threads` workers (0 or less: none), started when work first comes.
  explicit LoadPool(int threads, BuildFn build = &BuildThumbnail, FreeFn free = nullptr);
  // Drops everything queued, waits for the jobs in flight and frees their
  // results and every result not taken.
  ~LoadPool();
  LoadPool(const LoadPool&) = delete;
  LoadPool& operator=(const LoadPool&) = delete;

  // DefaultThreads(): one worker per core; the environment variable
  // MORVIK7_THUMB_THREADS (0 to 64) overrides it.
  static int DefaultThreads();

  int threads() const { return threads_; }

  // Want(): the jobs wanted next, first wanted first.  Queued jobs the list
  // no longer names are dropped, results it no longer names are freed (jobs
  // in flight that it does not name are freed when they arrive), and the
  // jobs not yet queued, running or done are queued in its order.
  void Want(const std::vector<ThumbnailJob>& jobs);
  // Take(): the result of `job` (0 when the picture could not be made),
  // owned by the caller from now on.  A finished result is handed over at
  // once, a job in flight is waited for, and a job still queued or never
  // wanted is done here on the calling thread.
  MVHANDLE Take(const ThumbnailJob& job);
  // Discard(): Want({}): nothing queued is started any more, and every
  // result, finished or in flight, is freed.
  void Discard() { Want({}); }

  // Figures for tests: jobs queued, in flight and finished but not taken.
  size_t queued() const;
  size_t in_flight() const;
  size_t finished() const;

 private:
  struct Key {
    std::string path;
    int image_number = 0;
    int image_size = 0;
    uint32_t background = 0;
    bool use_shared_cache = false;
    bool operator==(const Key&) const = default;
  };
  struct Done {
    Key key;
    MVHANDLE handle = 0;
  };
  static Key KeyOf(const ThumbnailJob& job);
  // Stop(): nothing more starts; waits for the workers and frees every
  // result.  Run when the pool goes, and at process exit for pools whose
  // owner never let them go, before the imaging libraries are unloaded.
  void Stop();
  static void StopEveryPool();
  void Start();
  void WorkerLoop();
  bool WantedLocked(const Key& key) const;
  void Release(MVHANDLE handle) const;

  const int threads_;
  const BuildFn build_;
  const FreeFn free_;

  mutable std::mutex mutex_;
  std::condition_variable work_ready_;   // a job was queued, or stop
  std::condition_variable result_ready_; // a job in flight finished
  std::deque<ThumbnailJob> queue_;
  std::vector<Key> running_;
  std::vector<Done> done_;
  std::vector<Key> wanted_;
  bool stop_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace thumb
