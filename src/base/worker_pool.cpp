#include "base/worker_pool.h"

namespace px {

WorkerPool::WorkerPool(int slots) {
  for (int slot = 1; slot < slots; ++slot)
    helpers_.emplace_back([this, slot] { helperLoop(slot); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (auto& helper : helpers_) helper.join();
}

void WorkerPool::run(size_t count, const std::function<void(size_t, int)>& job) {
  if (count == 0) return;
  if (helpers_.empty() || count == 1) {
    for (size_t i = 0; i < count; ++i) job(i, 0);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    job_ = &job;
    count_ = count;
    next_ = 0;
    finished_ = 0;
    ++generation_;
  }
  wake_.notify_all();
  work(0);
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return finished_ == count_; });
  job_ = nullptr;
}

// Takes indexes one at a time until none are left.
void WorkerPool::work(int slot) {
  std::unique_lock lock(mutex_);
  while (job_ && next_ < count_) {
    const size_t index = next_++;
    const auto* job = job_;
    lock.unlock();
    (*job)(index, slot);
    lock.lock();
    if (++finished_ == count_) done_.notify_all();
  }
}

void WorkerPool::helperLoop(int slot) {
  unsigned seen = 0;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
    }
    work(slot);
  }
}

}  // namespace px
