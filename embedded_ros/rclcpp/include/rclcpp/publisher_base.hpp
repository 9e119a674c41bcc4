#ifndef RCLCPP__PUBLISHER_BASE_HPP_
#define RCLCPP__PUBLISHER_BASE_HPP_

#include <cstdint>
#include <memory>
#include <string>

#include "rclcpp/macros.hpp"
#include "rclcpp/qos.hpp"
#include "rosidl_runtime_c/message_type_support_struct.h"

namespace rclcpp
{

namespace node_interfaces
{
class NodeBaseInterface;
}  // namespace node_interfaces

/// The type-independent part of a publisher: its endpoint in the domain.
class PublisherBase : public std::enable_shared_from_this<PublisherBase>
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS(PublisherBase)

  /// Resolves `topic` against the node and registers the publisher. Throws
  /// rclcpp::exceptions::InvalidTopicNameError for an invalid name. `type_support` is the
  /// type's introspection type support, which a network transport needs to encode messages.
  PublisherBase(
    rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & topic,
    const std::string & type_name, const rclcpp::QoS & qos,
    const rosidl_message_type_support_t * type_support = nullptr);
  virtual ~PublisherBase();

  const char * get_topic_name() const;
  size_t get_queue_size() const;
  size_t get_subscription_count() const;
  size_t get_intra_process_subscription_count() const;
  rclcpp::QoS get_actual_qos() const;
  bool can_loan_messages() const { return false; }

  bool operator==(const PublisherBase & other) const { return this == &other; }

protected:
  /// Hands a message to the domain for delivery to the matching subscriptions.
  void do_publish(std::shared_ptr<const void> message);

private:
  RCLCPP_DISABLE_COPY(PublisherBase)

  std::string topic_name_;
  rclcpp::QoS qos_;
  uint64_t id_;
};

}  // namespace rclcpp

#endif  // RCLCPP__PUBLISHER_BASE_HPP_
