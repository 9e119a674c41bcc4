// The managed-node state machine: the standard path, failing, erroring and throwing callbacks,
// and transitions that do not exist.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <lifecycle_msgs/msg/state.hpp>
#include <lifecycle_msgs/msg/transition.hpp>
#include <rclcpp/rclcpp.hpp>
#include <rclcpp_lifecycle/lifecycle_node.hpp>

#include "log_capture.hpp"

namespace
{
using CallbackReturn = rclcpp_lifecycle::node_interfaces::LifecycleNodeInterface::CallbackReturn;
using State = lifecycle_msgs::msg::State;
using Transition = lifecycle_msgs::msg::Transition;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

/// Records "<callback>:<previous state label>" and answers as told.
class RecordingNode : public rclcpp_lifecycle::LifecycleNode
{
public:
  RecordingNode() : rclcpp_lifecycle::LifecycleNode("recording_node") {}

  CallbackReturn on_configure(const rclcpp_lifecycle::State & previous) override
  {
    return answer("configure", previous);
  }
  CallbackReturn on_activate(const rclcpp_lifecycle::State & previous) override
  {
    return answer("activate", previous);
  }
  CallbackReturn on_deactivate(const rclcpp_lifecycle::State & previous) override
  {
    return answer("deactivate", previous);
  }
  CallbackReturn on_cleanup(const rclcpp_lifecycle::State & previous) override
  {
    return answer("cleanup", previous);
  }
  CallbackReturn on_shutdown(const rclcpp_lifecycle::State & previous) override
  {
    return answer("shutdown", previous);
  }
  CallbackReturn on_error(const rclcpp_lifecycle::State & previous) override
  {
    calls.push_back("error:" + previous.label());
    return error_answer;
  }

  std::vector<std::string> calls;
  std::string throw_in;
  std::string fail_in;
  std::string error_in;
  CallbackReturn error_answer = CallbackReturn::FAILURE;

private:
  CallbackReturn answer(const std::string & callback, const rclcpp_lifecycle::State & previous)
  {
    calls.push_back(callback + ":" + previous.label());
    if (callback == throw_in) {
      throw std::runtime_error("boom in " + callback);
    }
    if (callback == fail_in) {
      return CallbackReturn::FAILURE;
    }
    return callback == error_in ? CallbackReturn::ERROR : CallbackReturn::SUCCESS;
  }
};

class LifecycleTransitionsTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { rclcpp::init(0, nullptr); }
  static void TearDownTestSuite() { rclcpp::shutdown(); }

  void SetUp() override { node_ = std::make_shared<RecordingNode>(); }

  std::shared_ptr<RecordingNode> node_;
};

TEST_F(LifecycleTransitionsTest, StandardPathVisitsEveryPrimaryState)
{
  EXPECT_EQ(node_->get_current_state().id(), State::PRIMARY_STATE_UNCONFIGURED);
  EXPECT_EQ(node_->configure().label(), "inactive");
  EXPECT_EQ(node_->activate().id(), State::PRIMARY_STATE_ACTIVE);
  EXPECT_EQ(node_->deactivate().id(), State::PRIMARY_STATE_INACTIVE);
  EXPECT_EQ(node_->cleanup().id(), State::PRIMARY_STATE_UNCONFIGURED);
  CallbackReturn code;
  EXPECT_EQ(node_->shutdown(code).label(), "finalized");
  EXPECT_EQ(code, CallbackReturn::SUCCESS);
  EXPECT_THAT(
    node_->calls, ElementsAre(
                    "configure:unconfigured", "activate:inactive", "deactivate:active",
                    "cleanup:inactive", "shutdown:unconfigured"));
  EXPECT_EQ(node_->get_current_state().id(), State::PRIMARY_STATE_FINALIZED);
}

TEST_F(LifecycleTransitionsTest, ShutdownWorksFromActive)
{
  node_->configure();
  node_->activate();
  EXPECT_EQ(node_->shutdown().id(), State::PRIMARY_STATE_FINALIZED);
  EXPECT_EQ(node_->calls.back(), "shutdown:active");
}

TEST_F(LifecycleTransitionsTest, FailingCallbackReturnsToThePreviousState)
{
  node_->fail_in = "configure";
  CallbackReturn code;
  EXPECT_EQ(node_->configure(code).id(), State::PRIMARY_STATE_UNCONFIGURED);
  EXPECT_EQ(code, CallbackReturn::FAILURE);

  node_->fail_in = "activate";
  node_->configure();
  EXPECT_EQ(node_->activate(code).id(), State::PRIMARY_STATE_INACTIVE);
  EXPECT_EQ(code, CallbackReturn::FAILURE);
  EXPECT_THAT(node_->calls, ::testing::Not(::testing::Contains(HasSubstr("error:"))));
}

