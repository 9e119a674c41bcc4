#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <geometry_msgs/msg/polygon.hpp>
#include <rclcpp/rclcpp.hpp>
#include <std_msgs/msg/int16.hpp>

#include "background_executor.hpp"
#include "lift_nav_task.hpp"
#include "lift_out_task.hpp"
#include "task_test_support.hpp"
#include "zero_velocity_probe.hpp"

namespace bt_navigator::test
{
namespace
{

using PointList = std::vector<geometry_msgs::msg::Point32>;
using LayerValues = std::map<std::string, bool>;

const LayerValues kLocalDefaults{
  {"top_laser_layer.enabled", true},
  {"lift_top_laser_layer.enabled", false},
  {"foot_laser_layer.enabled", true},
  {"cached_foot_laser_layer.enabled", true}};
const LayerValues kLocalLiftRide{
  {"top_laser_layer.enabled", false},
  {"lift_top_laser_layer.enabled", true},
  {"foot_laser_layer.enabled", false},
  {"cached_foot_laser_layer.enabled", false}};
const LayerValues kGlobalDefaults{
  {"foot_laser_layer.enabled", true}, {"cached_foot_laser_layer.enabled", true}};
const LayerValues kGlobalLiftRide{
  {"foot_laser_layer.enabled", false}, {"cached_foot_laser_layer.enabled", false}};

/// A costmap node as far as the elevator tasks see it: its layer switches as parameters.
class CostmapNode
{
public:
  /// `name` is both the node's name and its namespace, as the costmap nodes are started.
  CostmapNode(const std::string & name, const LayerValues & layers)
  : node_(std::make_shared<rclcpp::Node>(name, name))
  {
    for (const auto & [parameter, value] : layers) {
      node_->declare_parameter(parameter, value);
    }
    on_set_ = node_->add_on_set_parameters_callback(
      [this](const std::vector<rclcpp::Parameter> & parameters) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> names;
        for (const auto & parameter : parameters) {
          names.push_back(parameter.get_name());
        }
        requests_.push_back(names);
        rcl_interfaces::msg::SetParametersResult result;
        result.successful = !refuse_;
        result.reason = refuse_ ? "layers are locked" : "";
        return result;
      });
  }

  rclcpp::Node::SharedPtr node() const { return node_; }

  void refuseRequests()
  {
    std::lock_guard<std::mutex> lock(mutex_);
    refuse_ = true;
  }

  LayerValues layers(const LayerValues & names) const
  {
    LayerValues values;
    for (const auto & entry : names) {
      values[entry.first] = node_->get_parameter(entry.first).as_bool();
    }
    return values;
  }

  /// Parameter names of every request received, in the order they stood in the request.
  std::vector<std::vector<std::string>> requests()
  {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

private:
  rclcpp::Node::SharedPtr node_;
  rclcpp::node_interfaces::OnSetParametersCallbackHandle::SharedPtr on_set_;
  std::mutex mutex_;
  bool refuse_{false};
  std::vector<std::vector<std::string>> requests_;
};

class ElevatorTaskTest : public TaskTest
{
protected:
  static void SetUpTestSuite() { ensureRosInitialised(); }

  ElevatorTaskTest() : client_node_(std::make_shared<rclcpp::Node>("elevator_task_test_client"))
  {
    blackboard_->set("node", client_node_);
    goal_->lift_frame = {point32(0, 0), point32(2, 0), point32(2, 1.5F), point32(0, 1.5F)};
  }

  /// Starts the costmap nodes; a node left out is absent for the test.
  void startCostmaps(bool with_local, bool with_global)
  {
    if (with_local) {
      local_ = std::make_unique<CostmapNode>("local_costmap", kLocalDefaults);
      executor_.add(local_->node());
    }
    if (with_global) {
      global_ = std::make_unique<CostmapNode>("global_costmap", kGlobalDefaults);
      executor_.add(global_->node());
    }
    executor_.start();
  }

  TaskState start(RobotTaskBase & task)
  {
    return task.startTask(
      goal_, [] {}, zero_velocity_.communicator());
  }

  const std::vector<std::string> kLocalRequest{
    "top_laser_layer.enabled", "lift_top_laser_layer.enabled", "foot_laser_layer.enabled",
    "cached_foot_laser_layer.enabled"};
  const std::vector<std::string> kGlobalRequest{
    "foot_laser_layer.enabled", "cached_foot_laser_layer.enabled"};

