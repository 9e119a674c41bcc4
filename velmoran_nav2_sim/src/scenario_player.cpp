#include "velmoran_nav2_sim/scenario_player.hpp"

#include <future>
#include <stdexcept>
#include <utility>

#include <fmt/format.h>
#include <action_msgs/msg/goal_status.hpp>

#include "velmoran_nav2_sim/msg_conversions.hpp"
#include "velmoran_nav2_sim/result_table.hpp"
#include "velmoran_nav2_sim/sim_world.hpp"

namespace velmoran_nav2_sim
{

namespace
{
/// Wall-clock limit of any wait for the node: far above what a working node needs.
constexpr std::chrono::seconds kAnswerTimeout{10};
constexpr std::chrono::seconds kJobTimeout{60};
/// How long an interrupted run waits for the results of the jobs it cancels.
constexpr std::chrono::milliseconds kCancelGrace{500};
/// How often a wait for an answer looks for an interruption.
constexpr std::chrono::milliseconds kInterruptPoll{20};
/// How often the wait for the node's action server looks whether the node's process ended.
constexpr std::chrono::milliseconds kServerPoll{100};

using GoalStatus = action_msgs::msg::GoalStatus;
using Planner = velmoran_protocol::action::Planner;

std::string outcomeOf(int8_t status)
{
  switch (status) {
    case GoalStatus::STATUS_SUCCEEDED:
      return "succeeded";
    case GoalStatus::STATUS_CANCELED:
      return "canceled";
    case GoalStatus::STATUS_ABORTED:
      return "aborted";
    default:
      return fmt::format("status {}", status);
  }
}

std::size_t countJobs(const Scenario & scenario)
{
  std::size_t count = 0;
  for (const auto & step : scenario.steps) {
    count +=
      std::holds_alternative<JobStep>(step) || std::holds_alternative<ForwardedGoalStep>(step);
  }
  return count;
}

bool isRelativeMotion(int32_t run_mode)
{
  return run_mode == Planner::Goal::FIXED_DISTANCE_NAVIGATION ||
         run_mode == Planner::Goal::NAVIGATION_POSE_OFFSET ||
         run_mode == Planner::Goal::NAVIGATION_LATERAL_MOVE ||
         run_mode == Planner::Goal::NAVIGATION_LATERAL_MOVE_WITH_ODOM;
}

geometry_msgs::msg::Point32 point32(const Point2D & point)
{
  geometry_msgs::msg::Point32 message;
  message.x = static_cast<float>(point.x);
  message.y = static_cast<float>(point.y);
  return message;
}
}  // namespace

ScenarioPlayer::ScenarioPlayer(
  const Scenario & scenario, SimulationHost & host, std::ostream & progress)
: scenario_(scenario),
  host_(host),
  progress_(progress),
  job_count_(countJobs(scenario)),
  node_(std::make_shared<rclcpp::Node>("velmoran_scenario_player"))
{
  planner_ = rclcpp_action::create_client<Planner>(node_, "planner");
  navigate_to_pose_ = rclcpp_action::create_client<NavigateToPose>(node_, "navigate_to_pose");
  planner_result_ =
    node_->create_client<Planner::Impl::GetResultService>("planner/_action/get_result");
  stop_task_ = node_->create_client<std_srvs::srv::SetBool>("stop_task");
  arm_retract_detect_ =
    node_->create_client<velmoran_protocol::srv::ArmRetractDetect>("/arm_retract_detect");
  goal_pose_ = node_->create_publisher<geometry_msgs::msg::PoseStamped>(
    "goal_pose", rclcpp::SystemDefaultsQoS());
  robot_info_ = node_->create_publisher<velmoran_protocol::msg::RobotInfoLevelZero>(
    "/robot_info_level_zero", rclcpp::QoS(rclcpp::KeepLast(1)));
  planner_status_ = node_->create_subscription<action_msgs::msg::GoalStatusArray>(
    "planner/_action/status", rclcpp::QoS(rclcpp::KeepLast(10)),
    [this](action_msgs::msg::GoalStatusArray::ConstSharedPtr status) { onStatus(*status); });
  spinner_.add(node_);
  host_.onNodeExit([this](const NodeProcess::Exit & exit) { onNodeExit(exit); });
  // A node in a child process may end before it serves; that ends the wait too.
  const auto deadline = std::chrono::steady_clock::now() + kAnswerTimeout;
  while (!planner_->wait_for_action_server(kServerPoll)) {
    if (nodeExited() || std::chrono::steady_clock::now() >= deadline) {
      host_.onNodeExit({});
      throw std::runtime_error("the decision node serves no \"planner\" action");
    }
  }
}

ScenarioPlayer::~ScenarioPlayer() { host_.onNodeExit({}); }

bool ScenarioPlayer::nodeExited() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return node_exited_;
}

