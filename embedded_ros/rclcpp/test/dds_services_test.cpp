// Services and actions between two processes over DDS: this test process and dds_echo_peer.
// Both run in a network namespace of their own with loopback only.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dds_peer.hpp"
#include "rclcpp/detail/domain.hpp"
#include "rclcpp/rclcpp.hpp"
#include "rclcpp_action/rclcpp_action.hpp"
#include "rmw/qos_profiles.h"
#include "rmw_dds/cyclone_participant.hpp"
#include "rmw_dds/names.hpp"
#include "rmw_dds/qos.hpp"
#include "rmw_dds/request_header.hpp"
#include "std_srvs/srv/set_bool.hpp"
#include "velmoran_protocol/action/planner.hpp"

namespace
{
using namespace std::chrono_literals;
using Planner = velmoran_protocol::action::Planner;
using SetBool = std_srvs::srv::SetBool;

constexpr auto kDiscovery = 20s;

/// Sends requests until one is answered. As with rmw_cyclonedds, a request sent right after
/// wait_for_service may be lost: the client's writer can match the server's reader before that
/// reader has matched the writer.
bool answered(rclcpp::Client<SetBool> & client)
{
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto reply = client.async_send_request(std::make_shared<SetBool::Request>());
    if (reply.future.wait_for(200ms) == std::future_status::ready) {
      return true;
    }
    client.remove_pending_request(reply.request_id);
  }
  return false;
}

/// Sends a goal that the peer's server runs until it is canceled; its handle once the first
/// feedback came, nothing when it was not accepted or no feedback came.
rclcpp_action::ClientGoalHandle<Planner>::SharedPtr start_endless_goal(
  rclcpp_action::Client<Planner> & client)
{
  struct FirstFeedback
  {
    std::promise<void> arrived;
    std::once_flag once;
  };
  auto first = std::make_shared<FirstFeedback>();
  rclcpp_action::Client<Planner>::SendGoalOptions options;
  options.feedback_callback = [first](auto, auto) {
    std::call_once(first->once, [&first]() { first->arrived.set_value(); });
  };
  Planner::Goal endless;
  endless.run_mode = Planner::Goal::CHARGE;
  auto handle = client.async_send_goal(endless, options);
  if (
    handle.wait_for(10s) != std::future_status::ready || !handle.get() ||
    first->arrived.get_future().wait_for(10s) != std::future_status::ready) {
    return nullptr;
  }
  return handle.get();
}

class DdsServices : public dds_test::NodeTest
{
protected:
  DdsServices() : NodeTest("dds_services_test") {}

  static geometry_msgs::msg::PoseStamped pose(const std::string & frame, double x)
  {
    geometry_msgs::msg::PoseStamped message;
    message.header.frame_id = frame;
    message.pose.position.x = x;
    return message;
  }
};

TEST_F(DdsServices, EachClientGetsOnlyTheRepliesToItsOwnRequests)
{
  dds_test::Peer peer({"service", "/dds_set_bool"});
  ASSERT_TRUE(peer.started());
  // Two clients of one service: every reply reaches both of their readers, with the same
  // sequence numbers, so only the identity in the reply tells them apart.
  auto yes = node_->create_client<SetBool>("/dds_set_bool");
  auto no = node_->create_client<SetBool>("dds_set_bool");
  ASSERT_TRUE(yes->wait_for_service(kDiscovery)) << peer.log();
  ASSERT_TRUE(no->wait_for_service(kDiscovery)) << peer.log();

  ASSERT_TRUE(answered(*yes)) << peer.log();
  ASSERT_TRUE(answered(*no)) << peer.log();

  for (int round = 0; round < 5; ++round) {
    auto ask_yes = std::make_shared<SetBool::Request>();
    ask_yes->data = true;
    auto yes_reply = yes->async_send_request(ask_yes).future.share();
    auto no_reply = no->async_send_request(std::make_shared<SetBool::Request>()).future.share();
    ASSERT_EQ(yes_reply.wait_for(10s), std::future_status::ready) << "round " << round;
    ASSERT_EQ(no_reply.wait_for(10s), std::future_status::ready) << "round " << round;
    EXPECT_TRUE(yes_reply.get()->success);
    EXPECT_EQ(yes_reply.get()->message, "asked for true");
    EXPECT_FALSE(no_reply.get()->success);
    EXPECT_EQ(no_reply.get()->message, "asked for false");
  }

  EXPECT_TRUE(peer.stop()) << peer.log();
  EXPECT_TRUE(dds_test::wait_for_graph([&yes]() { return !yes->service_is_ready(); }, 5s))
    << "the server that left is still seen";
}

