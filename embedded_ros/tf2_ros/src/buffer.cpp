#include "tf2_ros/buffer.h"

#include <tf2/buffer_core.h>
#include <tf2/exceptions.h>

#include <algorithm>
#include <sstream>
#include <utility>

#include <rclcpp/contexts/default_context.hpp>
#include <rclcpp/logging.hpp>
#include <rclcpp/node.hpp>
#include <rclcpp/utilities.hpp>

#include "arrival_signal.hpp"
#include "ros1_conversions.hpp"

namespace tf2_ros
{
namespace
{
void append_timeout_info(
  std::string * errstr, const rclcpp::Time & start_time, const rclcpp::Time & current_time,
  const tf2::Duration & timeout)
{
  if (errstr) {
    std::stringstream ss;
    ss << ". canTransform returned after " << (current_time - start_time).seconds()
       << " timeout was " << tf2::durationToSec(timeout) << ".";
    (*errstr) += ss.str();
  }
}

std::chrono::steady_clock::time_point deadline_after(const tf2::Duration & timeout)
{
  return std::chrono::steady_clock::now() + std::max(timeout, tf2::Duration::zero());
}

}  // namespace

struct Buffer::PendingWait
{
  std::shared_ptr<std::promise<geometry_msgs::msg::TransformStamped>> promise;
  TransformStampedFuture future;
  TransformReadyCallback callback;
  std::string target_frame;
  std::string source_frame;
  tf2::TimePoint time;
  bool has_timer = false;
  TimerHandle timer_handle = 0;
};

Buffer::Buffer(
  rclcpp::Clock::SharedPtr clock, tf2::Duration cache_time, std::shared_ptr<rclcpp::Node> node)
: clock_(std::move(clock)),
  node_(std::move(node)),
  core_(std::make_unique<tf2::BufferCore>(detail::to_ros1(cache_time))),
  arrival_signal_(std::make_shared<detail::ArrivalSignal>())
{
  transformable_callback_handle_ = core_->addTransformableCallback(
    [this](
      tf2::TransformableRequestHandle request_handle, const std::string &, const std::string &,
      ros::Time, tf2::TransformableResult result) {
      onTransformable(request_handle, result == tf2::TransformAvailable);
    });
  std::weak_ptr<detail::ArrivalSignal> weak_signal = arrival_signal_;
  shutdown_callback_handle_ =
    rclcpp::contexts::get_global_default_context()->add_on_shutdown_callback([weak_signal]() {
      if (auto signal = weak_signal.lock()) {
        signal->notify();
      }
    });
}

Buffer::~Buffer()
{
  rclcpp::contexts::get_global_default_context()->remove_on_shutdown_callback(
    shutdown_callback_handle_);
  core_->removeTransformableCallback(transformable_callback_handle_);
  std::lock_guard<std::mutex> lock(pending_waits_mutex_);
  for (auto & entry : pending_waits_) {
    core_->cancelTransformableRequest(entry.first);
    if (entry.second->has_timer) {
      try {
        timer_interface_->remove(entry.second->timer_handle);
      } catch (const InvalidTimerHandleException &) {
        // The timer interface forgot the timer already.
      }
    }
  }
}

bool Buffer::setTransform(
  const geometry_msgs::msg::TransformStamped & transform, const std::string & authority,
  bool is_static)
{
  bool stored = false;
  try {
    stored = core_->setTransform(detail::to_ros1(transform), authority, is_static);
  } catch (const tf2::TransformException & e) {
    RCLCPP_ERROR(
      getLogger(), "Ignoring transform from authority \"%s\": %s", authority.c_str(), e.what());
  }
  if (stored) {
    arrival_signal_->notify();
  }
  return stored;
}

geometry_msgs::msg::TransformStamped Buffer::lookupTransform(
  const std::string & target_frame, const std::string & source_frame,
  const tf2::TimePoint & time) const
{
  return detail::from_ros1(
    core_->lookupTransform(target_frame, source_frame, detail::to_ros1(time)));
}

geometry_msgs::msg::TransformStamped Buffer::lookupTransform(
  const std::string & target_frame, const tf2::TimePoint & target_time,
  const std::string & source_frame, const tf2::TimePoint & source_time,
  const std::string & fixed_frame) const
{
  return detail::from_ros1(core_->lookupTransform(
    target_frame, detail::to_ros1(target_time), source_frame, detail::to_ros1(source_time),
    fixed_frame));
}

geometry_msgs::msg::TransformStamped Buffer::lookupTransform(
  const std::string & target_frame, const std::string & source_frame, const tf2::TimePoint & time,
  const tf2::Duration timeout) const
{
  // The wait's own error text is not wanted: the look-up throws the precise one.
  std::string error;
  canTransform(target_frame, source_frame, time, timeout, &error);
  return lookupTransform(target_frame, source_frame, time);
}

geometry_msgs::msg::TransformStamped Buffer::lookupTransform(
  const std::string & target_frame, const std::string & source_frame, const rclcpp::Time & time,
  const rclcpp::Duration timeout) const
{
  return lookupTransform(target_frame, source_frame, fromRclcpp(time), fromRclcpp(timeout));
}

geometry_msgs::msg::TransformStamped Buffer::lookupTransform(
  const std::string & target_frame, const tf2::TimePoint & target_time,
  const std::string & source_frame, const tf2::TimePoint & source_time,
  const std::string & fixed_frame, const tf2::Duration timeout) const
{
  std::string error;
  canTransform(target_frame, target_time, source_frame, source_time, fixed_frame, timeout, &error);
  return lookupTransform(target_frame, target_time, source_frame, source_time, fixed_frame);
}

geometry_msgs::msg::TransformStamped Buffer::lookupTransform(
  const std::string & target_frame, const rclcpp::Time & target_time,
  const std::string & source_frame, const rclcpp::Time & source_time,
  const std::string & fixed_frame, const rclcpp::Duration timeout) const
{
  return lookupTransform(
    target_frame, fromRclcpp(target_time), source_frame, fromRclcpp(source_time), fixed_frame,
    fromRclcpp(timeout));
}

bool Buffer::canTransform(
  const std::string & target_frame, const std::string & source_frame, const tf2::TimePoint & time,
  std::string * error_msg) const
{
  try {
    return core_->canTransform(target_frame, source_frame, detail::to_ros1(time), error_msg);
  } catch (const tf2::TransformException & e) {
    if (error_msg) {
      *error_msg = e.what();
    }
    return false;
  }
}

bool Buffer::canTransform(
  const std::string & target_frame, const tf2::TimePoint & target_time,
  const std::string & source_frame, const tf2::TimePoint & source_time,
  const std::string & fixed_frame, std::string * error_msg) const
{
  try {
    return core_->canTransform(
      target_frame, detail::to_ros1(target_time), source_frame, detail::to_ros1(source_time),
      fixed_frame, error_msg);
  } catch (const tf2::TransformException & e) {
    if (error_msg) {
      *error_msg = e.what();
    }
    return false;
  }
}

bool Buffer::canTransform(
  const std::string & target_frame, const std::string & source_frame, const tf2::TimePoint & time,
  const tf2::Duration timeout, std::string * errstr) const
{
  if (timeout != tf2::Duration::zero() && !checkAndErrorDedicatedThreadPresent(errstr)) {
    return false;
  }
  const rclcpp::Time start_time = clock_->now();
  arrival_signal_->wait_until(
    [&] { return canTransform(target_frame, source_frame, time); }, [] { return rclcpp::ok(); },
    deadline_after(timeout));
  const bool result = canTransform(target_frame, source_frame, time, errstr);
  append_timeout_info(errstr, start_time, clock_->now(), timeout);
  return result;
}

bool Buffer::canTransform(
  const std::string & target_frame, const std::string & source_frame, const rclcpp::Time & time,
  const rclcpp::Duration timeout, std::string * errstr) const
{
  return canTransform(target_frame, source_frame, fromRclcpp(time), fromRclcpp(timeout), errstr);
}

bool Buffer::canTransform(
  const std::string & target_frame, const tf2::TimePoint & target_time,
  const std::string & source_frame, const tf2::TimePoint & source_time,
  const std::string & fixed_frame, const tf2::Duration timeout, std::string * errstr) const
{
  if (timeout != tf2::Duration::zero() && !checkAndErrorDedicatedThreadPresent(errstr)) {
    return false;
  }
  const rclcpp::Time start_time = clock_->now();
  arrival_signal_->wait_until(
    [&] { return canTransform(target_frame, target_time, source_frame, source_time, fixed_frame); },
    [] { return rclcpp::ok(); }, deadline_after(timeout));
  const bool result =
    canTransform(target_frame, target_time, source_frame, source_time, fixed_frame, errstr);
  append_timeout_info(errstr, start_time, clock_->now(), timeout);
  return result;
}

bool Buffer::canTransform(
  const std::string & target_frame, const rclcpp::Time & target_time,
  const std::string & source_frame, const rclcpp::Time & source_time,
  const std::string & fixed_frame, const rclcpp::Duration timeout, std::string * errstr) const
{
  return canTransform(
    target_frame, fromRclcpp(target_time), source_frame, fromRclcpp(source_time), fixed_frame,
    fromRclcpp(timeout), errstr);
}

TransformStampedFuture Buffer::waitForTransform(
  const std::string & target_frame, const std::string & source_frame, const tf2::TimePoint & time,
  const tf2::Duration & timeout, TransformReadyCallback callback)
{
  if (nullptr == timer_interface_) {
    throw CreateTimerInterfaceException("timer interface not set before call to waitForTransform");
  }
  auto wait = std::make_shared<PendingWait>();
  wait->promise = std::make_shared<std::promise<geometry_msgs::msg::TransformStamped>>();
  wait->future = TransformStampedFuture(wait->promise->get_future().share());
  wait->callback = std::move(callback);
  wait->target_frame = target_frame;
  wait->source_frame = source_frame;
  wait->time = time;

  tf2::TransformableRequestHandle handle;
  {
    // Held while registering, so that an arrival in between finds the wait recorded.
    std::lock_guard<std::mutex> lock(pending_waits_mutex_);
    handle = core_->addTransformableRequest(
      transformable_callback_handle_, target_frame, source_frame, detail::to_ros1(time));
    wait->future.setHandle(handle);
    if (handle != 0 && handle != 0xffffffffffffffffULL) {
      wait->timer_handle = timer_interface_->createTimer(
        clock_, timeout, [this](const TimerHandle & timer_handle) { onWaitTimeout(timer_handle); });
      wait->has_timer = true;
      pending_waits_[handle] = wait;
      return wait->future;
    }
  }
  if (handle == 0) {
    // Transformable already.
    wait->promise->set_value(lookupTransform(target_frame, source_frame, time));
  } else {
    wait->promise->set_exception(std::make_exception_ptr(
      tf2::LookupException("Failed to transform from " + source_frame + " to " + target_frame)));
  }
  wait->callback(wait->future);
  return wait->future;
}

TransformStampedFuture Buffer::waitForTransform(
  const std::string & target_frame, const std::string & source_frame, const rclcpp::Time & time,
  const rclcpp::Duration & timeout, TransformReadyCallback callback)
{
  return waitForTransform(
    target_frame, source_frame, fromRclcpp(time), fromRclcpp(timeout), std::move(callback));
}

void Buffer::cancel(const TransformStampedFuture & ts_future)
{
  std::lock_guard<std::mutex> lock(pending_waits_mutex_);
  auto entry = pending_waits_.find(ts_future.getHandle());
  if (entry == pending_waits_.end()) {
    return;
  }
  core_->cancelTransformableRequest(entry->first);
  if (entry->second->has_timer) {
    timer_interface_->remove(entry->second->timer_handle);
  }
  pending_waits_.erase(entry);
}

void Buffer::onTransformable(tf2::TransformableRequestHandle request_handle, bool available)
{
  std::shared_ptr<PendingWait> wait;
  {
    std::lock_guard<std::mutex> lock(pending_waits_mutex_);
    auto entry = pending_waits_.find(request_handle);
    if (entry == pending_waits_.end()) {
      return;
    }
    wait = entry->second;
    pending_waits_.erase(entry);
    if (wait->has_timer) {
      timer_interface_->remove(wait->timer_handle);
    }
  }
  if (available) {
    try {
      wait->promise->set_value(lookupTransform(wait->target_frame, wait->source_frame, wait->time));
    } catch (const tf2::TransformException &) {
      wait->promise->set_exception(std::current_exception());
    }
  } else {
    wait->promise->set_exception(std::make_exception_ptr(tf2::LookupException(
      "Failed to transform from " + wait->source_frame + " to " + wait->target_frame)));
  }
  wait->callback(wait->future);
}

void Buffer::onWaitTimeout(const TimerHandle & timer_handle)
{
  std::shared_ptr<PendingWait> wait;
  {
    std::lock_guard<std::mutex> lock(pending_waits_mutex_);
    for (auto entry = pending_waits_.begin(); entry != pending_waits_.end(); ++entry) {
      if (entry->second->has_timer && entry->second->timer_handle == timer_handle) {
        wait = entry->second;
        core_->cancelTransformableRequest(entry->first);
        timer_interface_->remove(timer_handle);
        pending_waits_.erase(entry);
        break;
      }
    }
  }
  if (!wait) {
    return;
  }
  wait->promise->set_exception(
    std::make_exception_ptr(tf2::TimeoutException("Timed out waiting for transform")));
  wait->callback(wait->future);
}

void Buffer::setCreateTimerInterface(CreateTimerInterface::SharedPtr create_timer_interface)
{
  std::lock_guard<std::mutex> lock(pending_waits_mutex_);
  timer_interface_ = std::move(create_timer_interface);
}

void Buffer::setUsingDedicatedThread(bool value) { using_dedicated_thread_ = value; }

bool Buffer::isUsingDedicatedThread() const { return using_dedicated_thread_; }

void Buffer::clear() { core_->clear(); }

std::string Buffer::allFramesAsString() const { return core_->allFramesAsString(); }

std::string Buffer::allFramesAsYAML() const { return core_->allFramesAsYAML(); }

bool Buffer::_frameExists(const std::string & frame_id_str) const
{
  return core_->_frameExists(frame_id_str);
}

void Buffer::_getFrameStrings(std::vector<std::string> & ids) const
{
  core_->_getFrameStrings(ids);
}

tf2::Duration Buffer::getCacheLength() const { return detail::from_ros1(core_->getCacheLength()); }

bool Buffer::checkAndErrorDedicatedThreadPresent(std::string * errstr) const
{
  if (isUsingDedicatedThread()) {
    return true;
  }
  if (errstr) {
    *errstr = threading_error;
  }
  RCLCPP_ERROR(getLogger(), "%s", threading_error);
  return false;
}

rclcpp::Logger Buffer::getLogger() const
{
  return node_ ? node_->get_logger() : rclcpp::get_logger("tf2_buffer");
}

}  // namespace tf2_ros
