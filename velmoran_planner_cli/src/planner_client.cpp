#include "velmoran_planner_cli/planner_client.hpp"

#include <deque>
#include <optional>
#include <utility>

#include "rclcpp_action/rclcpp_action.hpp"
#include "std_srvs/srv/set_bool.hpp"
#include "velmoran_protocol/action/planner.hpp"
#include "velmoran_protocol/msg/robot_info_level_zero.hpp"
#include "velmoran_protocol/run_modes.hpp"
#include "velmoran_protocol/srv/arm_retract_detect.hpp"

namespace velmoran_planner
{
namespace
{

using namespace std::chrono_literals;
using Planner = velmoran_protocol::action::Planner;
using GoalHandle = rclcpp_action::ClientGoalHandle<Planner>;

/// How long an answer to one request may take before the command gives up on it.
constexpr auto kAnswerLimit = 10s;
constexpr auto kPollPeriod = 50ms;
constexpr auto kDefaultTimeout = 10s;
// Far enough for "no limit", near enough not to overflow the clock's arithmetic.
constexpr auto kNoLimit = std::chrono::hours(24 * 365 * 100);

std::string runModeText(int32_t run_mode)
{
  const std::string & name = velmoran_protocol::runModeName(run_mode);
  if (name == velmoran_protocol::kUnknownRunModeName) {
    return std::to_string(run_mode);
  }
  return name + " (" + std::to_string(run_mode) + ")";
}

const char * outcomeName(rclcpp_action::ResultCode code)
{
  switch (code) {
    case rclcpp_action::ResultCode::SUCCEEDED:
      return "SUCCEEDED";
    case rclcpp_action::ResultCode::CANCELED:
      return "CANCELED";
    case rclcpp_action::ResultCode::ABORTED:
      return "ABORTED";
    default:
      return "UNKNOWN";
  }
}

void printResult(std::ostream & out, const GoalHandle::WrappedResult & wrapped)
{
  out << "Result:\n  outcome: " << outcomeName(wrapped.code) << "\n";
  if (wrapped.result) {
    const auto & result = *wrapped.result;
    out << "  success: " << (result.success ? "true" : "false") << "\n"
        << "  index: " << result.index << "\n"
        << "  err_num: " << result.err_num << "\n"
        << "  message: \"" << result.message << "\"\n"
        << "  cleaned_area: " << result.cleaned_area << "\n"
        << "  global_path: " << result.global_path.size() << " poses\n"
        << "  post_task_path: " << result.post_task_path.size() << " poses\n"
        << "  residues_zones: " << result.residues_zones.size() << " zones\n";
  }
  out << "Goal finished with status: " << outcomeName(wrapped.code) << std::endl;
}

/// What the action client's callbacks hand to the main thread, under the wait's mutex.
struct GoalEvents
{
  bool responded{false};
  GoalHandle::SharedPtr handle;
  std::deque<Planner::Feedback> feedback;
  std::optional<GoalHandle::WrappedResult> result;
  std::shared_ptr<action_msgs::srv::CancelGoal::Response> cancel_response;
};

}  // namespace

PlannerClient::PlannerClient(
  rclcpp::Node::SharedPtr node, const PlannerRequest & request, CommandWait & wait,
  std::ostream & out, std::ostream & err)
: node_(std::move(node)), request_(request), wait_(wait), out_(out), err_(err)
{
  const auto limit = request_.timeout_seconds
                       ? std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::duration<double>(*request_.timeout_seconds))
                       : std::chrono::duration_cast<std::chrono::nanoseconds>(
                           request_.verb == Verb::Send ? kNoLimit : kDefaultTimeout);
  deadline_ = CommandWait::Clock::now() + limit;
}

std::string PlannerClient::goalIdText(const rclcpp_action::GoalUUID & goal_id)
{
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * goal_id.size());
  for (const auto byte : goal_id) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0f];
  }
  return text;
}

int PlannerClient::run()
{
  switch (request_.verb) {
    case Verb::Send:
      return send();
    case Verb::Cancel:
      return cancel();
    case Verb::StopTask:
      return stopTask();
    case Verb::Estop:
      return estop();
    case Verb::ArmRetractCheck:
      return armRetractCheck();
    default:
      return 2;
  }
}

std::string PlannerClient::resolve(const std::string & relative) const
{
  return request_.node_namespace == "/" ? "/" + relative : request_.node_namespace + "/" + relative;
}

CommandWait::Clock::time_point PlannerClient::within(std::chrono::milliseconds limit) const
{
  return std::min(deadline_, CommandWait::Clock::now() + limit);
}

bool PlannerClient::waitForServer(const std::string & what, const std::function<bool()> & ready)
{
  if (ready()) {
    return true;
  }
  out_ << "Waiting for " << what << " of node " << request_.node_name << "..." << std::endl;
  while (!ready()) {
    if (wait_.interrupted()) {
      err_ << "Interrupted while waiting for " << what << std::endl;
      return false;
    }
    if (timedOut()) {
      err_ << "Timed out waiting for " << what << std::endl;
      return false;
    }
    wait_.waitUntil([] { return false; }, within(kPollPeriod));
  }
  return true;
}

