#ifndef RCLCPP__DETAIL__DDS_GRAPH_HPP_
#define RCLCPP__DETAIL__DDS_GRAPH_HPP_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "rmw_dds/cyclone_discovery.hpp"
#include "rmw_dds/cyclone_participant.hpp"
#include "rmw_dds/names.hpp"

namespace rclcpp
{
namespace detail
{

/// One DDS reader or writer of a ROS endpoint of this process.
struct GraphEndpoint
{
  rmw_dds::Guid guid{};
  bool writer = false;
  rmw_dds::DdsTopic topic;
};

/// The ROS graph over DDS, as rmw_cyclonedds keeps it: this process publishes its nodes and the
/// GIDs of their readers and writers on "ros_discovery_info" whenever they change, and learns
/// the nodes of other participants from their samples there and their endpoints from the DDS
/// built-in topics. Whatever a participant announced leaves with it.
class DdsGraph
{
public:
  /// `on_change` runs whenever a remote node or endpoint comes or goes, with no lock of the
  /// graph held. Throws std::runtime_error when DDS refuses an entity.
  DdsGraph(rmw_dds::CycloneParticipant & participant, std::function<void()> on_change);
  ~DdsGraph();

  void add_node(uintptr_t node_id, const std::string & name_space, const std::string & name);
  void remove_node(uintptr_t node_id);
  /// The DDS readers and writers of an endpoint of node `node_id` (0: of no node).
  void add_endpoints(uintptr_t node_id, const std::vector<GraphEndpoint> & endpoints);
  void remove_endpoints(const std::vector<GraphEndpoint> & endpoints);

  /// Fully qualified names of the nodes of other participants.
  std::vector<std::string> remote_node_names() const;
  /// Adds the ROS topics and services of other participants' endpoints.
  void add_remote_topics(std::map<std::string, std::vector<std::string>> & topics) const;
  void add_remote_services(std::map<std::string, std::vector<std::string>> & services) const;
  /// Writers (or readers) of other participants on the DDS topic `dds_topic`.
  size_t count_remote(const std::string & dds_topic, bool writers) const;

private:
  struct LocalNode
  {
    std::string name_space;
    std::string name;
  };
  struct LocalEndpoint
  {
    uintptr_t node_id;
    GraphEndpoint endpoint;
  };
  struct RemoteNode
  {
    std::string name_space;
    std::string name;
  };

  void publish_locked();
  void on_discovery_sample(const std::vector<uint8_t> & sample);
  void on_endpoint_alive(const rmw_dds::DiscoveredEndpoint & endpoint);
  void on_endpoint_gone(const rmw_dds::Guid & endpoint);
  void on_participant_gone(const rmw_dds::Guid & participant);
  /// Warns once per topic and pair of types that endpoints of two types are not matched.
  void check_types_locked(
    const std::string & dds_topic, const std::string & local_type, const std::string & remote_type);

  std::function<void()> on_change_;
  rmw_dds::Guid participant_guid_{};
  mutable std::mutex mutex_;
  std::map<uintptr_t, LocalNode> nodes_;
  std::map<rmw_dds::Guid, LocalEndpoint> endpoints_;
  std::map<rmw_dds::Guid, std::vector<RemoteNode>> remote_nodes_;
  std::map<rmw_dds::Guid, rmw_dds::DiscoveredEndpoint> remote_endpoints_;
  std::set<std::tuple<std::string, std::string, std::string>> reported_mismatches_;
  std::unique_ptr<rmw_dds::CycloneWriter> writer_;
  std::unique_ptr<rmw_dds::CycloneReader> reader_;
  std::unique_ptr<rmw_dds::CycloneDiscovery> discovery_;
};

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__DDS_GRAPH_HPP_
