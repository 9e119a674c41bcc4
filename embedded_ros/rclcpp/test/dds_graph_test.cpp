// The ROS graph between two processes over DDS: what this process learns of dds_echo_peer's node
// and endpoints, what it announces of its own on "ros_discovery_info", and the warning about a
// topic used with two types.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dds_peer.hpp"
#include "geometry_msgs/msg/pose_stamped.hpp"
#include "geometry_msgs/msg/twist_stamped.hpp"
#include "log_capture.hpp"
#include "rclcpp/detail/domain.hpp"
#include "rclcpp/rclcpp.hpp"
#include "rmw/qos_profiles.h"
#include "rmw_dds/cyclone_participant.hpp"
#include "rmw_dds/message_serialization.hpp"
#include "rmw_dds/qos.hpp"
#include "rmw_dds_common/msg/participant_entities_info.hpp"

namespace
{
using namespace std::chrono_literals;
using geometry_msgs::msg::PoseStamped;
using rmw_dds_common::msg::ParticipantEntitiesInfo;

bool has(const std::vector<std::string> & names, const std::string & name)
{
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool has_topic(
  const std::map<std::string, std::vector<std::string>> & topics, const std::string & name,
  const std::string & type)
{
  auto topic = topics.find(name);
  return topic != topics.end() && has(topic->second, type);
}

class DdsGraphTest : public dds_test::NodeTest
{
protected:
  DdsGraphTest() : NodeTest("graph_watcher") {}
};

TEST_F(DdsGraphTest, PeerNodeAndEndpointsAppearAndLeaveWithThePeer)
{
  const std::string topic = "/graph_pose";
  dds_test::Peer peer({"graph", "/robot", topic});
  ASSERT_TRUE(peer.started());
  // This process's own publisher and subscription count too.
  auto publisher = node_->create_publisher<PoseStamped>(topic, 10);
  auto subscription =
    node_->create_subscription<PoseStamped>(topic, 10, [](PoseStamped::ConstSharedPtr) {});

  const auto peer_is_there = [&]() {
    return has(node_->get_node_names(), "/robot/dds_echo_peer") &&
           has_topic(node_->get_topic_names_and_types(), topic, "geometry_msgs/msg/PoseStamped") &&
           node_->count_publishers(topic) == 2 && node_->count_subscribers(topic) == 2;
  };
  EXPECT_TRUE(dds_test::wait_for_graph(peer_is_there, 10s))
    << "nodes: " << ::testing::PrintToString(node_->get_node_names())
    << " publishers: " << node_->count_publishers(topic)
    << " subscribers: " << node_->count_subscribers(topic);
  EXPECT_TRUE(has(node_->get_node_names(), "/graph_watcher"));
  // The peer's parameter services are remote services.
  EXPECT_TRUE(has_topic(
    node_->get_service_names_and_types(), "/robot/dds_echo_peer/get_parameters",
    "rcl_interfaces/srv/GetParameters"));

  // Killed, it says goodbye to nobody: its lease runs out.
  peer.kill();
  const auto peer_is_gone = [&]() {
    return !has(node_->get_node_names(), "/robot/dds_echo_peer") &&
           node_->count_publishers(topic) == 1 && node_->count_subscribers(topic) == 1;
  };
  EXPECT_TRUE(dds_test::wait_for_graph(peer_is_gone, 10s))
    << "nodes: " << ::testing::PrintToString(node_->get_node_names());
  EXPECT_TRUE(
    has_topic(node_->get_topic_names_and_types(), topic, "geometry_msgs/msg/PoseStamped"));
}

TEST_F(DdsGraphTest, TopicOfAnotherTypeIsNotMatchedAndWarnedOnce)
{
  LogCapture log;
  const std::string topic = "/graph_mixed";
  dds_test::Peer peer({"graph", "/", topic});
  ASSERT_TRUE(peer.started());
  std::vector<geometry_msgs::msg::TwistStamped> received;
  auto first = node_->create_subscription<geometry_msgs::msg::TwistStamped>(
    topic, 10, [&received](geometry_msgs::msg::TwistStamped::ConstSharedPtr message) {
      received.push_back(*message);
    });
  ASSERT_TRUE(dds_test::wait_for_graph([&]() { return node_->count_publishers(topic) == 1; }, 10s));
  // Another endpoint and another discovery of the peer's endpoints while it publishes.
  auto second = node_->create_subscription<geometry_msgs::msg::TwistStamped>(
    topic, 10, [](geometry_msgs::msg::TwistStamped::ConstSharedPtr) {});
  EXPECT_EQ(first->get_publisher_count(), 0u);
  EXPECT_EQ(second->get_publisher_count(), 0u);
  peer.kill();
  ASSERT_TRUE(dds_test::wait_for_graph([&]() { return node_->count_publishers(topic) == 0; }, 10s));

  EXPECT_TRUE(received.empty());
  size_t warnings = 0;
  for (const auto & line : log.lines_of("rmw_dds")) {
    if (line.message.find(topic) != std::string::npos) {
      EXPECT_EQ(line.severity, RCUTILS_LOG_SEVERITY_WARN) << line.message;
      EXPECT_EQ(
        line.message, "Topic '" + topic +
                        "' has type 'geometry_msgs/msg/PoseStamped' in another process and "
                        "'geometry_msgs/msg/TwistStamped' in this one: those endpoints are not "
                        "matched");
      ++warnings;
    }
  }
  EXPECT_EQ(warnings, 1u);
}

/// The newest "ros_discovery_info" sample of this process's participant, read by a participant
/// of its own; nothing when none came within `timeout`.
std::optional<ParticipantEntitiesInfo> announcement_of(
  rmw_dds::CycloneReader & reader, const std::string & node_name, size_t writers)
{
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (std::chrono::steady_clock::now() < deadline) {
    auto sample = reader.take(100ms);
    if (!sample) {
      continue;
    }
    ParticipantEntitiesInfo info;
    rmw_dds::deserialize(*sample, info);
    for (const auto & node : info.node_entities_info_seq) {
      if (node.node_name == node_name && node.writer_gid_seq.size() == writers) {
        return info;
      }
    }
  }
  return std::nullopt;
}

TEST_F(DdsGraphTest, AnnouncesItsNodesWithTheGidsOfTheirEndpoints)
{
  rmw_dds::CycloneParticipant participant(17);
  rmw_qos_profile_t qos = rmw_qos_profile_default;
  qos.depth = 1;
  qos.durability = RMW_QOS_POLICY_DURABILITY_TRANSIENT_LOCAL;
  rmw_dds::CycloneReader reader(
    participant, {"ros_discovery_info", "rmw_dds_common::msg::dds_::ParticipantEntitiesInfo_"},
    rmw_dds::to_dds_qos(qos));
  // The node's parameter services each have a reply writer; a publisher adds one more.
  auto before = announcement_of(reader, "graph_watcher", 6);
  ASSERT_TRUE(before) << "no announcement of graph_watcher with its 6 reply writers";
  auto publisher = node_->create_publisher<PoseStamped>("/graph_announced", 10);
  auto after = announcement_of(reader, "graph_watcher", 7);
  ASSERT_TRUE(after) << "no announcement with the publisher's writer";

  const auto & gid = after->gid.data;
  EXPECT_NE(std::vector<uint8_t>(gid.begin(), gid.begin() + 16), std::vector<uint8_t>(16, 0));
  const auto node = std::find_if(
    after->node_entities_info_seq.begin(), after->node_entities_info_seq.end(),
    [](const auto & entry) { return entry.node_name == "graph_watcher"; });
  EXPECT_EQ(node->node_namespace, "/");
  EXPECT_EQ(node->reader_gid_seq.size(), 6u);  // the parameter services' request readers
  for (const auto * gids : {&node->reader_gid_seq, &node->writer_gid_seq}) {
    for (const auto & endpoint : *gids) {
      // A DDS GUID in the first 16 bytes, zeros after; an endpoint's GUID starts with its
      // participant's 12-byte prefix.
      EXPECT_TRUE(std::equal(gid.begin(), gid.begin() + 12, endpoint.data.begin()));
      EXPECT_TRUE(std::all_of(
        endpoint.data.begin() + 16, endpoint.data.end(), [](auto byte) { return byte == 0; }));
      EXPECT_FALSE(std::equal(gid.begin(), gid.begin() + 16, endpoint.data.begin()));
    }
  }
  EXPECT_TRUE(std::all_of(gid.begin() + 16, gid.end(), [](auto byte) { return byte == 0; }));
}

}  // namespace