rclcpp_action::Client<Planner>::SharedPtr PlannerClient::plannerClient()
{
  const std::string action_name = resolve("planner");
  auto client = rclcpp_action::create_client<Planner>(node_, action_name);
  if (!waitForServer("the action server " + action_name, [&client] {
        return client->action_server_is_ready();
      })) {
    return nullptr;
  }
  return client;
}

int PlannerClient::send()
{
  const auto client = plannerClient();
  if (!client) {
    return 1;
  }

  const auto & goal = request_.goal;
  out_ << "Sending goal: run_mode " << runModeText(goal.run_mode) << ", " << goal.goal_poses.size()
       << " poses, " << goal.goal_zones.size() << " zones, command " << goal.command
       << ", max_speed " << goal.max_speed << ", action_id " << goal.action_id << ", distance "
       << goal.distance << std::endl;

  auto events = std::make_shared<GoalEvents>();
  rclcpp_action::Client<Planner>::SendGoalOptions options;
  options.goal_response_callback = [this, events](GoalHandle::SharedPtr handle) {
    {
      std::lock_guard<std::mutex> lock(wait_.mutex());
      events->responded = true;
      events->handle = std::move(handle);
    }
    wait_.notify();
  };
  // The goal handle keeps these two callbacks, and `events` keeps the handle: they hold it
  // weakly, or neither would ever be freed.
  options.feedback_callback = [this, weak_events = std::weak_ptr<GoalEvents>(events)](
                                GoalHandle::SharedPtr,
                                const std::shared_ptr<const Planner::Feedback> feedback) {
    if (const auto goal_events = weak_events.lock()) {
      {
        std::lock_guard<std::mutex> lock(wait_.mutex());
        goal_events->feedback.push_back(*feedback);
      }
      wait_.notify();
    }
  };
  options.result_callback = [this, weak_events = std::weak_ptr<GoalEvents>(events)](
                              const GoalHandle::WrappedResult & result) {
    if (const auto goal_events = weak_events.lock()) {
      {
        std::lock_guard<std::mutex> lock(wait_.mutex());
        goal_events->result = result;
      }
      wait_.notify();
    }
  };
  client->async_send_goal(goal, options);

  // A goal that the server accepts after Ctrl-C or the time-out must still be canceled, so its
  // answer is awaited whatever cut the first wait short.
  const auto responded = [&events] { return events->responded; };
  const auto answer_limit = CommandWait::Clock::now() + kAnswerLimit;
  if (
    !wait_.waitUntil(responded, std::min(deadline_, answer_limit)) &&
    !wait_.waitThroughInterruption(responded, answer_limit)) {
    err_ << "The server did not answer the goal request" << std::endl;
    return 1;
  }
  GoalHandle::SharedPtr handle;
  {
    std::lock_guard<std::mutex> lock(wait_.mutex());
    handle = events->handle;
  }
  if (!handle) {
    out_ << "Goal was rejected." << std::endl;
    return 1;
  }
  out_ << "Goal accepted with ID: " << goalIdText(handle->get_goal_id()) << std::endl;

  // Prints the feedback that came; true once the result is there.
  const auto drain = [this, &events]() {
    std::deque<Planner::Feedback> feedback;
    std::optional<GoalHandle::WrappedResult> result;
    {
      std::lock_guard<std::mutex> lock(wait_.mutex());
      feedback.swap(events->feedback);
      result = events->result;
    }
    for (const auto & message : feedback) {
      out_ << "Feedback: index " << message.index << ", pose (" << message.pose.pose.position.x
           << ", " << message.pose.pose.position.y << ")" << std::endl;
    }
    if (result) {
      printResult(out_, *result);
    }
    return result;
  };
  while (true) {
    wait_.waitUntil(
      [&events] { return !events->feedback.empty() || events->result.has_value(); }, deadline_);
    if (const auto result = drain()) {
      return result->code == rclcpp_action::ResultCode::SUCCEEDED && result->result &&
                 result->result->success
               ? 0
               : 1;
    }
    if (wait_.interrupted() || timedOut()) {
      break;
    }
  }

  out_ << (wait_.interrupted() ? "Interrupted" : "Timed out") << ", canceling the goal..."
       << std::endl;
  client->async_cancel_goal(
    handle, [this, events](std::shared_ptr<action_msgs::srv::CancelGoal::Response> response) {
      {
        std::lock_guard<std::mutex> lock(wait_.mutex());
        events->cancel_response = std::move(response);
      }
      wait_.notify();
    });
  // Bounded waits that a further Ctrl-C does not cut short: the cancel answer, then the result.
  const auto answered = [&events] { return events->cancel_response != nullptr; };
  const auto finished = [&events] { return events->result.has_value(); };
  const auto bounded = [this](const std::function<bool()> & done) {
    return wait_.waitThroughInterruption(done, CommandWait::Clock::now() + kAnswerLimit);
  };
  if (!bounded(answered)) {
    err_ << "The server did not answer the cancel request" << std::endl;
    return 1;
  }
  {
    std::lock_guard<std::mutex> lock(wait_.mutex());
    const auto & response = *events->cancel_response;
    if (response.return_code == action_msgs::srv::CancelGoal::Response::ERROR_NONE) {
      out_ << "Cancel request accepted." << std::endl;
    } else {
      out_ << "Cancel request refused (return code " << static_cast<int>(response.return_code)
           << ")." << std::endl;
    }
  }
  if (bounded(finished)) {
    drain();
  } else {
    err_ << "No result came after the cancel request" << std::endl;
  }
  return 1;
}

