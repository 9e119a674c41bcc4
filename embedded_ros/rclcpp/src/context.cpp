#include "rclcpp/context.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "rclcpp/detail/domain.hpp"
#include "rclcpp/exceptions.hpp"

namespace rclcpp
{

namespace
{

std::mutex & registry_mutex()
{
  static std::mutex mutex;
  return mutex;
}

std::vector<std::weak_ptr<Context>> & registry()
{
  static std::vector<std::weak_ptr<Context>> contexts;
  return contexts;
}

void register_context(const Context::SharedPtr & context)
{
  std::lock_guard<std::mutex> lock(registry_mutex());
  auto & contexts = registry();
  contexts.erase(
    std::remove_if(
      contexts.begin(), contexts.end(),
      [](const std::weak_ptr<Context> & weak) { return weak.expired(); }),
    contexts.end());
  contexts.push_back(context);
}

}  // namespace

std::vector<Context::SharedPtr> get_contexts()
{
  std::lock_guard<std::mutex> lock(registry_mutex());
  std::vector<Context::SharedPtr> contexts;
  for (const auto & weak : registry()) {
    if (auto context = weak.lock()) {
      contexts.push_back(context);
    }
  }
  return contexts;
}

Context::Context() = default;

Context::~Context()
{
  if (is_valid()) {
    shutdown("context destructor was called while still not shutdown");
  }
}

void Context::init(int argc, char const * const argv[], const rclcpp::InitOptions & init_options)
{
  std::vector<std::string> arguments;
  for (int i = 0; i < argc && argv != nullptr; ++i) {
    arguments.emplace_back(argv[i] ? argv[i] : "");
  }
  detail::RosArguments parsed;
  try {
    parsed = detail::RosArguments::parse(arguments);
  } catch (const exceptions::RCLInvalidROSArgsError & error) {
    throw exceptions::RCLInvalidROSArgsError(error, "failed to initialize rcl");
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (valid_) {
      throw ContextAlreadyInitialized();
    }
    init_options_ = init_options;
    global_arguments_ = parsed;
    shutdown_reason_.clear();
    valid_ = true;
    initialized_once_ = true;
  }
  parsed.apply_log_levels();
  register_context(shared_from_this());
}

bool Context::is_valid() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return valid_;
}

Context::RclState Context::rcl_state() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  if (valid_) {
    return RclState::valid;
  }
  return initialized_once_ ? RclState::shut_down : RclState::never_initialized;
}

const rclcpp::InitOptions & Context::get_init_options() const { return init_options_; }

rclcpp::InitOptions Context::get_init_options()
{
  std::lock_guard<std::mutex> lock(mutex_);
  return init_options_;
}

size_t Context::get_domain_id() const { return init_options_.get_domain_id(); }

std::string Context::shutdown_reason() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return shutdown_reason_;
}

bool Context::shutdown(const std::string & reason)
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!valid_) {
      return false;
    }
    valid_ = false;
    shutdown_reason_ = reason;
  }
  run_on_shutdown_callbacks();
  interrupt_all_sleep_for();
  detail::Domain::global().notify_graph_change();
  return true;
}

void Context::run_on_shutdown_callbacks()
{
  std::vector<std::shared_ptr<OnShutdownCallback>> callbacks;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    callbacks = on_shutdown_callbacks_;
  }
  for (const auto & callback : callbacks) {
    (*callback)();
  }
}

Context::OnShutdownCallback Context::on_shutdown(OnShutdownCallback callback)
{
  add_on_shutdown_callback(callback);
  return callback;
}

OnShutdownCallbackHandle Context::add_on_shutdown_callback(OnShutdownCallback callback)
{
  auto shared = std::make_shared<OnShutdownCallback>(std::move(callback));
  std::lock_guard<std::mutex> lock(mutex_);
  on_shutdown_callbacks_.push_back(shared);
  OnShutdownCallbackHandle handle;
  handle.callback = shared;
  return handle;
}

bool Context::remove_on_shutdown_callback(const OnShutdownCallbackHandle & callback_handle)
{
  auto callback = callback_handle.callback.lock();
  if (!callback) {
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find(on_shutdown_callbacks_.begin(), on_shutdown_callbacks_.end(), callback);
  if (it == on_shutdown_callbacks_.end()) {
    return false;
  }
  on_shutdown_callbacks_.erase(it);
  return true;
}

std::vector<Context::OnShutdownCallback> Context::get_on_shutdown_callbacks() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<OnShutdownCallback> callbacks;
  for (const auto & callback : on_shutdown_callbacks_) {
    callbacks.push_back(*callback);
  }
  return callbacks;
}

bool Context::sleep_for(const std::chrono::nanoseconds & nanoseconds)
{
  std::unique_lock<std::mutex> lock(sleep_mutex_);
  // Checked under the sleep lock: a shutdown after this check must take the lock to interrupt.
  if (!is_valid()) {
    return false;
  }
  const uint64_t interruptions = sleep_interruptions_;
  const auto deadline = std::chrono::steady_clock::now() + nanoseconds;
  sleep_condition_.wait_until(
    lock, deadline, [this, interruptions]() { return sleep_interruptions_ != interruptions; });
  return sleep_interruptions_ == interruptions && is_valid();
}

void Context::interrupt_all_sleep_for()
{
  {
    std::lock_guard<std::mutex> lock(sleep_mutex_);
    ++sleep_interruptions_;
  }
  sleep_condition_.notify_all();
}

const detail::RosArguments & Context::get_global_arguments() const { return global_arguments_; }

}  // namespace rclcpp
