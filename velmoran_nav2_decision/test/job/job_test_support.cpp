#include "job_test_support.hpp"

#include <future>
#include <stdexcept>

#include <lifecycle_msgs/msg/state.hpp>

#include "blackboard_keys.hpp"

namespace velmoran::test
{

namespace
{
constexpr std::chrono::seconds kWait{10};
}  // namespace

geometry_msgs::msg::PoseStamped poseAt(double x, double y)
{
  geometry_msgs::msg::PoseStamped pose;
  pose.header.frame_id = "map";
  pose.pose.position.x = x;
  pose.pose.position.y = y;
  return pose;
}

PlannerGoal goalWithPoses(int32_t run_mode, const std::vector<std::pair<double, double>> & points)
{
  PlannerGoal goal;
  goal.run_mode = run_mode;
  for (const auto & [x, y] : points) {
    goal.goal_poses.push_back(poseAt(x, y));
  }
  return goal;
}

JobHarness::JobHarness(const std::string & tree_body, std::vector<rclcpp::Parameter> parameters)
{
  parameters.emplace_back("behavior_tree", files_.write("tree.xml", treeXml(tree_body)));
  parameters.emplace_back("plugin_lib_names", std::vector<std::string>{VELMORAN_TEST_BT_NODES});
  node_ = std::make_shared<NodeProbe>(optionsWith(parameters), records_.withSlash());
  node_->init();
  if (node_->get_current_state().id() != lifecycle_msgs::msg::State::PRIMARY_STATE_ACTIVE) {
    throw std::runtime_error("the node did not become active");
  }
  // Present from the start, so that reading it never races with its creation by the tree.
  node_->blackboard_->set("test_tree_runs", 0);
  client_ = rclcpp::Node::make_shared("job_test_client");
  planner_ = rclcpp_action::create_client<Planner>(client_, "planner");
  stop_task_ = client_->create_client<std_srvs::srv::SetBool>("stop_task");
  spinner_ =
    std::make_unique<Spinner>(std::vector<rclcpp::node_interfaces::NodeBaseInterface::SharedPtr>{
      node_->get_node_base_interface(), client_->get_node_base_interface()});
  if (!planner_->wait_for_action_server(kWait)) {
    throw std::runtime_error("no planner server");
  }
}

JobHarness::~JobHarness()
{
  spinner_.reset();
  stop_task_.reset();
  planner_.reset();
  node_.reset();
}

PlannerGoalHandle::SharedPtr JobHarness::send(const PlannerGoal & goal)
{
  auto handle = planner_->async_send_goal(goal);
  if (handle.wait_for(kWait) != std::future_status::ready || !handle.get()) {
    throw std::runtime_error("goal not accepted");
  }
  return handle.get();
}

PlannerResult JobHarness::resultOf(const PlannerGoalHandle::SharedPtr & handle)
{
  auto result = planner_->async_get_result(handle);
  if (result.wait_for(kWait) != std::future_status::ready) {
    throw std::runtime_error("no result");
  }
  return result.get();
}

void JobHarness::cancel(const PlannerGoalHandle::SharedPtr & handle)
{
  auto response = planner_->async_cancel_goal(handle);
  if (response.wait_for(kWait) != std::future_status::ready) {
    throw std::runtime_error("no cancel response");
  }
}

int JobHarness::treeRuns()
{
  int runs = 0;
  node_->blackboard_->get("test_tree_runs", runs);
  return runs;
}

int JobHarness::previousRunMode()
{
  return bt_navigator::keys::get(*node_->blackboard_, bt_navigator::keys::kPreviousRunMode);
}

void JobHarness::requestStop()
{
  auto response =
    stop_task_->async_send_request(std::make_shared<std_srvs::srv::SetBool::Request>());
  if (response.wait_for(kWait) != std::future_status::ready) {
    throw std::runtime_error("no stop_task response");
  }
}

FakeCostmap::FakeCostmap(const std::string & name)
: node_(rclcpp::Node::make_shared(name, "/" + name))
{
  for (const char * layer :
       {"top_laser_layer.enabled", "lift_top_laser_layer.enabled", "foot_laser_layer.enabled",
        "cached_foot_laser_layer.enabled"}) {
    node_->declare_parameter(layer, std::string(layer) != "lift_top_laser_layer.enabled");
  }
  on_set_ = node_->add_on_set_parameters_callback(
    [this](const std::vector<rclcpp::Parameter> & parameters) {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back({LogCapture::instance().mark(), parameters});
      rcl_interfaces::msg::SetParametersResult result;
      result.successful = true;
      return result;
    });
}

std::vector<FakeCostmap::Request> FakeCostmap::requests()
{
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

bool FakeCostmap::enabled(const std::string & layer)
{
  return node_->get_parameter(layer).as_bool();
}

}  // namespace velmoran::test
