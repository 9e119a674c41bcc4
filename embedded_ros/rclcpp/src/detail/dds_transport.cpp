#include "detail/dds_transport.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "rclcpp/logging.hpp"
#include "rmw_dds/cdr_error.hpp"
#include "rmw_dds/cyclone_participant.hpp"
#include "rmw_dds/localhost_config.hpp"
#include "rmw_dds/names.hpp"
#include "rmw_dds/qos.hpp"
#include "rmw_dds/request_header.hpp"
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

const rmw_dds::ServiceMembers & service_members_of(const EndpointInfo & info)
{
  return *static_cast<const rmw_dds::ServiceMembers *>(info.service_type_support->data);
}

/// A fresh message of `members` filled by `read`; nothing when the sample is malformed (logged
/// with the DDS topic's name).
template <typename Read>
std::shared_ptr<void> decode(
  const rmw_dds::MessageMembers & members, const std::string & topic, Read && read)
{
  try {
    auto message = make_message(members);
    read(message.get());
    return message;
  } catch (const rmw_dds::CdrError & error) {
    RCLCPP_WARN(
      logger(), "Dropped a malformed sample on topic '%s': %s", topic.c_str(), error.what());
  } catch (const std::exception & error) {
    RCLCPP_ERROR(
      logger(), "Could not take a sample on topic '%s': %s", topic.c_str(), error.what());
  }
  return nullptr;
}

/// Runs `on_graph_change` on every match or loss of a remote peer.
rmw_dds::MatchCallback graph_notifier(const std::function<void()> & on_graph_change)
{
  return [on_graph_change]() {
    if (on_graph_change) {
      on_graph_change();
    }
  };
}

/// The QoS of both DDS endpoints of a server or client: `info`'s, marked with the pair's id.
rmw_dds::DdsQos pair_qos(
  const EndpointInfo & info, rmw_dds::CycloneParticipant & participant, bool server)
{
  static std::atomic<uint32_t> serial{0};
  rmw_dds::DdsQos qos = rmw_dds::to_dds_qos(info.qos, /*ignore_local_publications=*/true);
  const auto guid = participant.guid();
  qos.user_data =
    server ? rmw_dds::service_user_data(guid, ++serial) : rmw_dds::client_user_data(guid, ++serial);
  return qos;
}

constexpr size_t kClientBytes = 8;

/// This process's handle of the request writer of the remote client that sent the request of
/// `request_header`, which DdsServer keeps in writer_guid[8..15]; 0 for a request of a client in
/// this process.
uint64_t request_writer_of(const rmw_request_id_t & request_header)
{
  uint64_t writer = 0;
  static_assert(sizeof(request_header.writer_guid) == kClientBytes + sizeof(writer), "guid");
  std::memcpy(&writer, request_header.writer_guid + kClientBytes, sizeof(writer));
  return writer;
}

}  // namespace

DdsPublication::DdsPublication(
  rmw_dds::CycloneParticipant & participant, const EndpointInfo & info,
  const std::function<void()> & on_graph_change)
: topic_(info.name),
  dds_topic_(rmw_dds::dds_topic(info.name, members_of(info))),
  members_(members_of(info)),
  writer_(std::make_unique<rmw_dds::CycloneWriter>(
    participant, dds_topic_, rmw_dds::to_dds_qos(info.qos), graph_notifier(on_graph_change)))
{
}

std::vector<GraphEndpoint> DdsPublication::graph_endpoints() const
{
  return {GraphEndpoint{writer_->guid(), true, dds_topic_}};
}

size_t DdsPublication::matched_readers() const
{
  try {
    return writer_->matched_readers();
  } catch (const std::exception & error) {
    RCLCPP_ERROR(logger(), "Could not count the readers of '%s': %s", topic_.c_str(), error.what());
    return 0;
  }
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
  std::weak_ptr<MessageQueue> inbox, const std::function<void()> & on_graph_change)
