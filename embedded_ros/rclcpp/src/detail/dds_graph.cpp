#include "detail/dds_graph.hpp"

#include <algorithm>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "rclcpp/logging.hpp"
#include "rmw/qos_profiles.h"
#include "rmw_dds/cdr_error.hpp"
#include "rmw_dds/message_serialization.hpp"
#include "rmw_dds/qos.hpp"
#include "rmw_dds_common/msg/participant_entities_info.hpp"

namespace rclcpp
{
namespace detail
{
namespace
{

using rmw_dds_common::msg::Gid;
using rmw_dds_common::msg::NodeEntitiesInfo;
using rmw_dds_common::msg::ParticipantEntitiesInfo;

rclcpp::Logger logger() { return rclcpp::get_logger("rmw_dds"); }

/// The topic on which every participant announces its nodes, named without the "rt" prefix.
rmw_dds::DdsTopic discovery_topic()
{
  return rmw_dds::DdsTopic{
    "ros_discovery_info", "rmw_dds_common::msg::dds_::ParticipantEntitiesInfo_"};
}

/// Reliable, transient local, keep last 1: a participant that joins later gets the newest
/// announcement of every other participant.
rmw_qos_profile_t discovery_qos()
{
  rmw_qos_profile_t qos = rmw_qos_profile_default;
  qos.history = RMW_QOS_POLICY_HISTORY_KEEP_LAST;
  qos.depth = 1;
  qos.reliability = RMW_QOS_POLICY_RELIABILITY_RELIABLE;
  qos.durability = RMW_QOS_POLICY_DURABILITY_TRANSIENT_LOCAL;
  return qos;
}

/// A ROS GID holds the 16-byte DDS GUID followed by zeros.
Gid to_gid(const rmw_dds::Guid & guid)
{
  Gid gid;
  gid.data.fill(0);
  std::copy(guid.begin(), guid.end(), gid.data.begin());
  return gid;
}

rmw_dds::Guid to_guid(const Gid & gid)
{
  rmw_dds::Guid guid{};
  std::copy_n(gid.data.begin(), guid.size(), guid.begin());
  return guid;
}

bool starts_with(const std::string & text, const std::string & prefix)
{
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool ends_with(const std::string & text, const std::string & suffix)
{
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void add_type(
  std::map<std::string, std::vector<std::string>> & names, const std::string & name,
  const std::string & type)
{
  auto & types = names[name];
  if (std::find(types.begin(), types.end(), type) == types.end()) {
    types.push_back(type);
  }
}

/// The ROS topic of a DDS topic "rt<topic>"; the DDS name itself for any other.
std::string ros_topic_of(const std::string & dds_topic)
{
  return starts_with(dds_topic, "rt/") ? dds_topic.substr(2) : dds_topic;
}

/// The ROS type of a DDS type; the DDS name itself when it is not a ROS type.
std::string ros_type_of(const std::string & dds_type)
{
  const std::string type = rmw_dds::ros_type_name(dds_type);
  return type.empty() ? dds_type : type;
}

}  // namespace

DdsGraph::DdsGraph(rmw_dds::CycloneParticipant & participant, std::function<void()> on_change)
: on_change_(std::move(on_change)), participant_guid_(participant.guid())
{
  writer_ = std::make_unique<rmw_dds::CycloneWriter>(
    participant, discovery_topic(), rmw_dds::to_dds_qos(discovery_qos()));
  reader_ = std::make_unique<rmw_dds::CycloneReader>(
    participant, discovery_topic(),
    rmw_dds::to_dds_qos(discovery_qos(), /*ignore_local_publications=*/true),
    [this](std::vector<uint8_t> sample, uint64_t) { on_discovery_sample(sample); });
  rmw_dds::CycloneDiscovery::Callbacks callbacks;
  callbacks.endpoint_alive = [this](const auto & endpoint) { on_endpoint_alive(endpoint); };
  callbacks.endpoint_gone = [this](const auto & endpoint) { on_endpoint_gone(endpoint); };
  callbacks.participant_gone = [this](const auto & guid) { on_participant_gone(guid); };
  discovery_ = std::make_unique<rmw_dds::CycloneDiscovery>(participant, std::move(callbacks));
  std::lock_guard<std::mutex> lock(mutex_);
  publish_locked();
}

DdsGraph::~DdsGraph()
{
  // The listeners first: they use the rest.
  discovery_.reset();
  reader_.reset();
  writer_.reset();
}

void DdsGraph::add_node(uintptr_t node_id, const std::string & name_space, const std::string & name)
{
  std::lock_guard<std::mutex> lock(mutex_);
  nodes_[node_id] = LocalNode{name_space, name};
  publish_locked();
}

void DdsGraph::remove_node(uintptr_t node_id)
{
  std::lock_guard<std::mutex> lock(mutex_);
  if (nodes_.erase(node_id) > 0) {
    publish_locked();
  }
}

void DdsGraph::add_endpoints(uintptr_t node_id, const std::vector<GraphEndpoint> & endpoints)
{
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto & endpoint : endpoints) {
    endpoints_[endpoint.guid] = LocalEndpoint{node_id, endpoint};
    for (const auto & remote : remote_endpoints_) {
      if (remote.second.topic == endpoint.topic.name) {
        check_types_locked(endpoint.topic.name, endpoint.topic.type, remote.second.type);
      }
    }
  }
  if (nodes_.count(node_id) > 0) {
    publish_locked();
  }
}

void DdsGraph::remove_endpoints(const std::vector<GraphEndpoint> & endpoints)
{
  std::lock_guard<std::mutex> lock(mutex_);
  bool announced = false;
  for (const auto & endpoint : endpoints) {
    auto known = endpoints_.find(endpoint.guid);
    if (known == endpoints_.end()) {
      continue;
    }
    announced = announced || nodes_.count(known->second.node_id) > 0;
    endpoints_.erase(known);
  }
  if (announced) {
    publish_locked();
  }
}

void DdsGraph::publish_locked()
{
  ParticipantEntitiesInfo info;
  info.gid = to_gid(participant_guid_);
  for (const auto & node : nodes_) {
    NodeEntitiesInfo entry;
    entry.node_namespace = node.second.name_space;
    entry.node_name = node.second.name;
    for (const auto & endpoint : endpoints_) {
      if (endpoint.second.node_id != node.first) {
        continue;
      }
      auto & gids = endpoint.second.endpoint.writer ? entry.writer_gid_seq : entry.reader_gid_seq;
      gids.push_back(to_gid(endpoint.first));
    }
    info.node_entities_info_seq.push_back(std::move(entry));
  }
  try {
    writer_->write(
      rmw_dds::serialize_message(rmw_dds::members_of<ParticipantEntitiesInfo>(), &info));
  } catch (const std::exception & error) {
    RCLCPP_ERROR(
      logger(), "Could not announce this process's nodes on '%s': %s",
      discovery_topic().name.c_str(), error.what());
  }
}

void DdsGraph::on_discovery_sample(const std::vector<uint8_t> & sample)
{
  ParticipantEntitiesInfo info;
  try {
    rmw_dds::deserialize_message(
      rmw_dds::members_of<ParticipantEntitiesInfo>(), sample.data(), sample.size(), &info);
  } catch (const std::exception & error) {
    RCLCPP_WARN(
      logger(), "Dropped a malformed sample on topic '%s': %s", discovery_topic().name.c_str(),
      error.what());
    return;
  }
  const rmw_dds::Guid participant = to_guid(info.gid);
  if (participant == participant_guid_) {
    return;
  }
  std::vector<RemoteNode> nodes;
  for (const auto & node : info.node_entities_info_seq) {
    nodes.push_back(RemoteNode{node.node_namespace, node.node_name});
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    remote_nodes_[participant] = std::move(nodes);
  }
  on_change_();
}

void DdsGraph::on_endpoint_alive(const rmw_dds::DiscoveredEndpoint & endpoint)
{
  if (endpoint.participant == participant_guid_) {
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    remote_endpoints_[endpoint.guid] = endpoint;
    for (const auto & local : endpoints_) {
      if (local.second.endpoint.topic.name == endpoint.topic) {
        check_types_locked(endpoint.topic, local.second.endpoint.topic.type, endpoint.type);
      }
    }
  }
  on_change_();
}

void DdsGraph::on_endpoint_gone(const rmw_dds::Guid & endpoint)
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (remote_endpoints_.erase(endpoint) == 0) {
      return;
    }
  }
  on_change_();
}

void DdsGraph::on_participant_gone(const rmw_dds::Guid & participant)
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    remote_nodes_.erase(participant);
    for (auto it = remote_endpoints_.begin(); it != remote_endpoints_.end();) {
      it = it->second.participant == participant ? remote_endpoints_.erase(it) : std::next(it);
    }
  }
  on_change_();
}

