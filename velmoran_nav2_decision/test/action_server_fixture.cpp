#include "action_server_fixture.hpp"

namespace velmoran::test
{

void ActionServerFixture::SetUpTestSuite()
{
  setUpQuietLogger();
  rclcpp::init(0, nullptr);
}

void ActionServerFixture::TearDownTestSuite() { rclcpp::shutdown(); }

void ActionServerFixture::SetUp()
{
  onExecute = [this](const std::string &) { server_->succeeded_current(); };
  server_node_ = std::make_shared<rclcpp::Node>("simple_action_server_test");
  rcutils_logging_set_logger_level(
    server_node_->get_logger().get_name(), RCUTILS_LOG_SEVERITY_DEBUG);
  server_ = makeServer();

  client_node_ = std::make_shared<rclcpp::Node>("simple_action_client_test");
  client_ = rclcpp_action::create_client<Action>(client_node_, kActionName);
  client_thread_ = std::make_unique<nav2_util::NodeThread>(client_node_);
  ASSERT_TRUE(client_->wait_for_action_server(kTimeout));
}

void ActionServerFixture::TearDown()
{
  server_.reset();
  client_thread_.reset();
  client_.reset();
  client_node_.reset();
  server_node_.reset();
}

std::unique_ptr<ActionServerFixture::Server> ActionServerFixture::makeServer(
  Server::CompletionCallback completion_callback)
{
  return std::make_unique<Server>(
    server_node_->get_node_base_interface(), server_node_->get_node_clock_interface(),
    server_node_->get_node_logging_interface(), server_node_->get_node_waitables_interface(),
    kActionName, [this] { execute(); }, std::move(completion_callback), true,
    rcl_action_server_get_default_options());
}

void ActionServerFixture::execute()
{
  const auto goal = server_->current_goal();
  const std::string name = goal ? goal->behavior_tree : "";
  {
    std::lock_guard<std::mutex> lock(mutex_);
    executed_goals_.push_back(name);
  }
  cv_.notify_all();
  onExecute(name);
}

std::shared_future<std::shared_ptr<ActionServerFixture::ClientGoalHandle>>
ActionServerFixture::sendGoalAsync(const std::string & name)
{
  Action::Goal goal;
  goal.behavior_tree = name;
  Client::SendGoalOptions options;
  options.feedback_callback = [this](
                                const std::shared_ptr<ClientGoalHandle> &,
                                const std::shared_ptr<const Action::Feedback> &) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++feedback_received_;
    }
    cv_.notify_all();
  };
  return client_->async_send_goal(goal, options);
}

std::shared_ptr<ActionServerFixture::ClientGoalHandle> ActionServerFixture::sendGoal(
  const std::string & name)
{
  auto future = sendGoalAsync(name);
  if (future.wait_for(kTimeout) != std::future_status::ready) {
    ADD_FAILURE() << "no answer to goal " << name;
    return nullptr;
  }
  return future.get();
}

ActionServerFixture::ResultCode ActionServerFixture::resultOf(
  const std::shared_ptr<ClientGoalHandle> & handle)
{
  auto future = client_->async_get_result(handle);
  if (future.wait_for(kTimeout) != std::future_status::ready) {
    ADD_FAILURE() << "no result";
    return ResultCode::UNKNOWN;
  }
  return future.get().code;
}

bool ActionServerFixture::cancel(const std::shared_ptr<ClientGoalHandle> & handle)
{
  auto future = client_->async_cancel_goal(handle);
  if (future.wait_for(kTimeout) != std::future_status::ready) {
    ADD_FAILURE() << "no answer to the cancel request";
    return false;
  }
  return !future.get()->goals_canceling.empty();
}

bool ActionServerFixture::waitForExecutions(std::size_t times)
{
  std::unique_lock<std::mutex> lock(mutex_);
  return cv_.wait_for(lock, kTimeout, [&] { return executed_goals_.size() >= times; });
}

std::vector<std::string> ActionServerFixture::executedGoals()
{
  std::lock_guard<std::mutex> lock(mutex_);
  return executed_goals_;
}

bool ActionServerFixture::waitForFeedback(std::size_t count)
{
  std::unique_lock<std::mutex> lock(mutex_);
  return cv_.wait_for(lock, kTimeout, [&] { return feedback_received_ >= count; });
}

std::string ActionServerFixture::serverLine(const std::string & message)
{
  return std::string("[") + kActionName + "] [ActionServer] " + message;
}

}  // namespace velmoran::test