TEST_F(LifecycleTransitionsTest, ThrowingCallbackIsHandledAsErrorAndFinalizes)
{
  LogCapture log;
  node_->throw_in = "configure";
  CallbackReturn code;
  EXPECT_EQ(node_->configure(code).id(), State::PRIMARY_STATE_FINALIZED);
  EXPECT_EQ(code, CallbackReturn::ERROR);
  EXPECT_THAT(node_->calls, ElementsAre("configure:unconfigured", "error:unconfigured"));

  const auto lines = log.lines_of("");
  std::vector<std::string> messages;
  for (const auto & line : lines) {
    messages.push_back(line.message);
  }
  EXPECT_THAT(
    messages,
    ::testing::IsSupersetOf(
      {"Caught exception in callback for transition 10", "Original error: boom in configure"}));
  // Nothing leads out of finalized but nothing crashes either.
  EXPECT_EQ(node_->configure().id(), State::PRIMARY_STATE_FINALIZED);
}

TEST_F(LifecycleTransitionsTest, ErrorHandledSuccessfullyReturnsToUnconfigured)
{
  node_->configure();
  node_->error_in = "activate";
  node_->error_answer = CallbackReturn::SUCCESS;
  CallbackReturn code;
  EXPECT_EQ(node_->activate(code).id(), State::PRIMARY_STATE_UNCONFIGURED);
  EXPECT_EQ(code, CallbackReturn::ERROR);
  EXPECT_EQ(node_->calls.back(), "error:inactive");
}

TEST_F(LifecycleTransitionsTest, DefaultErrorHandlingFinalizes)
{
  auto plain = std::make_shared<rclcpp_lifecycle::LifecycleNode>("plain_node");
  plain->register_on_cleanup([](const rclcpp_lifecycle::State &) -> CallbackReturn {
    throw std::runtime_error("cleanup failed");
  });
  plain->configure();
  EXPECT_EQ(plain->cleanup().id(), State::PRIMARY_STATE_FINALIZED);
}

TEST_F(LifecycleTransitionsTest, TransitionNotPossibleFromTheStateChangesNothing)
{
  LogCapture log;
  CallbackReturn code = CallbackReturn::SUCCESS;
  EXPECT_EQ(node_->activate(code).id(), State::PRIMARY_STATE_UNCONFIGURED);
  EXPECT_NE(code, CallbackReturn::SUCCESS);
  EXPECT_TRUE(node_->calls.empty());
  const auto lines = log.lines_of("");
  ASSERT_FALSE(lines.empty());
  EXPECT_THAT(
    lines.back().message,
    HasSubstr("Unable to start transition 3 from current state unconfigured"));
}

TEST_F(LifecycleTransitionsTest, AvailableTransitionsFollowTheState)
{
  std::vector<uint8_t> ids;
  for (const auto & transition : node_->get_available_transitions()) {
    ids.push_back(transition.id());
  }
  EXPECT_THAT(
    ids, ::testing::UnorderedElementsAre(
           Transition::TRANSITION_CONFIGURE, Transition::TRANSITION_UNCONFIGURED_SHUTDOWN));
  EXPECT_EQ(node_->get_available_states().size(), 11u);
  EXPECT_EQ(node_->get_transition_graph().size(), 25u);
  EXPECT_EQ(node_->trigger_transition(Transition::TRANSITION_CONFIGURE).label(), "inactive");
}

TEST_F(LifecycleTransitionsTest, RegisteredCallbackReplacesTheMember)
{
  int calls = 0;
  node_->register_on_configure([&calls](const rclcpp_lifecycle::State &) {
    ++calls;
    return CallbackReturn::FAILURE;
  });
  EXPECT_EQ(node_->configure().id(), State::PRIMARY_STATE_UNCONFIGURED);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(node_->calls.empty());
}

TEST_F(LifecycleTransitionsTest, StatesAndTransitionsNeedLabels)
{
  EXPECT_THROW(rclcpp_lifecycle::State(1, ""), std::runtime_error);
  EXPECT_THROW(rclcpp_lifecycle::Transition(1), std::runtime_error);
  const rclcpp_lifecycle::State state(State::PRIMARY_STATE_ACTIVE, "active");
  EXPECT_EQ(state.id(), State::PRIMARY_STATE_ACTIVE);
}

}  // namespace