void DdsGraph::check_types_locked(
  const std::string & dds_topic, const std::string & local_type, const std::string & remote_type)
{
  if (local_type == remote_type) {
    return;
  }
  if (!reported_mismatches_.emplace(dds_topic, local_type, remote_type).second) {
    return;
  }
  RCLCPP_WARN(
    logger(),
    "Topic '%s' has type '%s' in another process and '%s' in this one: those endpoints are not "
    "matched",
    ros_topic_of(dds_topic).c_str(), ros_type_of(remote_type).c_str(),
    ros_type_of(local_type).c_str());
}

std::vector<std::string> DdsGraph::remote_node_names() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> names;
  for (const auto & participant : remote_nodes_) {
    for (const auto & node : participant.second) {
      const bool root = node.name_space.empty() || node.name_space.back() == '/';
      names.push_back(node.name_space + (root ? "" : "/") + node.name);
    }
  }
  return names;
}

void DdsGraph::add_remote_topics(std::map<std::string, std::vector<std::string>> & topics) const
{
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto & entry : remote_endpoints_) {
    const auto & endpoint = entry.second;
    const std::string type = rmw_dds::ros_type_name(endpoint.type);
    if (starts_with(endpoint.topic, "rt/") && !type.empty()) {
      add_type(topics, endpoint.topic.substr(2), type);
    }
  }
}

void DdsGraph::add_remote_services(std::map<std::string, std::vector<std::string>> & services) const
{
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto & entry : remote_endpoints_) {
    const auto & endpoint = entry.second;
    std::string type = rmw_dds::ros_type_name(endpoint.type);
    const std::string suffix = "_Request";
    if (
      !starts_with(endpoint.topic, "rq/") || !ends_with(endpoint.topic, "Request") ||
      !ends_with(type, suffix)) {
      continue;
    }
    type.resize(type.size() - suffix.size());
    add_type(services, endpoint.topic.substr(2, endpoint.topic.size() - 2 - 7), type);
  }
}

size_t DdsGraph::count_remote(const std::string & dds_topic, bool writers) const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<size_t>(
    std::count_if(remote_endpoints_.begin(), remote_endpoints_.end(), [&](const auto & entry) {
      return entry.second.writer == writers && entry.second.topic == dds_topic;
    }));
}

}  // namespace detail
}  // namespace rclcpp
