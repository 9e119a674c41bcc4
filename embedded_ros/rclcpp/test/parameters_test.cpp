#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"

namespace
{

using rclcpp::exceptions::InvalidParameterTypeException;
using rclcpp::exceptions::InvalidParameterValueException;
using rclcpp::exceptions::ParameterAlreadyDeclaredException;
using rclcpp::exceptions::ParameterNotDeclaredException;

std::string what_of(const std::function<void()> & action)
{
  try {
    action();
  } catch (const std::exception & error) {
    return error.what();
  }
  return "<no exception>";
}

class ParametersTest : public RosTest
{
};

TEST_F(ParametersTest, DeclareReturnsDefaultAndRejectsSecondDeclaration)
{
  auto node = std::make_shared<rclcpp::Node>("params");
  EXPECT_EQ(node->declare_parameter<int>("count", 3), 3);
  EXPECT_DOUBLE_EQ(node->declare_parameter("ratio", 0.5), 0.5);
  EXPECT_EQ(node->declare_parameter<std::string>("frame", "map"), "map");
  EXPECT_EQ(
    node->declare_parameter("names", std::vector<std::string>{"a", "b"}),
    (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(node->has_parameter("count"));
  EXPECT_FALSE(node->has_parameter("missing"));
  EXPECT_THROW(node->declare_parameter<int>("count", 4), ParameterAlreadyDeclaredException);
  EXPECT_EQ(
    what_of([&] { node->declare_parameter<int>("count", 4); }),
    "parameter 'count' has already been declared");
}

TEST_F(ParametersTest, GetParameterForms)
{
  auto node = std::make_shared<rclcpp::Node>("params");
  node->declare_parameter("enabled", true);
  node->declare_parameter("limits", std::vector<double>{1.0, 2.5});

  bool enabled = false;
  EXPECT_TRUE(node->get_parameter("enabled", enabled));
  EXPECT_TRUE(enabled);
  EXPECT_TRUE(node->get_parameter("enabled").as_bool());
  EXPECT_EQ(node->get_parameter("limits").as_double_array(), (std::vector<double>{1.0, 2.5}));
  EXPECT_EQ(node->get_parameter("limits").get_type_name(), "double_array");
  EXPECT_EQ(node->get_parameter("limits").value_to_string(), "[1, 2.5]");

  int unknown = 7;
  EXPECT_FALSE(node->get_parameter("unknown", unknown));
  EXPECT_EQ(unknown, 7);
  EXPECT_EQ(node->get_parameter_or("unknown", 9), 9);
  EXPECT_THROW(node->get_parameter("unknown"), ParameterNotDeclaredException);
  EXPECT_EQ(what_of([&] { node->get_parameter("unknown"); }), "unknown");

  auto values = node->get_parameters({"enabled", "limits"});
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[1].get_name(), "limits");
}

TEST_F(ParametersTest, TypeErrorsHaveRosTexts)
{
  auto node = std::make_shared<rclcpp::Node>("params");
  node->declare_parameter("count", 3);
  EXPECT_EQ(
    what_of([&] { node->get_parameter("count").as_string(); }), "expected [string] got [integer]");
  std::string text;
  EXPECT_THROW(node->get_parameter("count", text), InvalidParameterTypeException);
  EXPECT_EQ(
    what_of([&] { node->get_parameter("count", text); }),
    "parameter 'count' has invalid type: expected [string] got [integer]");

  auto result = node->set_parameter(rclcpp::Parameter("count", "three"));
  EXPECT_FALSE(result.successful);
  EXPECT_EQ(
    result.reason,
    "Wrong parameter type, parameter {count} is of type {integer}, setting it to "
    "{string} is not allowed.");
  EXPECT_EQ(node->get_parameter("count").as_int(), 3);
}

TEST_F(ParametersTest, OverrideOfWrongTypeFailsDeclaration)
{
  auto node = std::make_shared<rclcpp::Node>(
    "params", rclcpp::NodeOptions().parameter_overrides({{"speed", "fast"}}));
  EXPECT_THROW(node->declare_parameter("speed", 1.0), InvalidParameterTypeException);
  EXPECT_EQ(
    what_of([&] { node->declare_parameter("speed", 1.0); }),
    "parameter 'speed' has invalid type: Wrong parameter type, parameter {speed} is of "
    "type {double}, setting it to {string} is not allowed.");
  EXPECT_FALSE(node->has_parameter("speed"));
}

TEST_F(ParametersTest, StaticallyTypedWithoutValueNeedsOverride)
{
  auto node = std::make_shared<rclcpp::Node>(
    "params", rclcpp::NodeOptions().parameter_overrides({{"given", 5}}));
  EXPECT_EQ(node->declare_parameter<int64_t>("given"), 5);
  EXPECT_EQ(
    what_of([&] { node->declare_parameter<int64_t>("absent"); }),
    "Statically typed parameter 'absent' must be initialized.");
}

TEST_F(ParametersTest, OnSetCallbackCanRefuseAChange)
{
  auto node = std::make_shared<rclcpp::Node>("params");
  node->declare_parameter("inflation", 0.5);
  std::vector<std::string> seen;
  auto handle = node->add_on_set_parameters_callback(
    [&seen](const std::vector<rclcpp::Parameter> & parameters) {
      rcl_interfaces::msg::SetParametersResult result;
      result.successful = true;
      for (const auto & parameter : parameters) {
        seen.push_back(parameter.get_name());
        if (parameter.as_double() < 0.0) {
          result.successful = false;
          result.reason = "inflation must not be negative";
        }
      }
      return result;
    });

  auto refused = node->set_parameter(rclcpp::Parameter("inflation", -1.0));
  EXPECT_FALSE(refused.successful);
  EXPECT_EQ(refused.reason, "inflation must not be negative");
  EXPECT_DOUBLE_EQ(node->get_parameter("inflation").as_double(), 0.5);

  EXPECT_TRUE(node->set_parameter(rclcpp::Parameter("inflation", 1.5)).successful);
  EXPECT_DOUBLE_EQ(node->get_parameter("inflation").as_double(), 1.5);
  EXPECT_EQ(seen, (std::vector<std::string>{"inflation", "inflation"}));

  node->remove_on_set_parameters_callback(handle.get());
  EXPECT_TRUE(node->set_parameter(rclcpp::Parameter("inflation", -2.0)).successful);
}

TEST_F(ParametersTest, AtomicSetChangesAllOrNothing)
{
  auto node = std::make_shared<rclcpp::Node>("params");
  node->declare_parameter("a", 1);
  node->declare_parameter("b", 2);
  auto result = node->set_parameters_atomically(
    {rclcpp::Parameter("a", 10), rclcpp::Parameter("b", "not an int")});
  EXPECT_FALSE(result.successful);
  EXPECT_EQ(node->get_parameter("a").as_int(), 1);

  auto results = node->set_parameters({rclcpp::Parameter("a", 10), rclcpp::Parameter("b", "x")});
  ASSERT_EQ(results.size(), 2u);
  EXPECT_TRUE(results[0].successful);
  EXPECT_FALSE(results[1].successful);
  EXPECT_EQ(node->get_parameter("a").as_int(), 10);

  EXPECT_EQ(
    what_of([&] { node->set_parameter(rclcpp::Parameter("zzz", 1)); }),
    "parameter 'zzz' cannot be set because it was not declared");
}

TEST_F(ParametersTest, DescriptorRangeAndReadOnlyAreEnforced)
{
  auto node = std::make_shared<rclcpp::Node>(
    "params", rclcpp::NodeOptions().parameter_overrides({{"level", 42}}));
  rcl_interfaces::msg::ParameterDescriptor range;
  rcl_interfaces::msg::IntegerRange integer_range;
  integer_range.from_value = 0;
  integer_range.to_value = 10;
  range.integer_range.push_back(integer_range);
  EXPECT_THROW(node->declare_parameter("level", 5, range), InvalidParameterValueException);
  EXPECT_EQ(
    what_of([&] { node->declare_parameter("level", 5, range); }),
    "parameter 'level' could not be set: Parameter {level} doesn't comply with integer "
    "range.");

  rcl_interfaces::msg::ParameterDescriptor read_only;
  read_only.read_only = true;
  node->declare_parameter("fixed", 1, read_only);
  auto result = node->set_parameter(rclcpp::Parameter("fixed", 2));
  EXPECT_FALSE(result.successful);
  EXPECT_EQ(result.reason, "parameter 'fixed' cannot be set because it is read-only");
}

TEST_F(ParametersTest, OverrideSourcesAreLayered)
{
  const std::string path = ::testing::TempDir() + "layered_params.yaml";
  {
    std::ofstream file(path);
    file << "/**:\n  ros__parameters:\n    from_file: 1\n    shared: 1\n"
         << "/ns/layered:\n  ros__parameters:\n    costmap:\n      inflation: 0.25\n"
         << "      plugins: [\"static\", \"obstacle\"]\n    shared: 2\n"
         << "other_node:\n  ros__parameters:\n    from_file: 99\n";
  }
  rclcpp::NodeOptions options;
  options.arguments({"--ros-args", "--params-file", path, "-p", "shared:=3", "-p", "flag:=true"});
  options.parameter_overrides({{"flag", false}});
  auto node = std::make_shared<rclcpp::Node>("layered", "ns", options);

  EXPECT_EQ(node->declare_parameter("from_file", 0), 1);
  EXPECT_EQ(node->declare_parameter("shared", 0), 3);
  EXPECT_DOUBLE_EQ(node->declare_parameter("costmap.inflation", 0.0), 0.25);
  EXPECT_EQ(
    node->declare_parameter("costmap.plugins", std::vector<std::string>{}),
    (std::vector<std::string>{"static", "obstacle"}));
  EXPECT_FALSE(node->declare_parameter("flag", true));
  EXPECT_EQ(
    node->declare_parameter("ignored", 7, rcl_interfaces::msg::ParameterDescriptor(), true), 7);
  std::remove(path.c_str());
}

TEST_F(ParametersTest, ListAndDescribe)
{
  auto node = std::make_shared<rclcpp::Node>("params");
  node->declare_parameter("a.b.c", 1);
  node->declare_parameter("a.d", 2);
  node->declare_parameter("e", 3);
  auto top = node->list_parameters({}, 1);
  EXPECT_EQ(top.names, (std::vector<std::string>{"e"}));
  auto under_a = node->list_parameters({"a"}, 1);
  EXPECT_EQ(under_a.names, (std::vector<std::string>{"a.d"}));
  auto all = node->list_parameters({}, 0);
  EXPECT_EQ(all.names.size(), 3u);
  EXPECT_EQ(node->describe_parameter("a.d").type, rclcpp::PARAMETER_INTEGER);
  std::map<std::string, int64_t> by_prefix;
  EXPECT_TRUE(node->get_parameters("a", by_prefix));
  EXPECT_EQ(by_prefix.at("b.c"), 1);
}

}  // namespace