  rclcpp::Node::SharedPtr client_node_;
  std::unique_ptr<CostmapNode> local_;
  std::unique_ptr<CostmapNode> global_;
  BackgroundExecutor executor_;
  std::shared_ptr<Goal> goal_ = makeGoal(Goal::LIFT, {poseAt(4, 5, 1.0)});
  ZeroVelocityProbe zero_velocity_;
};

TEST_F(ElevatorTaskTest, RideSwitchesTheLayersAndExitRestoresThem)
{
  startCostmaps(true, true);
  LiftNavTask task(blackboard_, &tree_);

  ASSERT_EQ(start(task), TaskState::SUCCEEDED);
  EXPECT_EQ(local_->layers(kLocalDefaults), kLocalLiftRide);
  EXPECT_EQ(global_->layers(kGlobalDefaults), kGlobalLiftRide);
  EXPECT_EQ(local_->requests(), std::vector<std::vector<std::string>>{kLocalRequest});
  EXPECT_EQ(global_->requests(), std::vector<std::vector<std::string>>{kGlobalRequest});

  const auto current = *task.currentGoal();
  EXPECT_EQ(current.index, 1);
  EXPECT_EQ(current.mode, Goal::LIFT);
  EXPECT_EQ(current.pose.pose, goal_->goal_poses.front().pose);
  EXPECT_EQ(entry<int>("run_mode"), Goal::LIFT);
  EXPECT_EQ(entry<std_msgs::msg::Int16>("goal_mode").data, Goal::LIFT);
  EXPECT_TRUE(entry<bool>("path_updated"));
  EXPECT_FALSE(hasEntry("action_id"));
  EXPECT_EQ(entry<geometry_msgs::msg::Polygon>("lift_inner_frame").points, goal_->lift_frame);

  task.exit();
  EXPECT_EQ(local_->layers(kLocalDefaults), kLocalDefaults);
  EXPECT_EQ(global_->layers(kGlobalDefaults), kGlobalDefaults);
  EXPECT_EQ(local_->requests().size(), 2U);
  EXPECT_EQ(global_->requests().size(), 2U);

  const std::vector<std::string> switching{
    "/local_costmap/local_costmap set successfully!",
    "/global_costmap/global_costmap set successfully!",
    "/local_costmap/local_costmap reset successfully!",
    "/global_costmap/global_costmap reset successfully!"};
  auto lines = linesAt(spdlog::level::info);
  lines.erase(
    std::remove_if(
      lines.begin(), lines.end(),
      [](const std::string & line) { return line.find("costmap") == std::string::npos; }),
    lines.end());
  EXPECT_EQ(lines, switching);
  EXPECT_TRUE(linesAt(spdlog::level::err).empty());
}

TEST_F(ElevatorTaskTest, RejectedGoalSwitchesNothing)
{
  startCostmaps(true, true);
  goal_->goal_poses.push_back(poseAt(6, 7));
  LiftNavTask task(blackboard_, &tree_);
  EXPECT_EQ(start(task), TaskState::COMPLETED);
  EXPECT_EQ(zero_velocity_.count(), 1);

  goal_->goal_poses = {poseAt(4, 5)};
  goal_->goal_poses.front().pose.orientation = rotationAbout(1, 0, 0, 0.5);
  LiftOutTask lift_out(blackboard_, &tree_);
  EXPECT_EQ(start(lift_out), TaskState::COMPLETED);
  EXPECT_EQ(
    linesAt(spdlog::level::err),
    std::vector<std::string>{
      "Aborting on goal because it was sent with an invalid quaternion, error code is 101100009"});

  EXPECT_TRUE(local_->requests().empty());
  EXPECT_TRUE(global_->requests().empty());
  EXPECT_FALSE(entry<bool>("path_updated"));
  EXPECT_FALSE(hasEntry("lift_inner_frame"));
}

TEST_F(ElevatorTaskTest, MissingLocalCostmapStopsTheSwitching)
{
  startCostmaps(false, true);
  LiftNavTask task(blackboard_, &tree_);
  ASSERT_EQ(start(task), TaskState::SUCCEEDED);

  EXPECT_TRUE(global_->requests().empty());
  EXPECT_EQ(global_->layers(kGlobalDefaults), kGlobalDefaults);
  const auto lines = linesAt(spdlog::level::info);
  EXPECT_EQ(
    std::count(
      lines.begin(), lines.end(), "server: /local_costmap/local_costmap/set_parameters not exist"),
    1);
  for (const auto & line : lines) {
    EXPECT_EQ(line.find("/global_costmap"), std::string::npos) << line;
  }
}

TEST_F(ElevatorTaskTest, MissingGlobalCostmapIsReportedAfterTheLocalOne)
{
  startCostmaps(true, false);
  LiftOutTask task(blackboard_, &tree_);
  ASSERT_EQ(start(task), TaskState::SUCCEEDED);
  EXPECT_EQ(local_->layers(kLocalDefaults), kLocalLiftRide);
  EXPECT_TRUE(logged(spdlog::level::info, "/local_costmap/local_costmap set successfully!"));
  EXPECT_TRUE(
    logged(spdlog::level::info, "server: /global_costmap/global_costmap/set_parameters not exist"));
}

TEST_F(ElevatorTaskTest, RefusedLocalRequestStillSwitchesTheGlobalCostmap)
{
  startCostmaps(true, true);
  local_->refuseRequests();
  LiftNavTask task(blackboard_, &tree_);

  ASSERT_EQ(start(task), TaskState::SUCCEEDED);
  EXPECT_EQ(local_->layers(kLocalDefaults), kLocalDefaults);
  EXPECT_EQ(global_->layers(kGlobalDefaults), kGlobalLiftRide);
  task.exit();
  EXPECT_EQ(global_->layers(kGlobalDefaults), kGlobalDefaults);

  EXPECT_EQ(
    linesAt(spdlog::level::err),
    (std::vector<std::string>{
      "/local_costmap/local_costmap set failed, error code is 101100014",
      "/local_costmap/local_costmap reset failed, error code is 101100014"}));
  EXPECT_TRUE(logged(spdlog::level::info, "/global_costmap/global_costmap set successfully!"));
  EXPECT_TRUE(logged(spdlog::level::info, "/global_costmap/global_costmap reset successfully!"));
}

TEST_F(ElevatorTaskTest, FeedbackOnlyWhileAGoalIsQueued)
{
  startCostmaps(true, true);
  LiftNavTask task(blackboard_, &tree_);
  std::vector<int32_t> sent;
  const RobotTaskBase::FeedbackSender send =
    [&sent](std::shared_ptr<RobotTaskBase::Feedback> & feedback) {
      sent.push_back(feedback->index);
      EXPECT_EQ(feedback->pose.header.frame_id, "");
      EXPECT_EQ(feedback->pose.pose.orientation.w, 1.0);
    };

  ASSERT_TRUE(task.updateQueue(goal_));
  task.feedback(send);
  EXPECT_EQ(sent, std::vector<int32_t>{1});
  EXPECT_TRUE(logged(spdlog::level::info, "nextGoal feedback_msg"));
  EXPECT_THROW(task.feedback(RobotTaskBase::FeedbackSender()), std::bad_function_call);

  ASSERT_EQ(task.nextGoal(), TaskState::CONTINUE);
  task.feedback(send);
  task.feedback(RobotTaskBase::FeedbackSender());
  EXPECT_EQ(sent.size(), 1U);
}

TEST_F(ElevatorTaskTest, CarOutlineStaysUntilANewOneArrives)
{
  startCostmaps(true, true);
  LiftNavTask task(blackboard_, &tree_);
  ASSERT_EQ(start(task), TaskState::SUCCEEDED);

  goal_->lift_frame.clear();
  ASSERT_EQ(start(task), TaskState::SUCCEEDED);
  EXPECT_EQ(entry<geometry_msgs::msg::Polygon>("lift_inner_frame").points.size(), 4U);
}

TEST_F(ElevatorTaskTest, LeavingTheCarHandsOutNoOutline)
{
  startCostmaps(true, true);
  for (const int32_t run_mode : {Goal::LIFT_OUT, Goal::LIFT_WAITING_AREA}) {
    SCOPED_TRACE(run_mode);
    goal_->run_mode = run_mode;
    LiftOutTask task(blackboard_, &tree_);
    ASSERT_EQ(start(task), TaskState::SUCCEEDED);
    EXPECT_TRUE(task.currentGoal()->zone.empty());
    EXPECT_EQ(entry<int>("run_mode"), run_mode);
    EXPECT_EQ(entry<std_msgs::msg::Int16>("goal_mode").data, run_mode);
    EXPECT_EQ(local_->layers(kLocalDefaults), kLocalLiftRide);
    EXPECT_EQ(global_->layers(kGlobalDefaults), kGlobalLiftRide);

    bool sent = false;
    task.feedback([&sent](std::shared_ptr<RobotTaskBase::Feedback> &) { sent = true; });
    EXPECT_FALSE(sent);
    task.exit();
    EXPECT_EQ(local_->layers(kLocalDefaults), kLocalDefaults);
    EXPECT_EQ(global_->layers(kGlobalDefaults), kGlobalDefaults);
    EXPECT_EQ(task.nextGoal(), TaskState::COMPLETED);
  }
  EXPECT_FALSE(hasEntry("lift_inner_frame"));
}

TEST_F(ElevatorTaskTest, NullNodeRaises)
{
  blackboard_->set("node", rclcpp::Node::SharedPtr());
  LiftOutTask task(blackboard_, &tree_);
  EXPECT_THROW(task.updateQueue(goal_), std::invalid_argument);
  EXPECT_THROW(task.exit(), std::invalid_argument);
}

}  // namespace
}  // namespace bt_navigator::test
