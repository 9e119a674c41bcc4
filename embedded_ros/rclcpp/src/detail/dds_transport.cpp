#include "detail/dds_transport.hpp"

#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "rclcpp/logging.hpp"
#include "rmw_dds/cdr_error.hpp"
#include "rmw_dds/cyclone_participant.hpp"
#include "rmw_dds/names.hpp"
#include "rmw_dds/qos.hpp"
#include "rosidl_runtime_cpp/message_initialization.hpp"

namespace rclcpp
{
namespace detail
{
namespace
{

rclcpp::Logger logger() { return rclcpp::get_logger("rmw_dds"); }

const rmw_dds::MessageMembers & members_of(const EndpointInfo & info)
{
  return *static_cast<const rmw_dds::MessageMembers *>(info.type_support->data);
}

std::string environment(const char * name)
{
  const char * value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

/// Loopback only, with unicast discovery of the other participants on this machine (the
/// loopback interface has no multicast).
constexpr char kLocalhostOnly[] =
  "<CycloneDDS><Domain><General><Interfaces><NetworkInterface address=\"127.0.0.1\"/>"
  "</Interfaces><AllowMulticast>false</AllowMulticast></General>"
  "<Discovery><ParticipantIndex>auto</ParticipantIndex><MaxAutoParticipantIndex>120"
  "</MaxAutoParticipantIndex><Peers><Peer address=\"127.0.0.1\"/></Peers></Discovery>"
  "</Domain></CycloneDDS>";

/// A default-initialised message of the type `members` describes, destroyed with its type's
/// own finaliser.
std::shared_ptr<void> make_message(const rmw_dds::MessageMembers & members)
{
  void * storage = ::operator new(members.size_of_);
  try {
    members.init_function(storage, rosidl_runtime_cpp::MessageInitialization::ALL);
  } catch (...) {
    ::operator delete(storage);
    throw;
  }
  const rmw_dds::MessageMembers * type = &members;
  return std::shared_ptr<void>(storage, [type](void * message) {
    type->fini_function(message);
    ::operator delete(message);
  });
}

}  // namespace

DdsPublication::DdsPublication(rmw_dds::CycloneParticipant & participant, const EndpointInfo & info)
: topic_(info.name),
  members_(members_of(info)),
  writer_(std::make_unique<rmw_dds::CycloneWriter>(
    participant, rmw_dds::dds_topic(info.name, members_), rmw_dds::to_dds_qos(info.qos)))
{
}

DdsPublication::~DdsPublication() = default;

void DdsPublication::publish(const void * message)
{
  try {
    writer_->write(rmw_dds::serialize_message(members_, message));
  } catch (const std::exception & error) {
    RCLCPP_ERROR(
      logger(), "Could not send a message on topic '%s' over DDS: %s", topic_.c_str(),
      error.what());
  }
}

DdsSubscription::DdsSubscription(
  rmw_dds::CycloneParticipant & participant, const EndpointInfo & info,
  std::weak_ptr<MessageQueue> inbox)
{
  const rmw_dds::MessageMembers & members = members_of(info);
  auto on_sample = [type = &members, topic = info.name,
                    inbox = std::move(inbox)](std::vector<uint8_t> sample) {
    auto target = inbox.lock();
    if (!target) {
      return;
    }
    try {
      auto message = make_message(*type);
      rmw_dds::deserialize_message(*type, sample.data(), sample.size(), message.get());
      target->push(std::move(message));
    } catch (const rmw_dds::CdrError & error) {
      RCLCPP_WARN(
        logger(), "Dropped a malformed sample on topic '%s': %s", topic.c_str(), error.what());
    } catch (const std::exception & error) {
      RCLCPP_ERROR(
        logger(), "Could not take a sample on topic '%s': %s", topic.c_str(), error.what());
    }
  };
  reader_ = std::make_unique<rmw_dds::CycloneReader>(
    participant, rmw_dds::dds_topic(info.name, members),
    rmw_dds::to_dds_qos(info.qos, /*ignore_local_publications=*/true), std::move(on_sample));
}

DdsSubscription::~DdsSubscription() = default;

std::unique_ptr<DdsTransport> DdsTransport::from_environment()
{
  if (environment("RMW_IMPLEMENTATION") != "rmw_cyclonedds_cpp") {
    return nullptr;
  }
  uint32_t domain_id = 0;
  const std::string domain = environment("ROS_DOMAIN_ID");
  if (!domain.empty()) {
    char * end = nullptr;
    const unsigned long value = std::strtoul(domain.c_str(), &end, 10);
    if (*end != '\0' || value > 232) {
      RCLCPP_ERROR(
        logger(), "ROS_DOMAIN_ID '%s' is not a domain id from 0 to 232: DDS stays off",
        domain.c_str());
      return nullptr;
    }
    domain_id = static_cast<uint32_t>(value);
  }
  std::string config;
  if (environment("ROS_LOCALHOST_ONLY") == "1") {
    // A configuration handed to the domain replaces CYCLONEDDS_URI, so it goes in front.
    const std::string uri = environment("CYCLONEDDS_URI");
    config = uri.empty() ? kLocalhostOnly : uri + "," + kLocalhostOnly;
  }
  try {
    return std::make_unique<DdsTransport>(
      std::make_unique<rmw_dds::CycloneParticipant>(domain_id, config));
  } catch (const std::exception & error) {
    RCLCPP_ERROR(logger(), "Could not join DDS domain %u: %s", domain_id, error.what());
    return nullptr;
  }
}

DdsTransport::DdsTransport(std::unique_ptr<rmw_dds::CycloneParticipant> participant)
: participant_(std::move(participant))
{
}

DdsTransport::~DdsTransport() = default;

std::unique_ptr<DdsPublication> DdsTransport::add_publication(const EndpointInfo & info)
{
  if (info.type_support == nullptr) {
    return nullptr;
  }
  try {
    return std::make_unique<DdsPublication>(*participant_, info);
  } catch (const std::exception & error) {
    RCLCPP_ERROR(logger(), "No DDS writer for topic '%s': %s", info.name.c_str(), error.what());
    return nullptr;
  }
}

std::unique_ptr<DdsSubscription> DdsTransport::add_subscription(
  const EndpointInfo & info, std::weak_ptr<MessageQueue> inbox)
{
  if (info.type_support == nullptr) {
    return nullptr;
  }
  try {
    return std::make_unique<DdsSubscription>(*participant_, info, std::move(inbox));
  } catch (const std::exception & error) {
    RCLCPP_ERROR(logger(), "No DDS reader for topic '%s': %s", info.name.c_str(), error.what());
    return nullptr;
  }
}

}  // namespace detail
}  // namespace rclcpp