int PlannerClient::cancel()
{
  const auto client = plannerClient();
  if (!client) {
    return 1;
  }
  // Shared with the callback: the answer may still come after this returns.
  auto answer = std::make_shared<std::shared_ptr<action_msgs::srv::CancelGoal::Response>>();
  client->async_cancel_all_goals(
    [this, answer](std::shared_ptr<action_msgs::srv::CancelGoal::Response> response) {
      {
        std::lock_guard<std::mutex> lock(wait_.mutex());
        *answer = std::move(response);
      }
      wait_.notify();
    });
  if (!wait_.waitUntil([&answer] { return *answer != nullptr; }, within(kAnswerLimit))) {
    err_ << (wait_.interrupted() ? "Interrupted" : "Timed out")
         << " waiting for the answer to the cancel request" << std::endl;
    return 1;
  }
  const auto response = *answer;
  if (response->return_code != action_msgs::srv::CancelGoal::Response::ERROR_NONE) {
    out_ << "Cancel request refused (return code " << static_cast<int>(response->return_code)
         << "): no goal to cancel." << std::endl;
    return 1;
  }
  out_ << "Canceling " << response->goals_canceling.size() << " goal(s)." << std::endl;
  for (const auto & info : response->goals_canceling) {
    out_ << "  " << rclcpp_action::to_string(info.goal_id.uuid) << std::endl;
  }
  return 0;
}

template <typename ServiceT>
typename ServiceT::Response::SharedPtr PlannerClient::call(
  const std::string & service_name, const typename ServiceT::Request & request)
{
  auto client = node_->create_client<ServiceT>(service_name);
  if (!waitForServer(
        "the service " + service_name, [&client] { return client->service_is_ready(); })) {
    return nullptr;
  }
  // Shared with the callback: the answer may still come after this returns.
  auto answer = std::make_shared<typename ServiceT::Response::SharedPtr>();
  auto pending = client->async_send_request(
    std::make_shared<typename ServiceT::Request>(request),
    [this, answer](typename rclcpp::Client<ServiceT>::SharedFuture future) {
      {
        std::lock_guard<std::mutex> lock(wait_.mutex());
        *answer = future.get();
      }
      wait_.notify();
    });
  if (!wait_.waitUntil([&answer] { return *answer != nullptr; }, within(kAnswerLimit))) {
    client->remove_pending_request(pending.request_id);
    err_ << (wait_.interrupted() ? "Interrupted" : "Timed out") << " waiting for the answer of "
         << service_name << std::endl;
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(wait_.mutex());
  return *answer;
}

int PlannerClient::stopTask()
{
  const std::string service_name = resolve("stop_task");
  std_srvs::srv::SetBool::Request request;
  request.data = true;
  const auto response = call<std_srvs::srv::SetBool>(service_name, request);
  if (!response) {
    return 1;
  }
  // The node raises its stop flag for every request and leaves the answer as constructed.
  out_ << "Stop requested through " << service_name << " (answer: success "
       << (response->success ? "true" : "false") << ", message \"" << response->message << "\")."
       << std::endl;
  return 0;
}

int PlannerClient::armRetractCheck()
{
  const std::string service_name = "/arm_retract_detect";
  velmoran_protocol::srv::ArmRetractDetect::Request request;
  request.recommand_work_points = request_.work_points;
  const auto response = call<velmoran_protocol::srv::ArmRetractDetect>(service_name, request);
  if (!response) {
    return 1;
  }
  out_ << "need_retract: " << (response->need_retract ? "true" : "false") << std::endl;
  return 0;
}

int PlannerClient::estop()
{
  const std::string topic = "/robot_info_level_zero";
  auto publisher = node_->create_publisher<velmoran_protocol::msg::RobotInfoLevelZero>(
    topic, rclcpp::QoS(rclcpp::KeepLast(1)));
  if (!waitForServer("a subscriber of " + topic, [&publisher] {
        return publisher->get_subscription_count() > 0;
      })) {
    return 1;
  }
  velmoran_protocol::msg::RobotInfoLevelZero message;
  message.emergency_stop = request_.emergency_stop;
  // The topic carries a state that the robot repeats. A subscriber that has only just matched
  // this publisher may miss a first sample, so the state goes out a few times.
  constexpr int kRepeats = 5;
  for (int repeat = 0; repeat < kRepeats; ++repeat) {
    publisher->publish(message);
    if (wait_.waitUntil([] { return false; }, within(100ms)) || wait_.interrupted()) {
      break;
    }
  }
  out_ << "Published emergency_stop: " << (message.emergency_stop ? "true" : "false") << " on "
       << topic << std::endl;
  return 0;
}

}  // namespace velmoran_planner
