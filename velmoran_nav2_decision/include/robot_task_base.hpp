#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <behaviortree_cpp_v3/blackboard.h>
#include <behaviortree_cpp_v3/bt_factory.h>
#include <geometry_msgs/msg/point32.hpp>
#include <geometry_msgs/msg/polygon.hpp>
#include <geometry_msgs/msg/pose_stamped.hpp>
#include <velmoran_behavior_tree/task_state.hpp>
#include <velmoran_communicator/communicator_decision.hpp>
#include <velmoran_protocol/action/planner.hpp>

#include "task_goal.hpp"

namespace bt_navigator
{

using TaskState = behavior_tree::TaskState;

/// Log texts of one task class's nextGoal; the defaults are those of the point-navigation tasks.
struct NextGoalTexts
{
  const char * entry = "nextGoal";
  const char * queue_empty = "nextGoal All tasks completed,queue empty";
  /// Leads the line "<prefix> goals_queue_ size is <n>".
  const char * queue_size = "nextGoal";
};

/// One job of the decision node: turns a Planner goal into goals for the behaviour tree, hands them
/// out one at a time through the blackboard and tells the job loop when the job is done.
class RobotTaskBase
{
public:
  using Goal = velmoran_protocol::action::Planner::Goal;
  using GoalConstPtr = std::shared_ptr<const Goal>;
  using Feedback = velmoran_protocol::action::Planner::Feedback;
  using FeedbackSender = std::function<void(std::shared_ptr<Feedback> &)>;
  using HaltFunction = std::function<void()>;
  using CommunicatorPtr = std::shared_ptr<velmoran_communicator::CommunicatorDecision>;

  RobotTaskBase(BT::Blackboard::Ptr blackboard, BT::Tree * tree);
  virtual ~RobotTaskBase() = default;
  RobotTaskBase(const RobotTaskBase &) = delete;
  RobotTaskBase & operator=(const RobotTaskBase &) = delete;

  /// Builds the task's goals from `goal`; false when the goal was rejected.
  virtual bool updateQueue(const GoalConstPtr & goal);
  /// Gives the task the robot pose read at the start of the job; null means no pose is known.
  virtual bool setCurrentPose(const geometry_msgs::msg::PoseStamped * pose);
  /// Hands the next goal to the tree (CONTINUE) or reports that none is left (COMPLETED).
  virtual TaskState nextGoal();
  /// Lets the task report progress after a run of the tree.
  virtual void feedback(const FeedbackSender & send);
  /// Clean-up at the end of the job.
  virtual void exit();

  /// Starts (or, for command 1, stops) the job of `goal`; `halt` first stops the tree's running
  /// actions.
  TaskState startTask(
    const GoalConstPtr & goal, const HaltFunction & halt, const CommunicatorPtr & communicator);
  /// Takes the job-wide values of `goal` and builds the queue.
  void updateTask(const GoalConstPtr & goal);
  /// Writes the motion freedoms of `run_mode` to "movement_constraint".
  void setMovementConstraint(int32_t run_mode);

  /// The goal handed out last; its index is the job's result index.
  std::shared_ptr<const TaskGoal> currentGoal() const { return current_goal_; }
  int32_t goalMode() const { return goal_mode_; }
  int32_t runMode() const { return run_mode_; }

protected:
  using GoalQueue = std::deque<TaskGoal>;

  /// Blackboard entries a queue-based task may write for a handed-out goal, beside "new_goal",
  /// "run_mode" and "current_goal", which all of them write.
  enum GoalEntry : unsigned {
    kGoalMode = 1U << 0U,   ///< "goal_mode"
    kGoalPoses = 1U << 1U,  ///< "goal_poses" with the one handed-out pose
    kActionId = 1U << 2U,   ///< "action_id" and "action_id_result"
  };
  static constexpr unsigned kAllGoalEntries = kGoalMode | kGoalPoses | kActionId;

  /// nextGoal of the queue-based tasks: hands out the front of `queue` with the given entries.
  TaskState handOutNextGoal(
    GoalQueue & queue, unsigned entries, const NextGoalTexts & texts = NextGoalTexts{});
  /// Logs the entry text; with an empty `queue` ends the job's goals and returns true.
  bool finishIfQueueEmpty(const GoalQueue & queue, const NextGoalTexts & texts);
  /// Moves the front of the non-empty `queue` into current_goal_ and writes it to the blackboard.
  void handOutFront(GoalQueue & queue, unsigned entries, const NextGoalTexts & texts);
  /// "run_mode" = -1 and the given completion line.
  void reportAllGoalsDone(const char * text);
  void writeActionId();
  void writeGoalPoses(const std::vector<geometry_msgs::msg::PoseStamped> & poses);

  /// updateQueue of the coverage tasks, after their entry line.
  bool acceptCoverageGoal(const Goal & goal);
  /// Start of the coverage tasks' nextGoal: false (job done) unless the zones are still pending.
  bool claimPendingZones();
  /// Hands the zones and covered points to the tree, with `plan_id` as the plan's identifier.
  void publishCoverageGoal(std::string plan_id);

  BT::Blackboard::Ptr blackboard_;
  std::shared_ptr<TaskGoal> current_goal_;
  BT::Tree * tree_;
  int32_t goal_mode_{-1};
  int32_t run_mode_{-1};
  int32_t action_id_{-1};
  std::vector<geometry_msgs::msg::Point32> covered_points_;
  int32_t coverage_mode_{-1};
  std::vector<geometry_msgs::msg::Polygon> goal_zones_;
  std::vector<geometry_msgs::msg::Polygon> extra_zones_;
  int32_t planner_param_a_{0};
  int32_t planner_param_b_{0};
  bool zone_pending_{false};
};

}  // namespace bt_navigator