: topic_(info.name), dds_topic_(rmw_dds::dds_topic(info.name, members_of(info)))
{
  const rmw_dds::MessageMembers & members = members_of(info);
  auto on_sample = [type = &members, topic = info.name, inbox = std::move(inbox)](
                     std::vector<uint8_t> sample, uint64_t) {
    auto target = inbox.lock();
    if (!target) {
      return;
    }
    auto message = decode(*type, topic, [&](void * fresh) {
      rmw_dds::deserialize_message(*type, sample.data(), sample.size(), fresh);
    });
    if (message) {
      target->push(std::move(message));
    }
  };
  reader_ = std::make_unique<rmw_dds::CycloneReader>(
    participant, dds_topic_, rmw_dds::to_dds_qos(info.qos, /*ignore_local_publications=*/true),
    std::move(on_sample), graph_notifier(on_graph_change));
}

DdsSubscription::~DdsSubscription() = default;

std::vector<GraphEndpoint> DdsSubscription::graph_endpoints() const
{
  return {GraphEndpoint{reader_->guid(), false, dds_topic_}};
}

size_t DdsSubscription::matched_writers() const
{
  try {
    return reader_->matched_writers();
  } catch (const std::exception & error) {
    RCLCPP_ERROR(logger(), "Could not count the writers of '%s': %s", topic_.c_str(), error.what());
    return 0;
  }
}

DdsServer::DdsServer(
  rmw_dds::CycloneParticipant & participant, const EndpointInfo & info,
  std::weak_ptr<ServiceQueue> inbox, const std::function<void()> & on_graph_change)
: service_(info.name),
  topics_(rmw_dds::dds_service(info.name, service_members_of(info))),
  members_(service_members_of(info))
{
  auto notify = graph_notifier(on_graph_change);
  const rmw_dds::DdsQos qos = pair_qos(info, participant, /*server=*/true);
  reply_writer_ =
    std::make_unique<rmw_dds::CycloneWriter>(participant, topics_.reply, qos, [this, notify]() {
      {
        std::lock_guard<std::mutex> lock(match_mutex_);
        ++match_generation_;
      }
      match_condition_.notify_all();
      notify();
    });
  auto on_request = [this, inbox = std::move(inbox)](std::vector<uint8_t> sample, uint64_t writer) {
    auto target = inbox.lock();
    if (!target) {
      return;
    }
    rmw_dds::RequestHeader header;
    auto request = decode(*members_.request_members_, topics_.request.name, [&](void * fresh) {
      header = rmw_dds::deserialize_service_sample(
        *members_.request_members_, sample.data(), sample.size(), fresh);
    });
    if (!request) {
      return;
    }
    ServiceMessage message;
    message.header = rmw_dds::to_request_id(header);
    std::memcpy(message.header.writer_guid + kClientBytes, &writer, sizeof(writer));
    message.payload = std::move(request);
    target->push(std::move(message));
  };
  request_reader_ = std::make_unique<rmw_dds::CycloneReader>(
    participant, topics_.request, qos, std::move(on_request), notify);
}

DdsServer::~DdsServer()
{
  // The reader first: its callback uses the rest.
  request_reader_.reset();
  reply_writer_.reset();
}

bool DdsServer::is_remote_request(const rmw_request_id_t & request_header)
{
  return request_writer_of(request_header) != 0;
}

bool DdsServer::send_response(const rmw_request_id_t & request_header, const void * response)
{
  const uint64_t request_writer = request_writer_of(request_header);
  try {
    // A client whose request writer is no longer matched has left: nothing to answer.
    const auto client_participant = request_reader_->participant_of_writer(request_writer);
    if (!client_participant) {
      return false;
    }
    // Its reply reader may be matched a little after its request writer.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    while (true) {
      uint64_t seen = 0;
      {
        std::lock_guard<std::mutex> lock(match_mutex_);
        seen = match_generation_;
      }
      if (reply_writer_->matches_reader_of(*client_participant)) {
        break;
      }
      std::unique_lock<std::mutex> lock(match_mutex_);
      if (!match_condition_.wait_until(
            lock, deadline, [this, seen]() { return match_generation_ != seen; })) {
        RCLCPP_WARN(
          rclcpp::get_logger("rclcpp"),
          "failed to send response to %s (timeout): client will not receive response",
          service_.c_str());
        return false;
      }
    }
    reply_writer_->write(rmw_dds::serialize_service_sample(
      rmw_dds::from_request_id(request_header), *members_.response_members_, response));
    return true;
  } catch (const std::exception & error) {
    RCLCPP_ERROR(
      logger(), "Could not send a reply on topic '%s' over DDS: %s", topics_.reply.name.c_str(),
      error.what());
    return false;
  }
}