void ScenarioPlayer::onNodeExit(const NodeProcess::Exit & exit)
{
  const std::string why = "the node process " + exit.describe();
  SimRobot & robot = host_.robot();
  std::vector<std::string> lines;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    node_exited_ = true;
    for (auto & record : jobs_) {
      if (record.finished || record.outcome != "no result") {
        continue;
      }
      record.finished = true;
      record.outcome = "failed";
      record.lost_because = why + " while the job ran";
      record.sim_end = robot.simTime();
      record.distance = robot.distanceDriven(record.number);
      lines.push_back(ResultTable::progressLine(record, job_count_) + ": " + record.lost_because);
    }
    if (lines.empty()) {
      problems_.push_back(why + " during the run");
    }
    awaiting_forwarded_.reset();
    interrupted_ = true;
  }
  changed_.notify_all();
  progress_ << "[scenario] " << why << "\n";
  for (const auto & line : lines) {
    progress_ << line << "\n";
  }
  progress_ << std::flush;
}

void ScenarioPlayer::play()
{
  for (const auto & step : scenario_.steps) {
    if (interrupted_) {
      break;
    }
    std::visit([this](const auto & concrete) { runStep(concrete); }, step);
  }
  for (std::size_t job = 0; job < jobs().size() && !interrupted_; ++job) {
    waitForJob(job, 0);
  }
  if (interrupted_) {
    cancelRunningJobs();
  }
}

void ScenarioPlayer::interrupt()
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    interrupted_ = true;
  }
  changed_.notify_all();
}

void ScenarioPlayer::cancelRunningJobs()
{
  std::vector<std::size_t> running;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    awaiting_forwarded_.reset();
    for (std::size_t job = 0; job < jobs_.size(); ++job) {
      if (!jobs_[job].finished && jobs_[job].outcome == "no result") {
        jobs_[job].interrupted = true;
        running.push_back(job);
      }
    }
  }
  if (!running.empty()) {
    progress_ << fmt::format("[scenario] interrupted: cancelling {} job(s)\n", running.size())
              << std::flush;
    // Every goal of the server: jobs of forwarded poses have no handle of this client.
    planner_->async_cancel_all_goals();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, kCancelGrace, [this, &running]() {
      for (const std::size_t job : running) {
        if (!jobs_[job].finished) {
          return false;
        }
      }
      return true;
    });
  }
  host_.robot().stop();
}

template <typename FutureT>
bool ScenarioPlayer::answered(const FutureT & future, std::chrono::milliseconds timeout) const
{
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!interrupted_ && std::chrono::steady_clock::now() < deadline) {
    if (future.wait_for(kInterruptPoll) == std::future_status::ready) {
      return true;
    }
  }
  return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

std::vector<JobRecord> ScenarioPlayer::jobs() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return jobs_;
}

std::vector<std::string> ScenarioPlayer::mismatches() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> found = problems_;
  for (const auto & job : jobs_) {
    for (auto & mismatch : job.mismatches()) {
      found.push_back(std::move(mismatch));
    }
  }
  return found;
}

void ScenarioPlayer::runStep(const JobStep & step)
{
  Planner::Goal goal;
  goal.run_mode = step.run_mode;
  for (const auto & pose : step.poses) {
    goal.goal_poses.push_back(toPoseStamped(pose));
  }
  for (const auto & zone : step.zones) {
    goal.goal_zones.push_back(toPolygonMsg(zone));
  }
  for (const auto & point : step.covered_points) {
    goal.covered_points.push_back(point32(point));
  }
  goal.distance = static_cast<float>(step.distance);
  goal.command = step.command;
  goal.max_speed = static_cast<float>(step.max_speed);
  for (const auto & point : step.lift_frame) {
    goal.lift_frame.push_back(point32(point));
  }
  for (const auto & pose : step.work_points) {
    goal.recommand_work_points.push_back(toPoseStamped(pose));
  }

  JobRecord record;
  record.name = step.name;
  record.input = "planner";
  record.run_mode = step.run_mode;
  record.expect = step.expect;
  // Relative motions give their poses in the robot's frame: not drawn on the map.
  if (!isRelativeMotion(step.run_mode)) {
    record.goals = step.poses.empty() ? step.work_points : step.poses;
  }
  record.zones = step.zones;
  for (const auto & point : step.lift_frame) {
    record.lift_car.push_back(point);
  }
  const std::size_t job = addRecord(std::move(record));
  goal.action_id = static_cast<int32_t>(job + 1);
  if (step.fault) {
    SimWorld::instance().armFault(goal.action_id, *step.fault);
  }

  rclcpp_action::Client<Planner>::SendGoalOptions options;
  options.result_callback = [this, job](const GoalHandle::WrappedResult & result) {
    finish(
      job, static_cast<int8_t>(result.code), result.result ? *result.result : Planner::Result());
  };
  auto handle = planner_->async_send_goal(goal, options);
  const bool answer = answered(handle, kAnswerTimeout);
  if (!answer && interrupted_) {
    return;
  }
  if (!answer || !handle.get()) {
    problem(step.line, fmt::format("job '{}' was not accepted", step.name));
    finish(job, GoalStatus::STATUS_UNKNOWN, Planner::Result());
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    handles_[job] = handle.get();
    known_goals_.insert(handle.get()->get_goal_id());
  }
  reportAccepted(job);
  if (step.wait) {
    waitForJob(job, step.line);
  }
}

