// Topics between two processes over DDS: this test process and dds_echo_peer, which republishes
// what it receives. Both run in a network namespace of their own with loopback only.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dds_peer.hpp"
#include "geometry_msgs/msg/pose_stamped.hpp"
#include "rclcpp/detail/domain.hpp"
#include "rclcpp/rclcpp.hpp"
#include "rmw/qos_profiles.h"
#include "rmw_dds/cyclone_participant.hpp"
#include "rmw_dds/message_serialization.hpp"

namespace
{
using namespace std::chrono_literals;
using geometry_msgs::msg::PoseStamped;

constexpr int kWarmUpBase = 1000;
constexpr int kBurst = 50;

PoseStamped pose(int index)
{
  PoseStamped message;
  message.header.stamp.sec = index;
  message.header.frame_id = "odom";
  message.pose.position.x = 0.5 * index;
  return message;
}

/// A peer that echoes `from` to `to` with the QoS given.
class EchoPeer : public dds_test::Peer
{
public:
  EchoPeer(
    const std::string & from, const std::string & to, const char * reliability,
    const char * durability)
  : Peer({"echo", from, to, reliability, durability})
  {
  }
};

/// The indices of the messages that arrived, in order.
class Received
{
public:
  void add(int index)
  {
    std::lock_guard<std::mutex> lock(mutex_);
    indices_.push_back(index);
    condition_.notify_all();
  }

  /// Waits until an index satisfying `done` arrived.
  template <typename Predicate>
  bool wait_for(Predicate done, std::chrono::milliseconds timeout)
  {
    std::unique_lock<std::mutex> lock(mutex_);
    return condition_.wait_for(lock, timeout, [this, &done]() {
      return std::any_of(indices_.begin(), indices_.end(), done);
    });
  }

  /// The indices below kWarmUpBase.
  std::vector<int> counted() const
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<int> result;
    std::copy_if(indices_.begin(), indices_.end(), std::back_inserter(result), [](int index) {
      return index < kWarmUpBase;
    });
    return result;
  }

private:
  mutable std::mutex mutex_;
  std::condition_variable condition_;
  std::vector<int> indices_;
};

class DdsTopics : public dds_test::NodeTest
{
protected:
  DdsTopics() : NodeTest("dds_topics_test") {}

  /// The subscription is kept until the executor has stopped, as are the messages it collects.
  void subscribe(const std::string & topic, const rclcpp::QoS & qos, Received & received)
  {
    subscriptions_.push_back(node_->create_subscription<PoseStamped>(
      topic, qos, [&received](PoseStamped::ConstSharedPtr message) {
        received.add(message->header.stamp.sec);
      }));
  }

  /// Starts a peer that echoes "/ping" to "/pong" with `qos`, waits until it answers, then
  /// publishes the messages 0 to kBurst - 1 on "/ping". False when the peer never answered.
  bool echo_burst(const rclcpp::QoS & qos, const char * reliability)
  {
    subscribe("/pong", qos, pongs_);
    ping_ = node_->create_publisher<PoseStamped>("/ping", qos);
    peer_ = std::make_unique<EchoPeer>("/ping", "/pong", reliability, "volatile");
    if (!peer_->started() || !warm_up(*ping_, pongs_)) {
      return false;
    }
    for (int i = 0; i < kBurst; ++i) {
      ping_->publish(pose(i));
    }
    return true;
  }

  /// Publishes a warm-up message every 100 ms until one comes back from the peer, so that both
  /// directions are matched before the messages that count.
  static bool warm_up(rclcpp::Publisher<PoseStamped> & ping, Received & pongs)
  {
    for (int attempt = 0; attempt < 200; ++attempt) {
      ping.publish(pose(kWarmUpBase + attempt));
      if (pongs.wait_for([](int index) { return index >= kWarmUpBase; }, 100ms)) {
        return true;
      }
    }
    return false;
  }

  Received pongs_;
  Received local_pings_;
  std::vector<rclcpp::Subscription<PoseStamped>::SharedPtr> subscriptions_;
  rclcpp::Publisher<PoseStamped>::SharedPtr ping_;
  std::unique_ptr<EchoPeer> peer_;
};

std::vector<int> indices_to(int count)
{
  std::vector<int> indices(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    indices[static_cast<size_t>(i)] = i;
  }
  return indices;
}

