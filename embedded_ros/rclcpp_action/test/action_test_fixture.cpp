#include "action_test_fixture.hpp"

SpinThread::SpinThread(rclcpp::Executor::SharedPtr executor) : executor_(std::move(executor))
{
  thread_ = std::thread([this]() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      started_ = true;
    }
    state_condition_.notify_all();
    executor_->spin();
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    state_condition_.notify_all();
  });
}

SpinThread::~SpinThread()
{
  {
    // A cancel before spin() started is not seen by it: repeat until the thread ended.
    std::unique_lock<std::mutex> lock(mutex_);
    state_condition_.wait(lock, [this] { return started_; });
    do {
      executor_->cancel();
    } while (
      !state_condition_.wait_for(lock, std::chrono::milliseconds(1), [this] { return finished_; }));
  }
  thread_.join();
}

void ActionTest::SetUpTestSuite() { rclcpp::init(0, nullptr); }

void ActionTest::TearDownTestSuite() { rclcpp::shutdown(); }

void ActionTest::SetUp()
{
  server_node_ = std::make_shared<rclcpp::Node>("fibonacci_server");
  client_node_ = std::make_shared<rclcpp::Node>("fibonacci_client");
  client_ = rclcpp_action::create_client<Fibonacci>(client_node_, "fibonacci");
  executor_ = std::make_shared<rclcpp::executors::SingleThreadedExecutor>();
  executor_->add_node(server_node_);
  executor_->add_node(client_node_);
  spin_thread_ = std::make_unique<SpinThread>(executor_);
}

void ActionTest::TearDown()
{
  spin_thread_.reset();
  client_.reset();
  server_.reset();
}

void ActionTest::create_server(
  rclcpp_action::GoalResponse goal_response, rclcpp_action::CancelResponse cancel_response,
  const rcl_action_server_options_t & options)
{
  server_ = rclcpp_action::create_server<Fibonacci>(
    server_node_, "fibonacci",
    [this, goal_response](
      const rclcpp_action::GoalUUID & uuid, std::shared_ptr<const Fibonacci::Goal>) {
      requested_goals_.put(uuid);
      return goal_response;
    },
    [cancel_response](std::shared_ptr<ServerGoalHandle>) { return cancel_response; },
    [this](std::shared_ptr<ServerGoalHandle> goal_handle) {
      executing_when_accepted_.put(goal_handle->is_executing());
      accepted_.put(goal_handle);
    },
    options);
  ASSERT_TRUE(client_->wait_for_action_server(kWaitLimit));
}

ClientGoalHandle::SharedPtr ActionTest::send_goal(
  int32_t order, const rclcpp_action::Client<Fibonacci>::SendGoalOptions & options)
{
  Fibonacci::Goal goal;
  goal.order = order;
  auto future = client_->async_send_goal(goal, options);
  EXPECT_TRUE(is_ready_within(future));
  return future.get();
}

std::shared_ptr<ServerGoalHandle> ActionTest::accepted_goal(size_t index)
{
  EXPECT_TRUE(accepted_.wait_for_count(index + 1));
  auto handles = accepted_.values();
  return index < handles.size() ? handles[index] : nullptr;
}

Fibonacci::Result::SharedPtr ActionTest::result_of(std::vector<int32_t> sequence)
{
  auto result = std::make_shared<Fibonacci::Result>();
  result->sequence = std::move(sequence);
  return result;
}