void ScenarioPlayer::runStep(const ForwardedGoalStep & step)
{
  JobRecord record;
  record.name = step.name;
  const bool topic = step.input == ForwardedGoalStep::Input::kGoalPoseTopic;
  record.input = topic ? "goal_pose" : "navigate_to_pose";
  record.expect = step.expect;
  record.goals = {step.pose};
  const std::size_t job = addRecord(std::move(record));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    awaiting_forwarded_ = job;
  }
  if (topic) {
    goal_pose_->publish(toPoseStamped(step.pose));
  } else {
    NavigateToPose::Goal goal;
    goal.pose = toPoseStamped(step.pose);
    auto handle = navigate_to_pose_->async_send_goal(goal);
    const bool answer = answered(handle, kAnswerTimeout);
    if (!answer && interrupted_) {
      return;
    }
    if (!answer || !handle.get()) {
      problem(step.line, fmt::format("navigate_to_pose goal '{}' was not accepted", step.name));
    }
  }
  std::unique_lock<std::mutex> lock(mutex_);
  const bool appeared = changed_.wait_for(
    lock, kAnswerTimeout, [this]() { return !awaiting_forwarded_ || interrupted_; });
  if (interrupted_) {
    return;
  }
  if (!appeared) {
    awaiting_forwarded_.reset();
    lock.unlock();
    problem(step.line, fmt::format("no Planner job appeared for '{}'", step.name));
    finish(job, GoalStatus::STATUS_UNKNOWN, Planner::Result());
    return;
  }
  lock.unlock();
  reportAccepted(job);
  if (step.wait) {
    waitForJob(job, step.line);
  }
}

void ScenarioPlayer::reportAccepted(std::size_t job)
{
  std::string line;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const JobRecord & record = jobs_[job];
    line = fmt::format(
      "[job {}/{}] {} ({}): accepted", record.number, job_count_, record.name,
      ResultTable::runModeName(record.run_mode));
  }
  progress_ << line << "\n" << std::flush;
}

void ScenarioPlayer::runStep(const WaitStep & step) { waitSimSeconds(step.seconds); }

void ScenarioPlayer::runStep(const WaitForStep & step)
{
  const std::vector<JobRecord> records = jobs();
  for (std::size_t job = 0; job < records.size(); ++job) {
    if (records[job].name == step.job) {
      waitForJob(job, step.line);
    }
  }
}

void ScenarioPlayer::runStep(const CancelStep & step)
{
  GoalHandle::SharedPtr handle;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t job = 0; job < jobs_.size(); ++job) {
      if (jobs_[job].name == step.job) {
        handle = handles_[job];
      }
    }
  }
  if (!handle) {
    problem(step.line, fmt::format("cancel: job '{}' has no goal of this client", step.job));
    return;
  }
  if (!answered(planner_->async_cancel_goal(handle), kAnswerTimeout) && !interrupted_) {
    problem(step.line, fmt::format("cancel: no answer for job '{}'", step.job));
  }
}

void ScenarioPlayer::runStep(const StopStep & step)
{
  auto answer = stop_task_->async_send_request(std::make_shared<std_srvs::srv::SetBool::Request>());
  if (!answered(answer, kAnswerTimeout) && !interrupted_) {
    problem(step.line, "stop_task: no answer");
  }
}

void ScenarioPlayer::runStep(const EmergencyStopStep & step)
{
  velmoran_protocol::msg::RobotInfoLevelZero info;
  info.emergency_stop = true;
  robot_info_->publish(info);
  waitSimSeconds(step.seconds);
  info.emergency_stop = false;
  robot_info_->publish(info);
}

