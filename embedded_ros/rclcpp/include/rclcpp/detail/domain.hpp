#ifndef RCLCPP__DETAIL__DOMAIN_HPP_
#define RCLCPP__DETAIL__DOMAIN_HPP_

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "rclcpp/detail/message_queue.hpp"
#include "rclcpp/detail/service_queue.hpp"
#include "rmw/types.h"
#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_runtime_c/service_type_support_struct.h"

namespace rclcpp
{
namespace detail
{

class DdsTransport;
class DdsGraph;
class DdsPublication;
class DdsSubscription;
class DdsServer;
class DdsClient;

/// Name, type and QoS of a publisher, subscription, service or client.
struct EndpointInfo
{
  std::string name;
  std::string type;
  rmw_qos_profile_t qos{};
  /// The node that owns the endpoint (its base interface's address; 0 when unknown).
  uintptr_t node_id = 0;
  /// Subscriptions only: skip messages from publishers of the same node.
  bool ignore_local_publications = false;
  /// Topics: the type's C++ introspection type support, with which the DDS transport encodes
  /// and decodes messages; an endpoint without it stays in this process.
  const rosidl_message_type_support_t * type_support = nullptr;
  /// Services and clients: the same for the service type.
  const rosidl_service_type_support_t * service_type_support = nullptr;
};

/// The process's communication graph and the one place where data crosses between entities:
/// every published message, service request and service response goes through `publish`,
/// `send_request` and `send_response`. Endpoints match by name and type (topics also by
/// compatible QoS). With RMW_IMPLEMENTATION=rmw_cyclonedds_cpp, topics also travel over DDS to
/// and from other processes, and services (and so actions) between processes (see DdsTransport).
class Domain
{
public:
  static Domain & global();

  uint64_t add_publisher(const EndpointInfo & info);
  void remove_publisher(uint64_t publisher_id);
  void publish(uint64_t publisher_id, std::shared_ptr<const void> message);
  /// Counts subscriptions in this process and matched ones in other processes.
  size_t matched_subscriptions(uint64_t publisher_id) const;

  /// Replays the history of transient local publishers to a transient local subscription.
  uint64_t add_subscription(const EndpointInfo & info, std::weak_ptr<MessageQueue> inbox);
  void remove_subscription(uint64_t subscription_id);
  /// Counts publishers in this process and matched ones in other processes.
  size_t matched_publishers(uint64_t subscription_id) const;

  /// Publishers (subscriptions) of `topic` in this process and in other processes over DDS.
  size_t count_publishers(const std::string & topic) const;
  size_t count_subscriptions(const std::string & topic) const;
  /// Topics and services of this process and of other processes over DDS.
  std::map<std::string, std::vector<std::string>> topic_names_and_types() const;
  std::map<std::string, std::vector<std::string>> service_names_and_types() const;

  uint64_t add_service(const EndpointInfo & info, std::weak_ptr<ServiceQueue> inbox);
  void remove_service(uint64_t service_id);
  uint64_t add_client(const EndpointInfo & info, std::weak_ptr<ServiceQueue> inbox);
  void remove_client(uint64_t client_id);
  /// True when a server in this process or a matched one in another process is there.
  bool service_is_available(uint64_t client_id) const;
  /// Goes to a server in this process when there is one, otherwise over DDS. False when no
  /// server is there to take the request.
  bool send_request(uint64_t client_id, int64_t sequence_number, std::shared_ptr<void> request);
  /// Answers the client named by the header, in this process or over DDS. False when the
  /// requesting client is gone.
  bool send_response(
    uint64_t service_id, const rmw_request_id_t & request_header, std::shared_ptr<void> response);

  /// `node_id` is the node's base interface's address, as in EndpointInfo.
  void add_node(uintptr_t node_id, const std::string & name_space, const std::string & name);
  void remove_node(uintptr_t node_id);
  /// Fully qualified names of the nodes of this process and of other processes over DDS.
  std::vector<std::string> node_names() const;

  /// The current graph version; it changes whenever an endpoint or node comes or goes.
  uint64_t graph_version() const;
  /// Blocks until the graph version differs from `seen_version`, `deadline` passes or
  /// notify_graph_change() is called; returns the version then.
  uint64_t wait_for_graph_change(
    uint64_t seen_version, std::chrono::steady_clock::time_point deadline);
  void notify_graph_change();

  Domain(const Domain &) = delete;
  Domain & operator=(const Domain &) = delete;

  ~Domain();

private:
  Domain();
  struct Topic;
  struct Service;
  struct PublisherRecord;
  struct SubscriptionRecord;

  void graph_changed_locked();
  static bool qos_compatible(
    const rmw_qos_profile_t & publisher, const rmw_qos_profile_t & subscription);
  void rebuild_topic_subscribers(Topic & topic);
  void replay_history(const Topic & topic, const SubscriptionRecord & subscription) const;
  std::shared_ptr<ServiceQueue> find_server_locked(uint64_t client_id) const;
  std::shared_ptr<DdsClient> find_dds_client_locked(uint64_t client_id) const;
  size_t matched_subscriptions_locked(const PublisherRecord & record) const;

  struct ClientRecord
  {
    std::string name;
    std::string type;
    std::weak_ptr<ServiceQueue> inbox;
  };

  mutable std::mutex mutex_;
  std::condition_variable graph_condition_;
  uint64_t graph_version_ = 0;
  uint64_t next_id_ = 1;
  std::map<std::string, std::shared_ptr<Topic>> topics_;
  std::map<uint64_t, std::shared_ptr<PublisherRecord>> publishers_;
  std::map<uint64_t, std::string> subscription_topics_;
  std::map<std::string, std::shared_ptr<Service>> services_;
  std::map<uint64_t, std::string> server_names_;
  std::map<uint64_t, ClientRecord> clients_;
  /// Fully qualified name of each node.
  std::vector<std::pair<uintptr_t, std::string>> nodes_;
  /// Set when DDS carries topics to other processes; see DdsTransport.
  std::unique_ptr<DdsTransport> dds_;
  /// Set with dds_: the nodes and endpoints of every process.
  std::unique_ptr<DdsGraph> dds_graph_;
  std::map<uint64_t, std::shared_ptr<DdsSubscription>> dds_subscriptions_;
  /// Shared so that requests and replies can be written outside the lock.
  std::map<uint64_t, std::shared_ptr<DdsServer>> dds_servers_;
  std::map<uint64_t, std::shared_ptr<DdsClient>> dds_clients_;
};

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__DOMAIN_HPP_