std::vector<GraphEndpoint> DdsServer::graph_endpoints() const
{
  return {
    GraphEndpoint{request_reader_->guid(), false, topics_.request},
    GraphEndpoint{reply_writer_->guid(), true, topics_.reply}};
}

DdsClient::DdsClient(
  rmw_dds::CycloneParticipant & participant, const EndpointInfo & info,
  std::weak_ptr<ServiceQueue> inbox, const std::function<void()> & on_graph_change)
: topics_(rmw_dds::dds_service(info.name, service_members_of(info))),
  members_(service_members_of(info))
{
  auto notify = graph_notifier(on_graph_change);
  const rmw_dds::DdsQos qos = pair_qos(info, participant, /*server=*/false);
  request_writer_ =
    std::make_unique<rmw_dds::CycloneWriter>(participant, topics_.request, qos, notify);
  identity_ = request_writer_->instance_handle();
  auto on_reply = [this, inbox = std::move(inbox)](std::vector<uint8_t> sample, uint64_t) {
    auto target = inbox.lock();
    if (!target) {
      return;
    }
    rmw_dds::RequestHeader header;
    auto reply = decode(*members_.response_members_, topics_.reply.name, [&](void * fresh) {
      header = rmw_dds::deserialize_service_sample(
        *members_.response_members_, sample.data(), sample.size(), fresh);
    });
    // Every client of the service reads every reply: only this client's are its own.
    if (!reply || header.client != identity_) {
      return;
    }
    target->push(ServiceMessage{rmw_dds::to_request_id(header), std::move(reply)});
  };
  reply_reader_ = std::make_unique<rmw_dds::CycloneReader>(
    participant, topics_.reply, qos, std::move(on_reply), notify);
}

DdsClient::~DdsClient()
{
  reply_reader_.reset();
  request_writer_.reset();
}

bool DdsClient::server_matched() const
{
  try {
    // As rmw_cyclonedds checks: a request reader and a reply writer of one server, known by the
    // id both carry; without ids (an older server) any pair of them.
    std::vector<std::string> servers;
    const auto readers = request_writer_->matched_readers_user_data();
    for (const std::string & user_data : readers) {
      if (auto id = rmw_dds::user_data_value(user_data, "serviceid")) {
        servers.push_back(std::move(*id));
      }
    }
    const auto writers = reply_reader_->matched_writers_user_data();
    if (servers.empty()) {
      return !readers.empty() && !writers.empty();
    }
    return std::any_of(writers.begin(), writers.end(), [&servers](const std::string & user_data) {
      const auto id = rmw_dds::user_data_value(user_data, "serviceid");
      return id && std::find(servers.begin(), servers.end(), *id) != servers.end();
    });
  } catch (const std::exception & error) {
    RCLCPP_ERROR(
      logger(), "Could not read the matches of service '%s': %s", topics_.request.name.c_str(),
      error.what());
    return false;
  }
}

std::vector<GraphEndpoint> DdsClient::graph_endpoints() const
{
  return {
    GraphEndpoint{request_writer_->guid(), true, topics_.request},
    GraphEndpoint{reply_reader_->guid(), false, topics_.reply}};
}

