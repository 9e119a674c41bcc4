#ifndef BEHAVIORTREE_CPP_V3_DECORATORS_TIMER_QUEUE_H
#define BEHAVIORTREE_CPP_V3_DECORATORS_TIMER_QUEUE_H

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace BT
{
/// Calls handlers at their deadlines from one thread of its own, started by the first add().
/// A handler gets `false` when called at its deadline and `true` when cancelled before it.
/// Once cancel() or cancelAll() returns, the handlers they name are neither running nor due.
template <
  typename ClockT = std::chrono::steady_clock,
  typename DurationT = std::chrono::steady_clock::duration>
class TimerQueue
{
public:
  TimerQueue() = default;
  TimerQueue(const TimerQueue &) = delete;
  TimerQueue & operator=(const TimerQueue &) = delete;

  ~TimerQueue()
  {
    cancelAll();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finish_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) {
      worker_.join();
    }
  }

  /// Returns the id that cancel() takes.
  uint64_t add(std::chrono::milliseconds milliseconds, std::function<void(bool)> handler)
  {
    const auto deadline = ClockT::now() + std::chrono::duration_cast<DurationT>(milliseconds);
    uint64_t id;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      id = ++last_id_;
      pending_.emplace(std::make_pair(deadline, id), std::move(handler));
      if (!worker_.joinable()) {
        worker_ = std::thread([this] { run(); });
      }
    }
    wake_.notify_all();
    return id;
  }

  /// Cancels one handler; returns 1 when it was still pending, 0 otherwise.
  size_t cancel(uint64_t id)
  {
    return cancelWhere([id](uint64_t pending_id) { return pending_id == id; });
  }

  /// Cancels every pending handler; returns how many there were.
  size_t cancelAll()
  {
    return cancelWhere([](uint64_t) { return true; });
  }

private:
  using Key = std::pair<std::chrono::time_point<ClockT, DurationT>, uint64_t>;

  template <typename Predicate>
  size_t cancelWhere(Predicate matches)
  {
    std::map<Key, std::function<void(bool)>> cancelled;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      for (auto it = pending_.begin(); it != pending_.end();) {
        if (matches(it->first.second)) {
          cancelled.insert(pending_.extract(it++));
        } else {
          ++it;
        }
      }
      // A handler called from the worker may cancel timers itself; waiting would never end.
      if (std::this_thread::get_id() != worker_.get_id()) {
        idle_.wait(lock, [this, &matches] { return firing_id_ == 0 || !matches(firing_id_); });
      }
    }
    for (auto & entry : cancelled) {
      entry.second(true);
    }
    return cancelled.size();
  }

  void run()
  {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!finish_) {
      if (pending_.empty()) {
        wake_.wait(lock);
        continue;
      }
      const auto deadline = pending_.begin()->first.first;
      if (ClockT::now() < deadline) {
        wake_.wait_until(lock, deadline);
        continue;
      }
      auto node = pending_.extract(pending_.begin());
      firing_id_ = node.key().second;
      lock.unlock();
      node.mapped()(false);
      lock.lock();
      firing_id_ = 0;
      idle_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::map<Key, std::function<void(bool)>> pending_;
  uint64_t last_id_ = 0;
  uint64_t firing_id_ = 0;
  bool finish_ = false;
  std::thread worker_;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATORS_TIMER_QUEUE_H
