#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "logging/logger.hpp"
#include "nav2_util/node_thread.hpp"
#include "rclcpp/rclcpp.hpp"
#include "rclcpp_action/rclcpp_action.hpp"

namespace nav2_util
{

/// Fixed set of worker threads taking argument-less tasks from one first-in, first-out queue.
class ThreadPool
{
public:
  explicit ThreadPool(std::size_t worker_count)
  {
    worker_threads_.reserve(worker_count);
    for (std::size_t i = 0; i < worker_count; ++i) {
      worker_threads_.emplace_back([this] { work(); });
    }
  }

  /// Runs every task still queued, then joins the workers.
  ~ThreadPool() { shutdown(); }

  ThreadPool(const ThreadPool &) = delete;
  ThreadPool & operator=(const ThreadPool &) = delete;

  /// Queues `task` for a worker; throws std::runtime_error once the pool is stopping.
  void enqueue(std::function<void()> task)
  {
    {
      std::lock_guard<std::mutex> lock(queue_mutex_);
      if (stopping_) {
        throw std::runtime_error("enqueue on stopped ThreadPool");
      }
      task_queue_.push_back(std::move(task));
      if (task_queue_.size() > 4) {
        LOG_WARN("Worker thread pool is busy with {} tasks", task_queue_.size());
      }
    }
    queue_cv_.notify_one();
  }

  /// Stops taking tasks and waits until the workers have run the queue empty and ended.
  /// Later calls return at once. Must not be called from a worker.
  void shutdown()
  {
    {
      std::lock_guard<std::mutex> lock(queue_mutex_);
      stopping_ = true;
    }
    queue_cv_.notify_all();
    for (auto & worker : worker_threads_) {
      if (worker.joinable()) {
        worker.join();
      }
    }
  }

private:
  void work()
  {
    while (true) {
      std::function<void()> task;
      {
        std::unique_lock<std::mutex> lock(queue_mutex_);
        queue_cv_.wait(lock, [this] { return stopping_ || !task_queue_.empty(); });
        if (stopping_ && task_queue_.empty()) {
          return;
        }
        task = std::move(task_queue_.front());
        task_queue_.pop_front();
      }
      running_task_ = true;
      task();
      running_task_ = false;
    }
  }

  std::vector<std::thread> worker_threads_;
  std::deque<std::function<void()>> task_queue_;
  std::mutex queue_mutex_;
  std::condition_variable queue_cv_;
  bool stopping_{false};

public:
  /// True while a worker executes a task.
  std::atomic<bool> running_task_{false};
};

/// Wraps an rclcpp_action server so that its owner writes one blocking execute callback. At most one
/// goal executes (the current goal) and at most one more waits in a pending slot; the owner's
/// callback runs on the server's own worker thread and may take the pending goal over (preemption).
template <typename ActionT>
class VelmoranSimpleActionServer
{
public:
  using ExecuteCallback = std::function<void()>;
  using CompletionCallback = std::function<void()>;
  using StateChangeCallback = std::function<void()>;
  using GoalHandle = rclcpp_action::ServerGoalHandle<ActionT>;
  using Goal = typename ActionT::Goal;
  using Result = typename ActionT::Result;
  using Feedback = typename ActionT::Feedback;

