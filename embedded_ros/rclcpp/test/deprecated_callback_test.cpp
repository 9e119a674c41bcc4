// Subscription callbacks that take the message as std::shared_ptr<MessageT> are deprecated, as in
// Humble, but still served; this file checks that they are, so it asks for no warnings.
#define RCLCPP_AVOID_DEPRECATIONS_FOR_UNIT_TESTS 1

#include <gtest/gtest.h>

#include <memory>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"
#include "std_msgs/msg/int32.hpp"

namespace
{

using std_msgs::msg::Int32;

class DeprecatedCallbackTest : public RosTest
{
};

TEST_F(DeprecatedCallbackTest, MutableSharedPtrCallbackGetsAPrivateCopy)
{
  auto node = std::make_shared<rclcpp::Node>("node");
  int shared_const = 0, shared_mutable = 0;
  auto mutating = node->create_subscription<Int32>("t", 10, [&](Int32::SharedPtr m) {
    m->data += 1;
    shared_mutable = m->data;
  });
  auto reading = node->create_subscription<Int32>(
    "t", 10, [&](Int32::ConstSharedPtr m) { shared_const = m->data; });
  Int32 message;
  message.data = 41;
  node->create_publisher<Int32>("t", 10)->publish(message);
  rclcpp::spin_some(node);
  EXPECT_EQ(shared_mutable, 42);
  EXPECT_EQ(shared_const, 41);
}

}  // namespace