TEST_F(DdsServices, PlannerGoalGetsFeedbackAndResultAndIsCanceled)
{
  dds_test::Peer peer({"planner_server", "/dds_planner"});
  ASSERT_TRUE(peer.started());
  auto client = rclcpp_action::create_client<Planner>(node_, "dds_planner");
  ASSERT_TRUE(client->wait_for_action_server(kDiscovery)) << peer.log();

  Planner::Goal goal;
  goal.run_mode = Planner::Goal::NAVIGATION;
  goal.goal_poses = {pose("map", 1.0), pose("map", 2.5), pose("odom", -3.0)};
  goal.goal_zones.resize(1);
  goal.goal_zones[0].points.resize(3);
  goal.goal_zones[0].points[2].y = 4.0F;
  std::mutex mutex;
  std::vector<geometry_msgs::msg::PoseStamped> feedback_poses;
  rclcpp_action::Client<Planner>::SendGoalOptions options;
  options.feedback_callback = [&](auto, const std::shared_ptr<const Planner::Feedback> feedback) {
    std::lock_guard<std::mutex> lock(mutex);
    feedback_poses.push_back(feedback->pose);
  };
  auto handle_future = client->async_send_goal(goal, options);
  ASSERT_EQ(handle_future.wait_for(10s), std::future_status::ready);
  auto handle = handle_future.get();
  ASSERT_TRUE(handle) << "the goal was rejected";
  auto result_future = client->async_get_result(handle);
  ASSERT_EQ(result_future.wait_for(10s), std::future_status::ready);
  const auto result = result_future.get();
  EXPECT_EQ(result.code, rclcpp_action::ResultCode::SUCCEEDED);
  EXPECT_TRUE(result.result->success);
  EXPECT_EQ(result.result->message, "reached 3 poses");
  EXPECT_EQ(result.result->global_path, goal.goal_poses);
  {
    // Feedback is not reliable against the result: what came is in order.
    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_LE(feedback_poses.size(), goal.goal_poses.size());
    for (size_t i = 0; i < feedback_poses.size(); ++i) {
      EXPECT_EQ(feedback_poses[i], goal.goal_poses[i]);
    }
  }

  // A goal that runs until it is canceled.
  auto endless_handle = start_endless_goal(*client);
  ASSERT_TRUE(endless_handle) << peer.log();
  auto cancel_future = client->async_cancel_goal(endless_handle);
  ASSERT_EQ(cancel_future.wait_for(10s), std::future_status::ready);
  ASSERT_EQ(cancel_future.get()->goals_canceling.size(), 1U);
  auto canceled_future = client->async_get_result(endless_handle);
  ASSERT_EQ(canceled_future.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(canceled_future.get().code, rclcpp_action::ResultCode::CANCELED);
  EXPECT_EQ(canceled_future.get().result->message, "canceled");
  EXPECT_TRUE(peer.stop()) << peer.log();
}

TEST_F(DdsServices, ClientSeesAServerThatDiesMidGoal)
{
  dds_test::Peer peer({"planner_server", "/dds_planner_dies"});
  ASSERT_TRUE(peer.started());
  auto client = rclcpp_action::create_client<Planner>(node_, "/dds_planner_dies");
  ASSERT_TRUE(client->wait_for_action_server(kDiscovery)) << peer.log();
  auto handle = start_endless_goal(*client);
  ASSERT_TRUE(handle) << peer.log();
  auto result_future = client->async_get_result(handle);

  peer.kill();
  // Noticed when the peer's lease (1 s here) ends.
  EXPECT_TRUE(
    dds_test::wait_for_graph([&client]() { return !client->action_server_is_ready(); }, 5s));
  EXPECT_FALSE(client->wait_for_action_server(200ms));
  // As in ROS 2, the result of a goal whose server is gone never comes: the caller's time-out
  // ends the wait.
  EXPECT_EQ(result_future.wait_for(200ms), std::future_status::timeout);
}

TEST_F(DdsServices, ServerKeepsAGoalWhoseClientDied)
{
  using GoalHandle = rclcpp_action::ServerGoalHandle<Planner>;
  std::mutex mutex;
  std::condition_variable accepted_condition;
  std::vector<std::shared_ptr<GoalHandle>> accepted;
  auto server = rclcpp_action::create_server<Planner>(
    node_, "dds_planner_host",
    [](const rclcpp_action::GoalUUID &, std::shared_ptr<const Planner::Goal>) {
      return rclcpp_action::GoalResponse::ACCEPT_AND_EXECUTE;
    },
    [](std::shared_ptr<GoalHandle>) { return rclcpp_action::CancelResponse::ACCEPT; },
    [&](std::shared_ptr<GoalHandle> goal) {
      std::lock_guard<std::mutex> lock(mutex);
      accepted.push_back(goal);
      accepted_condition.notify_all();
    });
  auto wait_for_goals = [&](size_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    return accepted_condition.wait_for(
      lock, kDiscovery, [&accepted, count]() { return accepted.size() >= count; });
  };

  dds_test::Peer dying({"planner_client", "/dds_planner_host"});
  ASSERT_TRUE(dying.started());
  ASSERT_TRUE(wait_for_goals(1)) << dying.log();
  auto goal = accepted[0];
  EXPECT_EQ(goal->get_goal()->run_mode, Planner::Goal::CHARGE);
  dying.kill();

  // The goal runs on until the server ends it, as rclcpp_action's server does; the result
  // that nobody takes any more is dropped without holding the server up.
  EXPECT_TRUE(goal->is_executing());
  const auto before = std::chrono::steady_clock::now();
  goal->succeed(std::make_shared<Planner::Result>());
  EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
  EXPECT_FALSE(goal->is_active());

  dds_test::Peer next({"planner_client", "/dds_planner_host"});
  ASSERT_TRUE(next.started());
  EXPECT_TRUE(wait_for_goals(2)) << next.log();
  accepted[1]->abort(std::make_shared<Planner::Result>());
  EXPECT_TRUE(next.stop()) << next.log();
}

TEST_F(DdsServices, ServerIsReadyOnlyWithRequestReaderAndReplyWriterOfOneServer)
{
  // Endpoints marked as rmw_cyclonedds marks a server's, made by hand in a participant of their
  // own: a request reader and reply writer of server 01, and a reply writer of server 02.
  rmw_dds::CycloneParticipant participant(17);
  const auto topics = rmw_dds::dds_service<SetBool>("/dds_paired");
  auto qos = rmw_dds::to_dds_qos(rmw_qos_profile_services_default);
  qos.user_data = "serviceid=01.2.3;";
  rmw_dds::CycloneReader request_reader(participant, topics.request, qos);
  auto reply_writer = std::make_unique<rmw_dds::CycloneWriter>(participant, topics.reply, qos);
  qos.user_data = "serviceid=02.2.3;";
  rmw_dds::CycloneWriter other_reply_writer(participant, topics.reply, qos);

  auto client = node_->create_client<SetBool>("/dds_paired");
  ASSERT_TRUE(client->wait_for_service(kDiscovery));
  ASSERT_TRUE(other_reply_writer.wait_for_readers(1, kDiscovery));
  // Server 01 loses its reply writer: a request reader of 01 and a reply writer of 02 remain.
  reply_writer.reset();
  EXPECT_TRUE(dds_test::wait_for_graph([&client]() { return !client->service_is_ready(); }, 5s))
    << "endpoints of two different servers were taken for one";

  // Our own server marks both of its endpoints with one id, so that a Humble client pairs them.
  auto server = node_->create_service<SetBool>(
    "/dds_marked",
    [](const std::shared_ptr<SetBool::Request>, std::shared_ptr<SetBool::Response>) {});
  const auto marked = rmw_dds::dds_service<SetBool>("/dds_marked");
  qos.user_data = "clientid=03.2.3;";
  rmw_dds::CycloneWriter request_writer(participant, marked.request, qos);
  rmw_dds::CycloneReader reply_reader(participant, marked.reply, qos);
  ASSERT_TRUE(request_writer.wait_for_readers(1, kDiscovery));
  ASSERT_TRUE(reply_reader.wait_for_writers(1, kDiscovery));
  const auto reader_id =
    rmw_dds::user_data_value(request_writer.matched_readers_user_data().at(0), "serviceid");
  const auto writer_id =
    rmw_dds::user_data_value(reply_reader.matched_writers_user_data().at(0), "serviceid");
  ASSERT_TRUE(reader_id.has_value());
  EXPECT_EQ(reader_id, writer_id);
}

}  // namespace