  VelmoranSimpleActionServer(
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base_interface,
    rclcpp::node_interfaces::NodeClockInterface::SharedPtr node_clock_interface,
    rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging_interface,
    rclcpp::node_interfaces::NodeWaitablesInterface::SharedPtr node_waitables_interface,
    const std::string & action_name, ExecuteCallback execute_callback,
    CompletionCallback completion_callback, bool spin_thread,
    const rcl_action_server_options_t & options)
  : worker_pool_(1),
    node_base_interface_(std::move(node_base_interface)),
    node_clock_interface_(std::move(node_clock_interface)),
    node_logging_interface_(std::move(node_logging_interface)),
    node_waitables_interface_(std::move(node_waitables_interface)),
    action_name_(action_name),
    execute_callback_(std::move(execute_callback)),
    completion_callback_(std::move(completion_callback)),
    spin_thread_(spin_thread)
  {
    using std::placeholders::_1;
    using std::placeholders::_2;

    if (spin_thread_) {
      callback_group_ = node_base_interface_->create_callback_group(
        rclcpp::CallbackGroupType::MutuallyExclusive, false);
    }

    LOG_INFO(
      "[action_name] {} options.result_service_qos.depth is {}", action_name_,
      options.result_service_qos.depth);
    LOG_INFO(
      "[action_name] {} options.result_timeout.nanoseconds is {}", action_name_,
      options.result_timeout.nanoseconds);

    action_server_ = rclcpp_action::create_server<ActionT>(
      node_base_interface_, node_clock_interface_, node_logging_interface_,
      node_waitables_interface_, action_name_,
      std::bind(&VelmoranSimpleActionServer::on_goal_request, this, _1, _2),
      std::bind(&VelmoranSimpleActionServer::on_cancel_request, this, _1),
      std::bind(&VelmoranSimpleActionServer::handle_accepted, this, _1), options, callback_group_);

    if (spin_thread_) {
      executor_ = std::make_shared<rclcpp::executors::SingleThreadedExecutor>();
      executor_->add_callback_group(callback_group_, node_base_interface_);
      executor_thread_ = std::make_unique<nav2_util::NodeThread>(executor_);
    }
  }

  /// Stops the goal callbacks, then waits for the worker to finish: the execute callback in progress
  /// uses this object until it returns.
  ~VelmoranSimpleActionServer()
  {
    {
      std::lock_guard<std::recursive_mutex> lock(state_mutex_);
      accepting_goals_ = false;
      call_state_change_callback();
    }
    executor_thread_.reset();
    worker_pool_.shutdown();
  }

  VelmoranSimpleActionServer(const VelmoranSimpleActionServer &) = delete;
  VelmoranSimpleActionServer & operator=(const VelmoranSimpleActionServer &) = delete;

  /// Called after each change that the execute callback polls for: a goal parked in the pending
  /// slot, a cancel request accepted (cancel_requested() answers true from then on), the server
  /// no longer accepting goals. It runs on the thread of the change, with the server's lock held:
  /// it must be quick and must not wait for the worker. Replaces any earlier callback.
  void set_state_change_callback(StateChangeCallback callback)
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    state_change_callback_ = std::move(callback);
  }

  void activate()
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    accepting_goals_ = true;
  }

  bool is_accepting_goals() const
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    return accepting_goals_;
  }

  bool is_preemption_pending() const
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    return preemption_pending_;
  }

  /// The goal being executed, or an empty pointer if there is none.
  std::shared_ptr<const Goal> current_goal() const
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    if (!is_active(current_goal_handle_)) {
      error_msg("A goal is not available or has reached a final state");
      return std::shared_ptr<const Goal>();
    }
    return current_goal_handle_->get_goal();
  }

  /// Makes the pending goal current, aborting the goal it replaces, and returns it.
  std::shared_ptr<const Goal> take_pending_goal()
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    if (!is_active(pending_goal_handle_)) {
      error_msg("Attempting to get pending goal when not available");
      return std::shared_ptr<const Goal>();
    }
    if (is_active(current_goal_handle_) && current_goal_handle_ != pending_goal_handle_) {
      debug_msg("Cancelling the previous goal");
      current_goal_handle_->abort(std::make_shared<Result>());
    }
    current_goal_handle_ = pending_goal_handle_;
    pending_goal_handle_.reset();
    preemption_pending_ = false;
    debug_msg("Preempted goal");
    return current_goal_handle_->get_goal();
  }

  /// Whether the client asked to cancel: the pending goal's client if one waits, else the current one's.
  bool cancel_requested() const
  {
    std::shared_ptr<GoalHandle> handle;
    {
      std::lock_guard<std::recursive_mutex> lock(state_mutex_);
      if (current_goal_handle_ == nullptr) {
        error_msg("Checking for cancel but current goal is not available");
        return false;
      }
      handle = pending_goal_handle_ != nullptr ? pending_goal_handle_ : current_goal_handle_;
      if (handle->is_canceling() || !cancel_accepted(handle)) {
        return handle->is_canceling();
      }
    }
    return await_canceling(handle);
  }

  void send_feedback(const std::shared_ptr<Feedback> & feedback)
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    if (!is_active(current_goal_handle_)) {
      error_msg("Trying to publish feedback when the current goal handle is not active");
      return;
    }
    current_goal_handle_->publish_feedback(feedback);
  }

  void succeeded_current(const std::shared_ptr<Result> & result = std::make_shared<Result>())
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    if (is_active(current_goal_handle_)) {
      debug_msg("Setting succeed on current goal.");
      current_goal_handle_->succeed(result);
      current_goal_handle_.reset();
    }
  }

  void terminate_current(const std::shared_ptr<Result> & result = std::make_shared<Result>())
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    terminate_handle(current_goal_handle_, result);
  }

