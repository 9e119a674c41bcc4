#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"

namespace
{

using rcl_interfaces::msg::ParameterDescriptor;
using rclcpp::exceptions::InvalidParameterTypeException;
using rclcpp::exceptions::ParameterAlreadyDeclaredException;
using rclcpp::exceptions::ParameterNotDeclaredException;

class ParameterRulesTest : public RosTest
{
};

ParameterDescriptor dynamically_typed()
{
  ParameterDescriptor descriptor;
  descriptor.dynamic_typing = true;
  return descriptor;
}

TEST_F(ParameterRulesTest, StaticTypeRefusesOtherTypesIncludingIntegerForDouble)
{
  auto node = std::make_shared<rclcpp::Node>("typed");
  node->declare_parameter("gain", 1.5);
  node->declare_parameter("ids", std::vector<int64_t>{1, 2});
  auto result = node->set_parameter(rclcpp::Parameter("gain", 2));
  EXPECT_FALSE(result.successful);
  EXPECT_EQ(
    result.reason,
    "Wrong parameter type, parameter {gain} is of type {double}, setting it to {integer} is not "
    "allowed.");
  result = node->set_parameter(rclcpp::Parameter("ids", std::vector<double>{1.0}));
  EXPECT_EQ(
    result.reason,
    "Wrong parameter type, parameter {ids} is of type {integer_array}, setting it to "
    "{double_array} is not allowed.");
  EXPECT_TRUE(node->set_parameter(rclcpp::Parameter("ids", std::vector<int>{3, 4, 5})).successful);
  EXPECT_EQ(node->get_parameter("ids").as_integer_array(), (std::vector<int64_t>{3, 4, 5}));
  EXPECT_DOUBLE_EQ(node->get_parameter("gain").as_double(), 1.5);
  EXPECT_THROW(node->get_parameter("gain").as_int(), rclcpp::ParameterTypeException);
  EXPECT_STREQ(
    rclcpp::ParameterTypeException(rclcpp::PARAMETER_INTEGER, rclcpp::PARAMETER_DOUBLE).what(),
    "expected [integer] got [double]");
}

TEST_F(ParameterRulesTest, DynamicTypingAllowsTypeChangeAndUndeclareByNotSet)
{
  auto node = std::make_shared<rclcpp::Node>("dynamic");
  node->declare_parameter("mode", rclcpp::ParameterValue(1), dynamically_typed());
  EXPECT_TRUE(node->set_parameter(rclcpp::Parameter("mode", "fast")).successful);
  EXPECT_EQ(node->get_parameter("mode").as_string(), "fast");
  EXPECT_EQ(node->describe_parameter("mode").type, rclcpp::PARAMETER_STRING);

  EXPECT_TRUE(node->set_parameter(rclcpp::Parameter("mode")).successful);
  EXPECT_FALSE(node->has_parameter("mode"));

  node->declare_parameter("fixed", 2);
  auto result = node->set_parameter(rclcpp::Parameter("fixed"));
  EXPECT_FALSE(result.successful);
  EXPECT_EQ(result.reason, "cannot undeclare a statically typed parameter");
  EXPECT_TRUE(node->has_parameter("fixed"));

  // A dynamically typed parameter may be declared without a value.
  node->declare_parameter("unset", rclcpp::ParameterValue{}, dynamically_typed());
  EXPECT_EQ(node->get_parameter("unset").get_type(), rclcpp::PARAMETER_NOT_SET);
  rclcpp::Parameter unset;
  EXPECT_FALSE(node->get_parameter("unset", unset));
}

TEST_F(ParameterRulesTest, SetParametersReportsEachWhileAtomicSetIsAllOrNothing)
{
  auto node = std::make_shared<rclcpp::Node>("batches");
  node->declare_parameter("a", 1);
  node->declare_parameter("b", 2);
  ParameterDescriptor read_only;
  read_only.read_only = true;
  node->declare_parameter("c", 3, read_only);

  auto results = node->set_parameters(
    {rclcpp::Parameter("a", 10), rclcpp::Parameter("c", 30), rclcpp::Parameter("b", 20)});
  ASSERT_EQ(results.size(), 3u);
  EXPECT_TRUE(results[0].successful);
  EXPECT_FALSE(results[1].successful);
  EXPECT_EQ(results[1].reason, "parameter 'c' cannot be set because it is read-only");
  EXPECT_TRUE(results[2].successful);
  EXPECT_EQ(node->get_parameter("a").as_int(), 10);
  EXPECT_EQ(node->get_parameter("b").as_int(), 20);
  EXPECT_EQ(node->get_parameter("c").as_int(), 3);

  auto atomic =
    node->set_parameters_atomically({rclcpp::Parameter("a", 11), rclcpp::Parameter("b", "text")});
  EXPECT_FALSE(atomic.successful);
  EXPECT_EQ(node->get_parameter("a").as_int(), 10);

  // Setting a parameter that was never declared is a programming error, not a result.
  EXPECT_THROW(
    node->set_parameters({rclcpp::Parameter("a", 12), rclcpp::Parameter("ghost", 1)}),
    ParameterNotDeclaredException);
  EXPECT_EQ(node->get_parameter("a").as_int(), 12);
  EXPECT_THROW(
    node->set_parameters_atomically({rclcpp::Parameter("a", 13), rclcpp::Parameter("ghost", 1)}),
    ParameterNotDeclaredException);
  EXPECT_EQ(node->get_parameter("a").as_int(), 12);
}

TEST_F(ParameterRulesTest, CallbacksRunNewestFirstAndStopAtFirstRefusal)
{
  auto node = std::make_shared<rclcpp::Node>("callbacks");
  node->declare_parameter("speed", 1.0);
  std::vector<std::string> order;
  auto accept = [&order](const char * name) {
    return [&order, name](const std::vector<rclcpp::Parameter> &) {
      order.push_back(name);
      rcl_interfaces::msg::SetParametersResult result;
      result.successful = true;
      return result;
    };
  };
  auto first = node->add_on_set_parameters_callback(accept("first"));
  auto second = node->add_on_set_parameters_callback(accept("second"));
  EXPECT_TRUE(node->set_parameter(rclcpp::Parameter("speed", 2.0)).successful);
  EXPECT_EQ(order, (std::vector<std::string>{"second", "first"}));

  auto refuse = node->add_on_set_parameters_callback([&order](const auto &) {
    order.push_back("refuse");
    rcl_interfaces::msg::SetParametersResult result;
    result.successful = false;
    result.reason = "no";
    return result;
  });
  order.clear();
  auto refused = node->set_parameter(rclcpp::Parameter("speed", 3.0));
  EXPECT_FALSE(refused.successful);
  EXPECT_EQ(refused.reason, "no");
  EXPECT_EQ(order, (std::vector<std::string>{"refuse"}));
  EXPECT_DOUBLE_EQ(node->get_parameter("speed").as_double(), 2.0);

  // Dropping a handle unregisters its callback; removing an unknown one throws.
  refuse.reset();
  node->remove_on_set_parameters_callback(second.get());
  order.clear();
  EXPECT_TRUE(node->set_parameter(rclcpp::Parameter("speed", 4.0)).successful);
  EXPECT_EQ(order, (std::vector<std::string>{"first"}));
  EXPECT_THROW(node->remove_on_set_parameters_callback(second.get()), std::runtime_error);

  // A type error is found before any callback is asked.
  order.clear();
  EXPECT_FALSE(node->set_parameter(rclcpp::Parameter("speed", "fast")).successful);
  EXPECT_TRUE(order.empty());
}

TEST_F(ParameterRulesTest, CallbackMayNotModifyParameters)
{
  auto node = std::make_shared<rclcpp::Node>("reentry");
  node->declare_parameter("x", 1);
  std::string error;
  auto handle = node->add_on_set_parameters_callback([&](const auto &) {
    try {
      node->declare_parameter("y", 2);
    } catch (const rclcpp::exceptions::ParameterModifiedInCallbackException & e) {
      error = e.what();
    }
    rcl_interfaces::msg::SetParametersResult result;
    result.successful = true;
    return result;
  });
  EXPECT_TRUE(node->set_parameter(rclcpp::Parameter("x", 5)).successful);
  EXPECT_EQ(
    error, "cannot set or declare a parameter, or change the callback from within set callback");
  EXPECT_FALSE(node->has_parameter("y"));
}

TEST_F(ParameterRulesTest, UndeclaredParametersWhenAllowed)
{
  auto node =
    std::make_shared<rclcpp::Node>("open", rclcpp::NodeOptions().allow_undeclared_parameters(true));
  auto missing = node->get_parameters({"nothing"});
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0].get_type(), rclcpp::PARAMETER_NOT_SET);
  EXPECT_EQ(node->get_parameter_types({"nothing"}), (std::vector<uint8_t>{0}));
  EXPECT_EQ(node->describe_parameters({"nothing"}).at(0).name, "nothing");

  // Setting an undeclared parameter declares it, dynamically typed.
  EXPECT_TRUE(node->set_parameter(rclcpp::Parameter("free", 1)).successful);
  EXPECT_TRUE(node->has_parameter("free"));
  EXPECT_TRUE(node->set_parameter(rclcpp::Parameter("free", "one")).successful);
  EXPECT_EQ(node->get_parameter("free").as_string(), "one");
  EXPECT_THROW(node->declare_parameter("free", 2), ParameterAlreadyDeclaredException);

  auto strict = std::make_shared<rclcpp::Node>("strict");
  EXPECT_THROW(strict->get_parameters({"nothing"}), ParameterNotDeclaredException);
  EXPECT_THROW(strict->describe_parameters({"nothing"}), ParameterNotDeclaredException);
}

