#ifndef RCLCPP__CONTEXT_HPP_
#define RCLCPP__CONTEXT_HPP_

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <vector>

#include "rclcpp/detail/ros_arguments.hpp"
#include "rclcpp/init_options.hpp"
#include "rclcpp/macros.hpp"

namespace rclcpp
{

class ContextAlreadyInitialized : public std::runtime_error
{
public:
  ContextAlreadyInitialized() : std::runtime_error("context is already initialized") {}
};

class Context;

class OnShutdownCallbackHandle
{
  friend class Context;

public:
  using OnShutdownCallbackType = std::function<void()>;

private:
  std::weak_ptr<OnShutdownCallbackType> callback;
};

/// The lifetime of ROS in the process: initialised by rclcpp::init, ended by shutdown. Holds the
/// global ROS arguments and wakes every executor and sleeper of this context on shutdown.
class Context : public std::enable_shared_from_this<Context>
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS(Context)

  using OnShutdownCallback = OnShutdownCallbackHandle::OnShutdownCallbackType;

  Context();
  virtual ~Context();

  /// Parses the ROS arguments of argv; throws RCLInvalidROSArgsError naming a malformed one.
  virtual void init(
    int argc, char const * const argv[],
    const rclcpp::InitOptions & init_options = rclcpp::InitOptions());

  bool is_valid() const;
  const rclcpp::InitOptions & get_init_options() const;
  rclcpp::InitOptions get_init_options();
  size_t get_domain_id() const;
  std::string shutdown_reason() const;

  /// Invalidates the context, runs the on-shutdown callbacks and wakes everything waiting on it.
  /// Returns false when the context was not valid.
  virtual bool shutdown(const std::string & reason);

  OnShutdownCallback on_shutdown(OnShutdownCallback callback);
  OnShutdownCallbackHandle add_on_shutdown_callback(OnShutdownCallback callback);
  bool remove_on_shutdown_callback(const OnShutdownCallbackHandle & callback_handle);
  std::vector<OnShutdownCallback> get_on_shutdown_callbacks() const;

  /// Sleeps, returning early (false) when the context is shut down.
  bool sleep_for(const std::chrono::nanoseconds & nanoseconds);
  void interrupt_all_sleep_for();

  /// The ROS arguments given to init (before "--ros-args" processing removed them).
  const detail::RosArguments & get_global_arguments() const;

  /// What rcl would find: no context before the first init, an invalid one after shutdown.
  enum class RclState { never_initialized, valid, shut_down };
  RclState rcl_state() const;

private:
  RCLCPP_DISABLE_COPY(Context)

  void run_on_shutdown_callbacks();

  mutable std::mutex mutex_;
  bool valid_ = false;
  bool initialized_once_ = false;
  InitOptions init_options_;
  std::string shutdown_reason_;
  detail::RosArguments global_arguments_;
  std::vector<std::shared_ptr<OnShutdownCallback>> on_shutdown_callbacks_;

  std::mutex sleep_mutex_;
  std::condition_variable sleep_condition_;
  uint64_t sleep_interruptions_ = 0;
};

/// All contexts alive in the process (used by the signal handler).
std::vector<Context::SharedPtr> get_contexts();

}  // namespace rclcpp

#endif  // RCLCPP__CONTEXT_HPP_