TEST_F(DdsTopics, ReliableMessagesAllArriveOnceInOrder)
{
  const auto qos = rclcpp::QoS(100).reliable();
  subscribe("/ping", qos, local_pings_);
  ASSERT_TRUE(echo_burst(qos, "reliable")) << "the peer never answered";
  EXPECT_TRUE(pongs_.wait_for([](int index) { return index == kBurst - 1; }, 10s));
  EXPECT_EQ(pongs_.counted(), indices_to(kBurst));
  // The process's own subscription gets each message once, in-process, never again over DDS.
  EXPECT_TRUE(local_pings_.wait_for([](int index) { return index == kBurst - 1; }, 5s));
  EXPECT_EQ(local_pings_.counted(), indices_to(kBurst));
  EXPECT_TRUE(peer_->stop()) << peer_->log();
}

TEST_F(DdsTopics, BestEffortMessagesArriveAtMostOnceInOrder)
{
  ASSERT_TRUE(echo_burst(rclcpp::QoS(100).best_effort(), "best_effort"))
    << "the peer never answered";
  // Best effort may lose messages: wait for the last, then take what came.
  pongs_.wait_for([](int index) { return index == kBurst - 1; }, 3s);
  const auto counted = pongs_.counted();
  EXPECT_FALSE(counted.empty());
  EXPECT_TRUE(std::is_sorted(counted.begin(), counted.end()));
  EXPECT_EQ(std::adjacent_find(counted.begin(), counted.end()), counted.end()) << "a duplicate";
  EXPECT_TRUE(peer_->stop()) << peer_->log();
}

TEST_F(DdsTopics, TransientLocalLateJoinerGetsTheHistory)
{
  const auto qos = rclcpp::QoS(5).reliable().transient_local();
  auto latched = node_->create_publisher<PoseStamped>("/latched", qos);
  for (int i = 0; i < 3; ++i) {
    latched->publish(pose(i));
  }
  subscribe("/latched_echo", rclcpp::QoS(100).transient_local(), pongs_);
  // The peer joins after the messages were published.
  EchoPeer peer("/latched", "/latched_echo", "reliable", "transient_local");
  ASSERT_TRUE(peer.started());
  EXPECT_TRUE(pongs_.wait_for([](int index) { return index == 2; }, 20s));
  EXPECT_EQ(pongs_.counted(), indices_to(3));
  EXPECT_TRUE(peer.stop()) << peer.log();
}

TEST_F(DdsTopics, MalformedSampleIsDroppedWithAWarning)
{
  // A raw participant in the domain that this process's nodes already use, with its config.
  rmw_dds::CycloneParticipant participant(17);
  const auto ping_topic = rmw_dds::dds_topic<PoseStamped>("/ping");
  const auto qos = rmw_dds::to_dds_qos(rmw_qos_profile_default);
  rmw_dds::CycloneWriter writer(participant, ping_topic, qos);
  rmw_dds::CycloneReader reader(participant, rmw_dds::dds_topic<PoseStamped>("/pong"), qos);
  EchoPeer peer("/ping", "/pong", "reliable", "volatile");
  ASSERT_TRUE(peer.started());

  const auto good = rmw_dds::serialize(pose(7));
  auto bad = good;
  // header.stamp (8 bytes) and the length 5 of "odom" come first: the 5th string byte is the
  // terminator, at byte 16 of the data and 20 of the sample.
  ASSERT_EQ(bad[20], 0);
  bad[20] = 'x';
  std::optional<std::vector<uint8_t>> echoed;
  for (int attempt = 0; attempt < 100 && !echoed; ++attempt) {
    writer.write(bad);
    writer.write(good);
    echoed = reader.take(200ms);
  }
  ASSERT_TRUE(echoed) << "the peer never echoed the good sample";
  PoseStamped decoded;
  rmw_dds::deserialize(*echoed, decoded);
  EXPECT_EQ(decoded, pose(7));
  EXPECT_TRUE(peer.stop()) << peer.log();
  EXPECT_NE(
    peer.log().find("Dropped a malformed sample on topic '/ping': header.frame_id: string of 5 "
                    "bytes has no NUL terminator"),
    std::string::npos)
    << peer.log();
}

}  // namespace
