// The worker pool behind thumbnail loading.  One mutex guards the queue,
// the keys in flight, the finished results and the wanted list; workers
// hold it only to pick a job and to hand its result back, never while the
// picture is decoded.
#include "thumb/load_pool.h"

#include <algorithm>
#include <cstdlib>

#include "viewer_common/imaging_dlls/imaging_dlls.h"

namespace thumb {
namespace {

constexpr int kMaxThreads = 64;

// The pools alive in the process.  Never destroyed: pools may outlive every
// static object when a host exits without letting its controls go.
struct Registry {
  std::mutex mutex;
  std::vector<LoadPool*> pools;
  bool exit_handler = false;
};

Registry& Pools() {
  static Registry* r = new Registry;
  return *r;
}

template <typename T, typename Pred>
bool EraseFirst(std::vector<T>* v, Pred pred) {
  const auto it = std::find_if(v->begin(), v->end(), pred);
  if (it == v->end()) return false;
  v->erase(it);
  return true;
}

}  // namespace

LoadPool::LoadPool(int threads, BuildFn build, FreeFn free)
    : threads_(std::clamp(threads, 0, kMaxThreads)), build_(build), free_(free) {
  Registry& r = Pools();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.pools.push_back(this);
  // Exit handlers run before the libraries' own destructors unload the
  // imaging family, so workers never run on in unloaded code.
  if (!r.exit_handler) r.exit_handler = std::atexit(&LoadPool::StopEveryPool) == 0;
}

LoadPool::~LoadPool() {
  {
    Registry& r = Pools();
    std::lock_guard<std::mutex> lock(r.mutex);
    EraseFirst(&r.pools, [this](const LoadPool* p) { return p == this; });
  }
  Stop();
}

void LoadPool::StopEveryPool() {
  Registry& r = Pools();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (LoadPool* p : r.pools) p->Stop();
}

void LoadPool::Stop() {
  std::vector<Done> left;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    queue_.clear();
    wanted_.clear();
    left.swap(done_);
  }
  work_ready_.notify_all();
  for (std::thread& t : workers_)
    if (t.joinable()) t.join();
  for (const Done& d : left) Release(d.handle);
}

int LoadPool::DefaultThreads() {
  if (const char* env = std::getenv("MORVIK7_THUMB_THREADS"); env != nullptr && *env != '\0') {
    char* end = nullptr;
    const long n = std::strtol(env, &end, 10);
    if (end != nullptr && *end == '\0' && n >= 0 && n <= kMaxThreads) return static_cast<int>(n);
  }
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, kMaxThreads));
}

LoadPool::Key LoadPool::KeyOf(const ThumbnailJob& job) {
  return Key{job.path, job.image_number, job.image_size, job.background, job.use_shared_cache};
}

void LoadPool::Release(MVHANDLE handle) const {
  if (handle == 0) return;
  if (free_ != nullptr) free_(handle);
  else imaging_dlls::FreeMemory(handle);
}

bool LoadPool::WantedLocked(const Key& key) const {
  return std::find(wanted_.begin(), wanted_.end(), key) != wanted_.end();
}

void LoadPool::Start() {
  // Only the owner's thread starts workers, so workers_ needs no lock.
  while (static_cast<int>(workers_.size()) < threads_) workers_.emplace_back([this] { WorkerLoop(); });
}

void LoadPool::Want(const std::vector<ThumbnailJob>& jobs) {
  if (threads_ == 0) return;
  std::vector<MVHANDLE> unwanted;
  bool queued = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    wanted_.clear();
    wanted_.reserve(jobs.size());
    for (const ThumbnailJob& job : jobs) wanted_.push_back(KeyOf(job));
    for (auto it = done_.begin(); it != done_.end();) {
      if (WantedLocked(it->key)) {
        ++it;
      } else {
        unwanted.push_back(it->handle);
        it = done_.erase(it);
      }
    }
    // The queue is rebuilt in the new order; what runs or is done stays.
    std::deque<ThumbnailJob> next;
    for (const ThumbnailJob& job : jobs) {
      const Key key = KeyOf(job);
      const auto same = [&](const auto& x) { return KeyOf(x) == key; };
      if (std::find(running_.begin(), running_.end(), key) != running_.end()) continue;
      if (std::any_of(done_.begin(), done_.end(), [&](const Done& d) { return d.key == key; })) continue;
      if (std::any_of(next.begin(), next.end(), same)) continue;
      next.push_back(job);
    }
    queue_.swap(next);
    queued = !queue_.empty();
  }
  for (MVHANDLE h : unwanted) Release(h);
  if (queued) {
    Start();
    work_ready_.notify_all();
  }
}

MVHANDLE LoadPool::Take(const ThumbnailJob& job) {
  const Key key = KeyOf(job);
  {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      const auto done = std::find_if(done_.begin(), done_.end(), [&](const Done& d) { return d.key == key; });
      if (done != done_.end()) {
        const MVHANDLE h = done->handle;
        done_.erase(done);
        EraseFirst(&wanted_, [&](const Key& k) { return k == key; });
        return h;
      }
      if (std::find(running_.begin(), running_.end(), key) == running_.end()) break;
      // In flight: kept when it arrives, even if no longer on the list.
      if (!WantedLocked(key)) wanted_.push_back(key);
      result_ready_.wait(lock);
    }
    // Not started yet (or never wanted): done here, and no worker takes it.
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
      if (KeyOf(*it) == key) {
        queue_.erase(it);
        break;
      }
    }
    EraseFirst(&wanted_, [&](const Key& k) { return k == key; });
  }
  return build_(job);
}

void LoadPool::WorkerLoop() {
  for (;;) {
    ThumbnailJob job;
    Key key;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      work_ready_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
      key = KeyOf(job);
      running_.push_back(key);
    }
    MVHANDLE made = 0;
    try {
      made = build_(job);
    } catch (...) {
      made = 0;  // nothing may leave a worker: the picture simply fails
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      EraseFirst(&running_, [&](const Key& k) { return k == key; });
      if (!stop_ && WantedLocked(key)) {
        done_.push_back(Done{std::move(key), made});
        made = 0;
      }
    }
    result_ready_.notify_all();
    Release(made);
  }
}

size_t LoadPool::queued() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size();
}

size_t LoadPool::in_flight() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_.size();
}

size_t LoadPool::finished() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return done_.size();
}

}  // namespace thumb
