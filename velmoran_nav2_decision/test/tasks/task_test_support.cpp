#include "task_test_support.hpp"

#include <cmath>

#include <rclcpp/rclcpp.hpp>
#include <velmoran_nav2_protocol/action/local_planning.hpp>

namespace bt_navigator::test
{

geometry_msgs::msg::Quaternion rotationAbout(double ax, double ay, double az, double angle)
{
  const double norm = std::sqrt(ax * ax + ay * ay + az * az);
  const double s = std::sin(angle / 2.0) / norm;
  geometry_msgs::msg::Quaternion q;
  q.x = ax * s;
  q.y = ay * s;
  q.z = az * s;
  q.w = std::cos(angle / 2.0);
  return q;
}

geometry_msgs::msg::PoseStamped poseAt(double x, double y, double yaw)
{
  geometry_msgs::msg::PoseStamped pose;
  pose.header.frame_id = "odom";
  pose.pose.position.x = x;
  pose.pose.position.y = y;
  pose.pose.orientation = rotationAbout(0.0, 0.0, 1.0, yaw);
  return pose;
}

geometry_msgs::msg::Point32 point32(float x, float y, float z)
{
  geometry_msgs::msg::Point32 point;
  point.x = x;
  point.y = y;
  point.z = z;
  return point;
}

double yawOf(const geometry_msgs::msg::Quaternion & q)
{
  return std::atan2(2.0 * (q.w * q.z + q.x * q.y), 1.0 - 2.0 * (q.y * q.y + q.z * q.z));
}

namespace
{

/// Shuts down what ensureRosInitialised started, once all tests have run.
class RosShutdown : public ::testing::Environment
{
public:
  void TearDown() override
  {
    if (rclcpp::ok()) {
      rclcpp::shutdown();
    }
  }
};

[[maybe_unused]] ::testing::Environment * const kRosShutdown =
  ::testing::AddGlobalTestEnvironment(new RosShutdown);

}  // namespace

void ensureRosInitialised()
{
  if (!rclcpp::ok()) {
    rclcpp::init(0, nullptr);
  }
}

std::shared_ptr<Goal> makeGoal(int32_t run_mode, std::vector<geometry_msgs::msg::PoseStamped> poses)
{
  auto goal = std::make_shared<Goal>();
  goal->action_id = 42;
  goal->run_mode = run_mode;
  goal->goal_poses = std::move(poses);
  goal->max_speed = 0.5F;
  return goal;
}

namespace
{

BT::Blackboard::Ptr seededBlackboard()
{
  auto blackboard = BT::Blackboard::create();
  blackboard->set<bool>("path_updated", false);
  blackboard->set<int>("number_recoveries", 0);
  blackboard->set<float>("recommand_point_distance_square_thr", 0.0004F);
  blackboard->set<int>("previous_run_mode", -1);
  blackboard->set("local_result", velmoran_nav2_protocol::action::LocalPlanning_Result());
  return blackboard;
}

}  // namespace

TaskTest::TaskTest() : blackboard_(seededBlackboard())
{
  velmoran::test::setUpQuietLogger();
  log_ = std::make_unique<velmoran::test::AttachedRecordingSink>();
  tree_.blackboard_stack.push_back(blackboard_);
}

std::vector<std::string> TaskTest::linesAt(spdlog::level::level_enum level)
{
  std::vector<std::string> texts;
  for (const auto & line : log_->lines()) {
    if (line.level == level) {
      // Drop the "<number> [<LEVEL>] " prefix.
      const auto message_start = line.text.find("] ");
      texts.push_back(line.text.substr(message_start + 2));
    }
  }
  return texts;
}

bool TaskTest::logged(spdlog::level::level_enum level, const std::string & text)
{
  const auto texts = linesAt(level);
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

}  // namespace bt_navigator::test