TEST_F(ParameterRulesTest, OverridesOfNodeOptionsAreTypedAndDeclaredOnRequest)
{
  auto options = rclcpp::NodeOptions()
                   .parameter_overrides(
                     {{"count", 4}, {"ratio", 0.5}, {"names", std::vector<std::string>{"a", "b"}}})
                   .automatically_declare_parameters_from_overrides(true);
  auto node = std::make_shared<rclcpp::Node>("auto", options);
  EXPECT_EQ(node->get_parameter("count").as_int(), 4);
  EXPECT_EQ(node->get_parameter("names").as_string_array(), (std::vector<std::string>{"a", "b"}));
  // Automatically declared parameters are dynamically typed.
  EXPECT_TRUE(node->describe_parameter("count").dynamic_typing);
  EXPECT_TRUE(node->set_parameter(rclcpp::Parameter("count", "four")).successful);

  auto manual = std::make_shared<rclcpp::Node>(
    "manual", rclcpp::NodeOptions().parameter_overrides({{"count", 4}}));
  EXPECT_FALSE(manual->has_parameter("count"));
  EXPECT_THROW(manual->declare_parameter("count", 1.0), InvalidParameterTypeException);
  EXPECT_EQ(manual->declare_parameter("count", 1), 4);
}

TEST_F(ParameterRulesTest, ReadOnlyTakesOverrideButRefusesLaterChanges)
{
  auto node = std::make_shared<rclcpp::Node>(
    "frozen", rclcpp::NodeOptions().parameter_overrides({{"frame", "odom"}}));
  ParameterDescriptor read_only;
  read_only.read_only = true;
  EXPECT_EQ(node->declare_parameter("frame", std::string("map"), read_only), "odom");
  EXPECT_FALSE(node->set_parameter(rclcpp::Parameter("frame", "base")).successful);
  EXPECT_THROW(node->undeclare_parameter("frame"), rclcpp::exceptions::ParameterImmutableException);
  EXPECT_EQ(node->get_parameter("frame").as_string(), "odom");
}