private:
  rclcpp_action::GoalResponse on_goal_request(
    const rclcpp_action::GoalUUID & /*uuid*/, std::shared_ptr<const Goal> /*goal*/)
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    if (!accepting_goals_) {
      return rclcpp_action::GoalResponse::REJECT;
    }
    debug_msg("Received request for goal acceptance");
    return rclcpp_action::GoalResponse::ACCEPT_AND_EXECUTE;
  }

  rclcpp_action::CancelResponse on_cancel_request(const std::shared_ptr<GoalHandle> handle)
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    if (!handle->is_active()) {
      warn_msg(
        "Received request for goal cancellation,but the handle is inactive, so reject the request");
      return rclcpp_action::CancelResponse::REJECT;
    }
    debug_msg("Received request for goal cancellation");
    forget_settled_cancels();
    accepted_cancels_.push_back(handle);
    call_state_change_callback();
    return rclcpp_action::CancelResponse::ACCEPT;
  }

  void handle_accepted(const std::shared_ptr<GoalHandle> handle)
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    debug_msg("Receiving a new goal");

    // processing_goals_ rather than the pool's running flag: the worker may still be inside its task
    // after deciding to finish, and a goal parked then would wait for the next goal to arrive.
    if (is_active(current_goal_handle_) || processing_goals_) {
      debug_msg("An older goal is active, moving the new goal to a pending slot.");
      if (is_active(pending_goal_handle_)) {
        debug_msg(
          "The pending slot is occupied. The previous pending goal will be terminated and "
          "replaced.");
        terminate_handle(pending_goal_handle_);
      }
      pending_goal_handle_ = handle;
      preemption_pending_ = true;
      call_state_change_callback();
      return;
    }

    if (is_active(pending_goal_handle_)) {
      error_msg("Forgot to handle a preemption. Terminating the pending goal.");
      terminate_handle(pending_goal_handle_);
      preemption_pending_ = false;
    }
    current_goal_handle_ = handle;
    debug_msg("Executing goal asynchronously.");
    processing_goals_ = true;
    worker_pool_.enqueue([this] { process_goals(); });
  }

  /// Runs on the worker: executes the current goal, then every goal taken from the pending slot.
  void process_goals()
  {
    std::unique_lock<std::recursive_mutex> lock(state_mutex_);
    while (rclcpp::ok() && is_active(current_goal_handle_)) {
      lock.unlock();
      debug_msg("Executing the goal...");
      try {
        execute_callback_();
      } catch (const std::exception & ex) {
        RCLCPP_ERROR(
          node_logging_interface_->get_logger(),
          "Action server failed while executing action callback: \"%s\"", ex.what());
        lock.lock();
        terminate_all_goals();
        processing_goals_ = false;
        lock.unlock();
        call_completion_callback();
        return;
      }

      debug_msg("Blocking processing of new goal handles.");
      lock.lock();
      if (is_active(current_goal_handle_)) {
        warn_msg("Current goal was not completed successfully.");
        terminate_handle(current_goal_handle_);
        call_completion_callback();
      }
      if (!is_active(pending_goal_handle_)) {
        debug_msg("Done processing available goals.");
        break;
      }
      debug_msg("Executing a pending handle on the existing thread.");
      take_pending_goal();
    }
    processing_goals_ = false;
    lock.unlock();
    debug_msg("Worker thread done.");
  }

  /// Ends an active handle, as canceled if its client asked for that, else as aborted; then clears it.
  void terminate_handle(
    std::shared_ptr<GoalHandle> & handle,
    const std::shared_ptr<Result> & result = std::make_shared<Result>())
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    if (!is_active(handle)) {
      return;
    }
    if (handle->is_canceling()) {
      warn_msg("Client requested to cancel the goal. Cancelling.");
      handle->canceled(result);
    } else {
      warn_msg("Aborting handle.");
      handle->abort(result);
    }
    handle.reset();
  }

  void terminate_all_goals(const std::shared_ptr<Result> & result = std::make_shared<Result>())
  {
    std::lock_guard<std::recursive_mutex> lock(state_mutex_);
    terminate_handle(current_goal_handle_, result);
    terminate_handle(pending_goal_handle_, result);
    preemption_pending_ = false;
  }

  /// Whether this server accepted a cancel request for `handle` that rclcpp_action has not yet
  /// carried out. Under the lock.
  bool cancel_accepted(const std::shared_ptr<GoalHandle> & handle) const
  {
    for (const auto & accepted : accepted_cancels_) {
      if (!accepted.owner_before(handle) && !handle.owner_before(accepted)) {
        return true;
      }
    }
    return false;
  }

  /// rclcpp_action marks a goal canceling only after on_cancel_request has returned, so a poll
  /// woken by that callback can come first. Waits for the mark, which follows within moments;
  /// false if the goal ends instead or the mark does not come.
  bool await_canceling(const std::shared_ptr<GoalHandle> & handle) const
  {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    while (handle->is_active() && !handle->is_canceling()) {
      if (std::chrono::steady_clock::now() >= deadline) {
        return false;
      }
      std::this_thread::yield();
    }
    return handle->is_canceling();
  }

  /// Drops the accepted cancels that have been carried out or whose goal has ended. Under the lock.
  void forget_settled_cancels()
  {
    accepted_cancels_.erase(
      std::remove_if(
        accepted_cancels_.begin(), accepted_cancels_.end(),
        [](const std::weak_ptr<GoalHandle> & accepted) {
          const auto handle = accepted.lock();
          return handle == nullptr || !handle->is_active() || handle->is_canceling();
        }),
      accepted_cancels_.end());
  }

  void call_state_change_callback() const
  {
    if (state_change_callback_) {
      state_change_callback_();
    }
  }

  void call_completion_callback() const
  {
    if (completion_callback_) {
      completion_callback_();
    }
  }

  static bool is_active(const std::shared_ptr<GoalHandle> & handle)
  {
    return handle != nullptr && handle->is_active();
  }

  void debug_msg(const std::string & message) const
  {
    RCLCPP_DEBUG(
      node_logging_interface_->get_logger(), "[%s] [ActionServer] %s", action_name_.c_str(),
      message.c_str());
  }

  void warn_msg(const std::string & message) const
  {
    RCLCPP_WARN(
      node_logging_interface_->get_logger(), "[%s] [ActionServer] %s", action_name_.c_str(),
      message.c_str());
  }

  void error_msg(const std::string & message) const
  {
    RCLCPP_ERROR(
      node_logging_interface_->get_logger(), "[%s] [ActionServer] %s", action_name_.c_str(),
      message.c_str());
  }

  ThreadPool worker_pool_;
  rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base_interface_;
  rclcpp::node_interfaces::NodeClockInterface::SharedPtr node_clock_interface_;
  rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging_interface_;
  rclcpp::node_interfaces::NodeWaitablesInterface::SharedPtr node_waitables_interface_;
  std::string action_name_;
  ExecuteCallback execute_callback_;
  CompletionCallback completion_callback_;

  mutable std::recursive_mutex state_mutex_;
  bool accepting_goals_{false};
  bool preemption_pending_{false};
  // True from queuing process_goals until it has decided to finish, under state_mutex_.
  bool processing_goals_{false};
  std::shared_ptr<GoalHandle> current_goal_handle_;
  std::shared_ptr<GoalHandle> pending_goal_handle_;
  // Cancel requests accepted here and not yet seen carried out, under state_mutex_.
  std::vector<std::weak_ptr<GoalHandle>> accepted_cancels_;
  StateChangeCallback state_change_callback_;

  typename rclcpp_action::Server<ActionT>::SharedPtr action_server_;
  bool spin_thread_;
  rclcpp::CallbackGroup::SharedPtr callback_group_{nullptr};
  rclcpp::executors::SingleThreadedExecutor::SharedPtr executor_;
  std::unique_ptr<nav2_util::NodeThread> executor_thread_;
};

}  // namespace nav2_util
