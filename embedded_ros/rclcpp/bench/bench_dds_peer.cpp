// The other process of bench_dds_round_trip. Until its standard input is closed it
//   - sends every dds_bench_msgs/Payload it receives on "bench_ping" back on "bench_pong";
//   - serves velmoran_protocol/action/Planner on "bench_planner", succeeding every goal as soon
//     as it is accepted.
// Both are reliable and volatile, as ROS 2's default QoS.

#include <memory>

#include "child_process.hpp"
#include "dds_bench_msgs/msg/payload.hpp"
#include "rclcpp/rclcpp.hpp"
#include "rclcpp_action/rclcpp_action.hpp"
#include "velmoran_protocol/action/planner.hpp"

int main(int argc, char ** argv)
{
  using Payload = dds_bench_msgs::msg::Payload;
  using Planner = velmoran_protocol::action::Planner;
  using PlannerGoalHandle = rclcpp_action::ServerGoalHandle<Planner>;

  rclcpp::init(argc, argv);
  auto node = std::make_shared<rclcpp::Node>("bench_dds_peer");
  auto pong = node->create_publisher<Payload>("bench_pong", rclcpp::QoS(10));
  auto ping = node->create_subscription<Payload>(
    "bench_ping", rclcpp::QoS(10),
    [pong](Payload::ConstSharedPtr message) { pong->publish(*message); });

  // Each goal ends before the client asks for its result; a short result time-out keeps the
  // server from remembering, and listing in every status message, every goal of the run.
  auto options = rcl_action_server_get_default_options();
  options.result_timeout.nanoseconds = 100 * 1000 * 1000;
  auto result = std::make_shared<Planner::Result>();
  result->success = true;
  result->message = "done";
  auto server = rclcpp_action::create_server<Planner>(
    node, "bench_planner",
    [](const rclcpp_action::GoalUUID &, std::shared_ptr<const Planner::Goal>) {
      return rclcpp_action::GoalResponse::ACCEPT_AND_EXECUTE;
    },
    [](std::shared_ptr<PlannerGoalHandle>) { return rclcpp_action::CancelResponse::ACCEPT; },
    [result](std::shared_ptr<PlannerGoalHandle> goal) { goal->succeed(result); }, options);

  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node);
  embedded_ros_test::spin_until_input_closes(executor);
  rclcpp::shutdown();
  return 0;
}