TEST_F(ParameterRulesTest, ParameterValueArraysAndTexts)
{
  const rclcpp::ParameterValue bytes(std::vector<uint8_t>{1, 255});
  EXPECT_EQ(bytes.get_type(), rclcpp::PARAMETER_BYTE_ARRAY);
  EXPECT_EQ(
    rclcpp::ParameterValue(std::vector<int>{1}).get_type(), rclcpp::PARAMETER_INTEGER_ARRAY);
  EXPECT_EQ(
    rclcpp::ParameterValue(std::vector<float>{1.f}).get_type(), rclcpp::PARAMETER_DOUBLE_ARRAY);
  EXPECT_EQ(
    rclcpp::ParameterValue(std::vector<bool>{true}).get_type(), rclcpp::PARAMETER_BOOL_ARRAY);
  EXPECT_EQ(rclcpp::ParameterValue("text").get_type(), rclcpp::PARAMETER_STRING);
  EXPECT_EQ(rclcpp::ParameterValue(2.0f).get_type(), rclcpp::PARAMETER_DOUBLE);
  EXPECT_EQ(
    rclcpp::to_string(rclcpp::ParameterValue(std::vector<bool>{true, false})), "[true, false]");
  EXPECT_EQ(
    rclcpp::to_string(rclcpp::ParameterValue(std::vector<std::string>{"a", "b"})), "[a, b]");
  EXPECT_EQ(rclcpp::to_string(rclcpp::ParameterValue(std::vector<uint8_t>{0x0a, 0xff})), "[a, ff]");
  EXPECT_EQ(rclcpp::to_string(rclcpp::ParameterValue()), "not set");

  rclcpp::Parameter array("limits", std::vector<double>{0.5, 1.5});
  EXPECT_EQ(array.as_double_array(), (std::vector<double>{0.5, 1.5}));
  EXPECT_THROW(array.as_integer_array(), rclcpp::ParameterTypeException);
  EXPECT_EQ(rclcpp::Parameter::from_parameter_msg(array.to_parameter_msg()), array);
}

}  // namespace