void ScenarioPlayer::runStep(const ArmRetractCheckStep & step)
{
  auto request = std::make_shared<velmoran_protocol::srv::ArmRetractDetect::Request>();
  for (const auto & point : step.points) {
    request->recommand_work_points.push_back(toPoseStamped({point.x, point.y, 0.0}));
  }
  auto answer = arm_retract_detect_->async_send_request(request);
  if (!answered(answer, kAnswerTimeout)) {
    if (!interrupted_) {
      problem(step.line, "arm_retract_check: no answer");
    }
    return;
  }
  const bool need_retract = answer.get()->need_retract;
  progress_ << fmt::format("[check] arm retraction: need_retract {}\n", need_retract) << std::flush;
  if (need_retract != step.expect_need_retract) {
    problem(
      step.line,
      fmt::format(
        "arm_retract_check: need_retract {}, expected {}", need_retract, step.expect_need_retract));
  }
}

std::size_t ScenarioPlayer::addRecord(JobRecord record)
{
  SimRobot & robot = host_.robot();
  std::lock_guard<std::mutex> lock(mutex_);
  record.number = static_cast<int>(jobs_.size() + 1);
  record.sim_start = robot.simTime();
  robot.setTag(record.number);
  jobs_.push_back(std::move(record));
  handles_.emplace_back();
  return jobs_.size() - 1;
}

void ScenarioPlayer::finish(std::size_t job, int8_t status, const Planner::Result & result)
{
  SimRobot & robot = host_.robot();
  std::string line;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    JobRecord & record = jobs_[job];
    if (record.finished) {
      return;
    }
    record.finished = status != GoalStatus::STATUS_UNKNOWN;
    record.outcome = record.finished ? outcomeOf(status) : "not accepted";
    record.err_num = result.err_num;
    record.index = result.index;
    record.message = result.message;
    record.cleaned_area = result.cleaned_area;
    if (status != GoalStatus::STATUS_SUCCEEDED) {
      for (const auto & zone : result.residues_zones) {
        record.residues.push_back(toPolygon2D(zone));
      }
    }
    record.sim_end = robot.simTime();
    record.distance = robot.distanceDriven(record.number);
    SimWorld::instance().disarmFault(record.number);
    line = ResultTable::progressLine(record, job_count_);
  }
  changed_.notify_all();
  progress_ << line << "\n" << std::flush;
}

void ScenarioPlayer::waitForJob(std::size_t job, int line)
{
  std::unique_lock<std::mutex> lock(mutex_);
  const bool done = changed_.wait_for(lock, kJobTimeout, [this, job]() {
    return jobs_[job].finished || jobs_[job].outcome != "no result" || interrupted_;
  });
  if (!done && !interrupted_) {
    const std::string name = jobs_[job].name;
    lock.unlock();
    problem(line, fmt::format("job '{}' had no result after {} s", name, kJobTimeout.count()));
  }
}

void ScenarioPlayer::waitSimSeconds(double seconds)
{
  SimRobot & robot = host_.robot();
  const double until = robot.simTime() + seconds;
  const auto wall = std::chrono::duration<double>(seconds / robot.timeFactor()) + kAnswerTimeout;
  robot.waitFor(
    [this, &robot, until]() { return interrupted_ || robot.simTime() >= until; },
    std::chrono::duration_cast<std::chrono::milliseconds>(wall));
}

void ScenarioPlayer::onStatus(const action_msgs::msg::GoalStatusArray & status)
{
  std::optional<std::size_t> job;
  GoalId goal_id{};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto & entry : status.status_list) {
      if (known_goals_.insert(entry.goal_info.goal_id.uuid).second && awaiting_forwarded_) {
        job = awaiting_forwarded_;
        goal_id = entry.goal_info.goal_id.uuid;
        awaiting_forwarded_.reset();
      }
    }
  }
  if (!job) {
    return;
  }
  changed_.notify_all();
  auto request = std::make_shared<Planner::Impl::GetResultService::Request>();
  request->goal_id.uuid = goal_id;
  planner_result_->async_send_request(
    request, [this, job](rclcpp::Client<Planner::Impl::GetResultService>::SharedFuture answer) {
      const auto response = answer.get();
      finish(*job, response->status, response->result);
    });
}

void ScenarioPlayer::problem(int line, const std::string & what)
{
  std::lock_guard<std::mutex> lock(mutex_);
  problems_.push_back(line > 0 ? fmt::format("{}:{}: {}", scenario_.file, line, what) : what);
}

}  // namespace velmoran_nav2_sim
