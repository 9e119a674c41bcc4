#ifndef RCLCPP__DETAIL__DDS_TRANSPORT_HPP_
#define RCLCPP__DETAIL__DDS_TRANSPORT_HPP_

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "detail/dds_graph.hpp"
#include "rclcpp/detail/domain.hpp"
#include "rclcpp/detail/message_queue.hpp"
#include "rclcpp/detail/service_queue.hpp"
#include "rmw_dds/message_serialization.hpp"
#include "rmw_dds/names.hpp"

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
  DdsPublication(
    rmw_dds::CycloneParticipant & participant, const EndpointInfo & info,
    const std::function<void()> & on_graph_change);
  ~DdsPublication();

  /// Encodes and writes one message; a failure is logged, never thrown.
  void publish(const void * message);
  /// Readers of other processes matched; 0 (logged) when DDS cannot tell.
  size_t matched_readers() const;
  std::vector<GraphEndpoint> graph_endpoints() const;

private:
  std::string topic_;
  rmw_dds::DdsTopic dds_topic_;
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
    std::weak_ptr<MessageQueue> inbox, const std::function<void()> & on_graph_change);
  ~DdsSubscription();

  /// Writers of other processes matched; 0 (logged) when DDS cannot tell.
  size_t matched_writers() const;
  std::vector<GraphEndpoint> graph_endpoints() const;

private:
  std::string topic_;
  rmw_dds::DdsTopic dds_topic_;
  std::unique_ptr<rmw_dds::CycloneReader> reader_;
};

/// The DDS side of one service server: requests of clients in other processes arrive on
/// "rq<service>Request" and go into the server's inbox; their replies go out on
/// "rr<service>Reply" carrying the requesting client's identity.
///
/// The header of a request that came over DDS holds, as rmw_cyclonedds fills it, the client's
/// identity in the first 8 bytes of writer_guid and this process's handle of the client's
/// request writer in the other 8; requests of clients in this process leave those zero.
class DdsServer
{
public:
  DdsServer(
    rmw_dds::CycloneParticipant & participant, const EndpointInfo & info,
    std::weak_ptr<ServiceQueue> inbox, const std::function<void()> & on_graph_change);
  ~DdsServer();

  /// True for the header of a request that came over DDS.
  static bool is_remote_request(const rmw_request_id_t & request_header);

  /// Answers a remote client. A client that is gone is skipped; one whose reply reader is not
  /// matched within 100 ms is skipped with a warning. False when nothing was sent.
  bool send_response(const rmw_request_id_t & request_header, const void * response);
  std::vector<GraphEndpoint> graph_endpoints() const;

private:
  std::string service_;
  rmw_dds::DdsService topics_;
  const rmw_dds::ServiceMembers & members_;
  std::mutex match_mutex_;
  std::condition_variable match_condition_;
  /// Counts the reply writer's match changes.
  uint64_t match_generation_ = 0;
  std::unique_ptr<rmw_dds::CycloneWriter> reply_writer_;
  std::unique_ptr<rmw_dds::CycloneReader> request_reader_;
};

/// The DDS side of one service client: requests go out on "rq<service>Request" with the
/// client's identity (its request writer's instance handle, as rmw_cyclonedds uses), and of the
/// replies on "rr<service>Reply" only those carrying that identity are taken.
class DdsClient
{
public:
  DdsClient(
    rmw_dds::CycloneParticipant & participant, const EndpointInfo & info,
    std::weak_ptr<ServiceQueue> inbox, const std::function<void()> & on_graph_change);
  ~DdsClient();

  /// True when a remote server's request reader and reply writer are both matched.
  bool server_matched() const;
  /// False (logged) when the request could not be written.
  bool send_request(int64_t sequence_number, const void * request);
  std::vector<GraphEndpoint> graph_endpoints() const;

private:
  rmw_dds::DdsService topics_;
  const rmw_dds::ServiceMembers & members_;
  std::unique_ptr<rmw_dds::CycloneWriter> request_writer_;
  uint64_t identity_ = 0;
  std::unique_ptr<rmw_dds::CycloneReader> reply_reader_;
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
  /// `on_graph_change` runs on Cyclone's threads whenever a remote peer is matched or lost.
  std::unique_ptr<DdsPublication> add_publication(
    const EndpointInfo & info, const std::function<void()> & on_graph_change);
  std::unique_ptr<DdsSubscription> add_subscription(
    const EndpointInfo & info, std::weak_ptr<MessageQueue> inbox,
    const std::function<void()> & on_graph_change);
  /// Nothing for an endpoint without service type support, or when DDS refuses it (logged).
  std::unique_ptr<DdsServer> add_server(
    const EndpointInfo & info, std::weak_ptr<ServiceQueue> inbox,
    const std::function<void()> & on_graph_change);
  std::unique_ptr<DdsClient> add_client(
    const EndpointInfo & info, std::weak_ptr<ServiceQueue> inbox,
    const std::function<void()> & on_graph_change);
  /// The graph of the domain; nothing when DDS refuses its entities (logged).
  std::unique_ptr<DdsGraph> make_graph(std::function<void()> on_change);

private:
  std::unique_ptr<rmw_dds::CycloneParticipant> participant_;
};

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__DDS_TRANSPORT_HPP_
