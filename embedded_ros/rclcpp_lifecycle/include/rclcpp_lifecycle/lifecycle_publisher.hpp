// A publisher that publishes only while its lifecycle node is active.
#ifndef RCLCPP_LIFECYCLE__LIFECYCLE_PUBLISHER_HPP_
#define RCLCPP_LIFECYCLE__LIFECYCLE_PUBLISHER_HPP_

#include <atomic>
#include <memory>
#include <string>
#include <utility>

#include <rclcpp/logger.hpp>
#include <rclcpp/logging.hpp>
#include <rclcpp/publisher.hpp>

#include "rclcpp_lifecycle/managed_entity.hpp"

namespace rclcpp_lifecycle
{
/// Messages published while the publisher is not activated are dropped; the first drop after
/// each deactivation is reported with a warning.
template <typename MessageT, typename Alloc = std::allocator<void>>
class LifecyclePublisher : public SimpleManagedEntity, public rclcpp::Publisher<MessageT, Alloc>
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS(LifecyclePublisher)

  using MessageDeleter = typename rclcpp::Publisher<MessageT, Alloc>::MessageDeleter;
  using MessageUniquePtr = std::unique_ptr<MessageT, MessageDeleter>;

  LifecyclePublisher(
    rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & topic,
    const rclcpp::QoS & qos, const rclcpp::PublisherOptionsWithAllocator<Alloc> & options)
  : rclcpp::Publisher<MessageT, Alloc>(node_base, topic, qos, options),
    logger_(rclcpp::get_logger("LifecyclePublisher"))
  {
  }

  ~LifecyclePublisher() override = default;

  void publish(std::unique_ptr<MessageT, MessageDeleter> msg) override
  {
    if (!this->is_activated()) {
      log_publisher_not_enabled();
      return;
    }
    rclcpp::Publisher<MessageT, Alloc>::publish(std::move(msg));
  }

  void publish(const MessageT & msg) override
  {
    if (!this->is_activated()) {
      log_publisher_not_enabled();
      return;
    }
    rclcpp::Publisher<MessageT, Alloc>::publish(msg);
  }

  void on_activate() override { SimpleManagedEntity::on_activate(); }

  void on_deactivate() override
  {
    SimpleManagedEntity::on_deactivate();
    should_log_ = true;
  }

private:
  void log_publisher_not_enabled()
  {
    if (!should_log_.exchange(false)) {
      return;
    }
    RCLCPP_WARN(
      logger_, "Trying to publish message on the topic '%s', but the publisher is not activated",
      this->get_topic_name());
  }

  std::atomic<bool> should_log_{true};
  rclcpp::Logger logger_;
};

}  // namespace rclcpp_lifecycle

#endif  // RCLCPP_LIFECYCLE__LIFECYCLE_PUBLISHER_HPP_
