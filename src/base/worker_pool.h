// A small fixed pool that runs one job over an index range on the calling thread plus helper
// threads. Jobs get the slot number (0 = the caller) so each slot can own its scratch state.
// One caller at a time; the helpers live as long as the pool.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace px {

class WorkerPool {
 public:
  // `slots` >= 1; slots - 1 helper threads are started.
  explicit WorkerPool(int slots);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int slots() const { return int(helpers_.size()) + 1; }

  // Calls job(index, slot) for every index in [0, count) and returns when all calls are done.
  void run(size_t count, const std::function<void(size_t index, int slot)>& job);

 private:
  void helperLoop(int slot);
  void work(int slot);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  const std::function<void(size_t, int)>* job_ = nullptr;  // guarded by mutex_
  size_t count_ = 0;                                       // guarded by mutex_
  size_t next_ = 0;                                        // guarded by mutex_
  size_t finished_ = 0;                                    // guarded by mutex_
  unsigned generation_ = 0;                                // guarded by mutex_
  bool stopping_ = false;                                  // guarded by mutex_
  std::vector<std::thread> helpers_;
};

}  // namespace px
