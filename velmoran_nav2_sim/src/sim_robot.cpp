#include "velmoran_nav2_sim/sim_robot.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

#include <geometry_msgs/msg/transform_stamped.hpp>
#include <velmoran_communicator/micro_unit_cmd_vel.hpp>

namespace velmoran_nav2_sim
{

namespace
{
constexpr double kSampleSpacing = 0.02;
constexpr double kYawTolerance = 1e-3;
/// A stalled executor must not make the robot jump.
constexpr double kMaxWallStep = 0.1;

bool isZero(const geometry_msgs::msg::Twist & twist)
{
  return twist.linear.x == 0.0 && twist.linear.y == 0.0 && twist.linear.z == 0.0 &&
         twist.angular.x == 0.0 && twist.angular.y == 0.0 && twist.angular.z == 0.0;
}
}  // namespace

SimRobot::SimRobot(const Options & options)
: options_(options),
  node_(std::make_shared<rclcpp::Node>("velmoran_sim_robot")),
  last_step_(std::chrono::steady_clock::now()),
  pose_(options.start)
{
  broadcaster_ = std::make_unique<tf2_ros::TransformBroadcaster>(node_);
  velocity_sub_ = node_->create_subscription<geometry_msgs::msg::Twist>(
    velmoran_communicator::MicroUnitCmdVel::kTopic, rclcpp::SystemDefaultsQoS(),
    [this](geometry_msgs::msg::Twist::ConstSharedPtr twist) { onVelocity(*twist); });
  trajectory_.push_back({0.0, pose_, tag_});
  publishTransform();
  timer_ = node_->create_wall_timer(options_.step, [this]() { onStep(); });
}

std::uint64_t SimRobot::drive(std::vector<Pose2D> waypoints, double speed, Heading heading)
{
  for (const Pose2D & waypoint : waypoints) {
    if (!insideWorld(waypoint.x, waypoint.y) || !std::isfinite(waypoint.yaw)) {
      throw std::invalid_argument(
        "the robot drives to finite waypoints inside the world, not to (" +
        std::to_string(waypoint.x) + ", " + std::to_string(waypoint.y) + ")");
    }
  }
  if (!std::isfinite(speed) || speed < 0.0) {
    throw std::invalid_argument("the robot's speed must be finite and not negative");
  }
  std::lock_guard<std::mutex> lock(mutex_);
  waypoints_ = std::move(waypoints);
  speed_ = speed;
  heading_ = heading;
  status_.command += 1;
  status_.active = true;
  status_.reached = false;
  status_.waypoints_reached = 0;
  return status_.command;
}

void SimRobot::stop()
{
  std::lock_guard<std::mutex> lock(mutex_);
  status_.active = false;
  waypoints_.clear();
}

SimRobot::MotionStatus SimRobot::status() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return status_;
}

Pose2D SimRobot::pose() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return pose_;
}

double SimRobot::simTime() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return sim_time_;
}

double SimRobot::timeFactor() const { return options_.time_factor; }

void SimRobot::setTag(int tag)
{
  std::lock_guard<std::mutex> lock(mutex_);
  tag_ = tag;
  trajectory_.push_back({sim_time_, pose_, tag_});
}

std::vector<SimRobot::Sample> SimRobot::trajectory() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return trajectory_;
}

double SimRobot::distanceDriven(int tag) const
{
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = distance_by_tag_.find(tag);
  return found == distance_by_tag_.end() ? 0.0 : found->second;
}

int SimRobot::stopCommands() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return stop_commands_;
}

bool SimRobot::waitFor(
  const std::function<bool()> & condition, std::chrono::milliseconds timeout) const
{
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    std::unique_lock<std::mutex> lock(mutex_);
    const std::uint64_t step = steps_;
    if (!stepped_.wait_until(lock, deadline, [&]() { return steps_ != step; })) {
      lock.unlock();
      return condition();
    }
  }
  return true;
}

bool SimRobot::waitUntilSimTime(double sim_time, std::chrono::milliseconds timeout) const
{
  std::unique_lock<std::mutex> lock(mutex_);
  return stepped_.wait_for(lock, timeout, [&]() { return sim_time_ >= sim_time; });
}

void SimRobot::onStep()
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    const double wall =
      std::min(std::chrono::duration<double>(now - last_step_).count(), kMaxWallStep);
    last_step_ = now;
    advance(wall * options_.time_factor);
    steps_ += 1;
  }
  stepped_.notify_all();
  publishTransform();
}

void SimRobot::advance(double dt)
{
  sim_time_ += dt;
  if (!status_.active) {
    return;
  }
  double budget = speed_ * dt;
  double travelled = 0.0;
  while (status_.waypoints_reached < waypoints_.size()) {
    const Pose2D & target = waypoints_[status_.waypoints_reached];
    const double remaining = distance(pose_, target);
    if (remaining > budget) {
      pose_.x += (target.x - pose_.x) * budget / remaining;
      pose_.y += (target.y - pose_.y) * budget / remaining;
      travelled += budget;
      if (heading_ == Heading::kAlongPath) {
        rotateTowards(std::atan2(target.y - pose_.y, target.x - pose_.x), dt);
      }
      break;
    }
    budget -= remaining;
    travelled += remaining;
    pose_.x = target.x;
    pose_.y = target.y;
    if (status_.waypoints_reached + 1 < waypoints_.size()) {
      // Corners are kept in the trajectory, however long the step.
      distance_by_tag_[tag_] += travelled;
      travelled = 0.0;
      trajectory_.push_back({sim_time_, pose_, tag_});
      status_.waypoints_reached += 1;
      continue;
    }
    rotateTowards(target.yaw, dt);
    if (std::abs(normalizeAngle(pose_.yaw - target.yaw)) < kYawTolerance) {
      pose_.yaw = target.yaw;
      status_.waypoints_reached += 1;
      status_.active = false;
      status_.reached = true;
    }
    break;
  }
  distance_by_tag_[tag_] += travelled;
  record();
}

void SimRobot::rotateTowards(double yaw, double dt)
{
  const double error = normalizeAngle(yaw - pose_.yaw);
  const double step = options_.angular_speed * dt;
  pose_.yaw =
    std::abs(error) <= step ? yaw : normalizeAngle(pose_.yaw + std::copysign(step, error));
}

void SimRobot::record()
{
  const Sample & last = trajectory_.back();
  const double moved = distance(last.pose, pose_);
  if (moved == 0.0 && last.pose.yaw == pose_.yaw) {
    return;
  }
  if (last.tag != tag_ || moved >= kSampleSpacing || !status_.active) {
    trajectory_.push_back({sim_time_, pose_, tag_});
  }
}

void SimRobot::publishTransform()
{
  const Pose2D pose = this->pose();
  geometry_msgs::msg::TransformStamped transform;
  transform.header.stamp = node_->now();
  transform.header.frame_id = options_.global_frame;
  transform.child_frame_id = options_.base_frame;
  transform.transform.translation.x = pose.x;
  transform.transform.translation.y = pose.y;
  transform.transform.rotation.z = std::sin(pose.yaw / 2.0);
  transform.transform.rotation.w = std::cos(pose.yaw / 2.0);
  broadcaster_->sendTransform(transform);
}

void SimRobot::onVelocity(const geometry_msgs::msg::Twist & twist)
{
  if (!isZero(twist)) {
    return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  stop_commands_ += 1;
  status_.active = false;
  waypoints_.clear();
}

}  // namespace velmoran_nav2_sim