bool DdsClient::send_request(int64_t sequence_number, const void * request)
{
  try {
    request_writer_->write(rmw_dds::serialize_service_sample(
      rmw_dds::RequestHeader{identity_, sequence_number}, *members_.request_members_, request));
    return true;
  } catch (const std::exception & error) {
    RCLCPP_ERROR(
      logger(), "Could not send a request on topic '%s' over DDS: %s", topics_.request.name.c_str(),
      error.what());
    return false;
  }
}

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
  // A configuration handed to the domain replaces CYCLONEDDS_URI, so it includes it.
  const bool localhost_only = environment("ROS_LOCALHOST_ONLY") == "1";
  const std::string uri = environment("CYCLONEDDS_URI");
  std::string config;
  try {
    if (localhost_only) {
      config = rmw_dds::localhost_only_config(uri);
    }
    return std::make_unique<DdsTransport>(
      std::make_unique<rmw_dds::CycloneParticipant>(domain_id, config));
  } catch (const rmw_dds::LocalhostConfigError & error) {
    RCLCPP_ERROR(
      logger(), "Could not join DDS domain %u: %s. DDS stays off", domain_id, error.what());
  } catch (const std::exception & error) {
    if (localhost_only && !uri.empty()) {
      RCLCPP_ERROR(
        logger(),
        "Could not join DDS domain %u with the loopback settings of ROS_LOCALHOST_ONLY=1 "
        "followed by CYCLONEDDS_URI: %s. Cyclone DDS refused the combined configuration (its "
        "reason is printed above): correct CYCLONEDDS_URI, or unset ROS_LOCALHOST_ONLY. DDS "
        "stays off",
        domain_id, error.what());
    } else {
      RCLCPP_ERROR(
        logger(), "Could not join DDS domain %u: %s. DDS stays off", domain_id, error.what());
    }
  }
  return nullptr;
}

DdsTransport::DdsTransport(std::unique_ptr<rmw_dds::CycloneParticipant> participant)
: participant_(std::move(participant))
{
}

DdsTransport::~DdsTransport() = default;

std::unique_ptr<DdsGraph> DdsTransport::make_graph(std::function<void()> on_change)
{
  try {
    return std::make_unique<DdsGraph>(*participant_, std::move(on_change));
  } catch (const std::exception & error) {
    RCLCPP_ERROR(
      logger(), "No ROS graph over DDS: other processes will not see this one's nodes: %s",
      error.what());
    return nullptr;
  }
}

namespace
{

/// The DDS side of an endpoint, made by `make`; nothing for an endpoint without type support, or
/// when DDS refuses it (logged, naming `what`).
template <typename Make>
auto make_endpoint(bool has_type_support, const char * what, const std::string & name, Make make)
  -> decltype(make())
{
  if (!has_type_support) {
    return nullptr;
  }
  try {
    return make();
  } catch (const std::exception & error) {
    RCLCPP_ERROR(logger(), "No DDS %s '%s': %s", what, name.c_str(), error.what());
    return nullptr;
  }
}

}  // namespace

std::unique_ptr<DdsPublication> DdsTransport::add_publication(
  const EndpointInfo & info, const std::function<void()> & on_graph_change)
{
  return make_endpoint(info.type_support != nullptr, "writer for topic", info.name, [&]() {
    return std::make_unique<DdsPublication>(*participant_, info, on_graph_change);
  });
}

std::unique_ptr<DdsSubscription> DdsTransport::add_subscription(
  const EndpointInfo & info, std::weak_ptr<MessageQueue> inbox,
  const std::function<void()> & on_graph_change)
{
  return make_endpoint(info.type_support != nullptr, "reader for topic", info.name, [&]() {
    return std::make_unique<DdsSubscription>(
      *participant_, info, std::move(inbox), on_graph_change);
  });
}

std::unique_ptr<DdsServer> DdsTransport::add_server(
  const EndpointInfo & info, std::weak_ptr<ServiceQueue> inbox,
  const std::function<void()> & on_graph_change)
{
  return make_endpoint(
    info.service_type_support != nullptr, "endpoints for service", info.name, [&]() {
      return std::make_unique<DdsServer>(*participant_, info, std::move(inbox), on_graph_change);
    });
}

std::unique_ptr<DdsClient> DdsTransport::add_client(
  const EndpointInfo & info, std::weak_ptr<ServiceQueue> inbox,
  const std::function<void()> & on_graph_change)
{
  return make_endpoint(
    info.service_type_support != nullptr, "endpoints for a client of", info.name, [&]() {
      return std::make_unique<DdsClient>(*participant_, info, std::move(inbox), on_graph_change);
    });
}

}  // namespace detail
}  // namespace rclcpp
