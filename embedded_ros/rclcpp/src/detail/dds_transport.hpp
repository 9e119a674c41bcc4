#ifndef RCLCPP__DETAIL__DDS_TRANSPORT_HPP_
#define RCLCPP__DETAIL__DDS_TRANSPORT_HPP_

#include <memory>
#include <string>

#include "rclcpp/detail/domain.hpp"
#include "rclcpp/detail/message_queue.hpp"
#include "rmw_dds/introspection_serializer.hpp"

namespace rmw_dds
{
class CycloneParticipant;
class CycloneReader;
class CycloneWriter;
}  // namespace rmw_dds

namespace rclcpp
{
namespace detail
{

/// The DDS writer of one publisher: samples of other processes' subscriptions.
class DdsPublication
{
public:
  DdsPublication(rmw_dds::CycloneParticipant & participant, const EndpointInfo & info);
  ~DdsPublication();

  /// Encodes and writes one message; a failure is logged, never thrown.
  void publish(const void * message);

private:
  std::string topic_;
  const rmw_dds::MessageMembers & members_;
  std::unique_ptr<rmw_dds::CycloneWriter> writer_;
};

/// The DDS reader of one subscription: decodes the samples of other processes into fresh
/// messages and pushes them into the subscription's inbox.
class DdsSubscription
{
public:
  DdsSubscription(
    rmw_dds::CycloneParticipant & participant, const EndpointInfo & info,
    std::weak_ptr<MessageQueue> inbox);
  ~DdsSubscription();

private:
  std::unique_ptr<rmw_dds::CycloneReader> reader_;
};

/// One DDS participant per process, switched on by RMW_IMPLEMENTATION=rmw_cyclonedds_cpp.
/// Its readers ignore the participant's own writers: entities of this process reach each other
/// in-process, DDS carries only what goes to or comes from other participants.
class DdsTransport
{
public:
  /// Nothing unless RMW_IMPLEMENTATION is rmw_cyclonedds_cpp; ROS_DOMAIN_ID picks the domain,
  /// ROS_LOCALHOST_ONLY=1 keeps traffic on loopback. A participant that cannot be created is
  /// logged and the process stays in-process.
  static std::unique_ptr<DdsTransport> from_environment();

  explicit DdsTransport(std::unique_ptr<rmw_dds::CycloneParticipant> participant);
  ~DdsTransport();

  /// Nothing for an endpoint without type support, or when DDS refuses it (logged).
  std::unique_ptr<DdsPublication> add_publication(const EndpointInfo & info);
  std::unique_ptr<DdsSubscription> add_subscription(
    const EndpointInfo & info, std::weak_ptr<MessageQueue> inbox);

private:
  std::unique_ptr<rmw_dds::CycloneParticipant> participant_;
};

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__DDS_TRANSPORT_HPP_
