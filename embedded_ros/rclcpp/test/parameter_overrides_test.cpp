#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"

namespace
{

class ParameterOverridesTest : public RosTest
{
protected:
  std::string write_params(const std::string & content)
  {
    path_ = ::testing::TempDir() + "overrides_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".yaml";
    std::ofstream(path_) << content;
    return path_;
  }
  void TearDown() override
  {
    if (!path_.empty()) {
      std::remove(path_.c_str());
    }
    RosTest::TearDown();
  }

private:
  std::string path_;
};

rclcpp::Node::SharedPtr node_with_file(
  const std::string & name, const std::string & ns, const std::string & path)
{
  return std::make_shared<rclcpp::Node>(
    name, ns, rclcpp::NodeOptions().arguments({"--ros-args", "--params-file", path}));
}

TEST_F(ParameterOverridesTest, YamlScalarsAreTypedLikeRos)
{
  auto path = write_params(
    "typed:\n  ros__parameters:\n"
    "    on_word: on\n    yes_word: Yes\n    quoted_true: \"true\"\n    integer: -12\n"
    "    floating: 1.5e3\n    text: hello\n    bools: [true, false]\n    ints: [1, 2, 3]\n"
    "    doubles: [0.5, 1.0]\n");
  auto node = node_with_file("typed", "", path);
  EXPECT_TRUE(node->declare_parameter("on_word", false));
  EXPECT_TRUE(node->declare_parameter("yes_word", false));
  EXPECT_EQ(node->declare_parameter("quoted_true", std::string()), "true");
  EXPECT_EQ(node->declare_parameter("integer", 0), -12);
  EXPECT_DOUBLE_EQ(node->declare_parameter("floating", 0.0), 1500.0);
  EXPECT_EQ(node->declare_parameter("text", std::string()), "hello");
  EXPECT_EQ(
    node->declare_parameter("bools", std::vector<bool>{}), (std::vector<bool>{true, false}));
  EXPECT_EQ(
    node->declare_parameter("ints", std::vector<int64_t>{}), (std::vector<int64_t>{1, 2, 3}));
  EXPECT_EQ(
    node->declare_parameter("doubles", std::vector<double>{}), (std::vector<double>{0.5, 1.0}));
}

TEST_F(ParameterOverridesTest, NodePatternsSelectTheirNodes)
{
  auto path = write_params(
    "/robot/*:\n  ros__parameters:\n    one_level: 1\n"
    "/**/planner:\n  ros__parameters:\n    any_depth: 2\n"
    "robot:\n  planner:\n    ros__parameters:\n      nested_key: 3\n"
    "/elsewhere/planner:\n  ros__parameters:\n    nested_key: 99\n");
  auto planner = node_with_file("planner", "/robot", path);
  EXPECT_EQ(planner->declare_parameter("one_level", 0), 1);
  EXPECT_EQ(planner->declare_parameter("any_depth", 0), 2);
  EXPECT_EQ(planner->declare_parameter("nested_key", 0), 3);
  auto deep = node_with_file("planner", "/robot/arm", path);
  EXPECT_EQ(deep->declare_parameter("one_level", 0), 0);
  EXPECT_EQ(deep->declare_parameter("any_depth", 0), 2);
}

TEST_F(ParameterOverridesTest, NodeScopedCommandLineRule)
{
  rclcpp::NodeOptions options;
  options.arguments({"--ros-args", "-p", "other:gain:=5", "-p", "mine:gain:=7"});
  rclcpp::Node node("mine", options);
  EXPECT_EQ(node.declare_parameter("gain", 0), 7);
}

TEST_F(ParameterOverridesTest, AutomaticDeclarationAndUndeclaredParameters)
{
  rclcpp::NodeOptions options;
  options.parameter_overrides({{"auto_a", 1}, {"auto_b", "x"}});
  options.automatically_declare_parameters_from_overrides(true);
  rclcpp::Node automatic("automatic", options);
  EXPECT_EQ(automatic.get_parameter("auto_a").as_int(), 1);
  EXPECT_EQ(automatic.get_parameter("auto_b").as_string(), "x");
  // Automatically declared parameters are dynamically typed.
  EXPECT_TRUE(automatic.set_parameter(rclcpp::Parameter("auto_a", "now text")).successful);

  rclcpp::Node open("open", rclcpp::NodeOptions().allow_undeclared_parameters(true));
  EXPECT_EQ(open.get_parameter("nothing").get_type(), rclcpp::PARAMETER_NOT_SET);
  EXPECT_TRUE(open.set_parameter(rclcpp::Parameter("created", 3)).successful);
  EXPECT_TRUE(open.has_parameter("created"));
  open.undeclare_parameter("created");
  EXPECT_FALSE(open.has_parameter("created"));
}

TEST_F(ParameterOverridesTest, StaticTypeCannotBeUndeclaredAndCallbacksCannotModify)
{
  rclcpp::Node node("strict");
  node.declare_parameter("fixed_type", 1);
  EXPECT_THROW(
    node.undeclare_parameter("fixed_type"), rclcpp::exceptions::InvalidParameterTypeException);
  EXPECT_THROW(
    node.undeclare_parameter("never"), rclcpp::exceptions::ParameterNotDeclaredException);

  std::string nested_error;
  auto handle = node.add_on_set_parameters_callback(
    [&node, &nested_error](const std::vector<rclcpp::Parameter> &) {
      try {
        node.set_parameter(rclcpp::Parameter("fixed_type", 5));
      } catch (const rclcpp::exceptions::ParameterModifiedInCallbackException & error) {
        nested_error = error.what();
      }
      rcl_interfaces::msg::SetParametersResult result;
      result.successful = true;
      return result;
    });
  EXPECT_TRUE(node.set_parameter(rclcpp::Parameter("fixed_type", 2)).successful);
  EXPECT_EQ(
    nested_error,
    "cannot set or declare a parameter, or change the callback from within set callback");
  EXPECT_EQ(node.get_parameter("fixed_type").as_int(), 2);
}

TEST(ParameterValueTest, ConversionsAndTexts)
{
  rclcpp::Parameter parameter("ids", std::vector<int>{1, 2});
  EXPECT_EQ(parameter.get_type(), rclcpp::PARAMETER_INTEGER_ARRAY);
  EXPECT_EQ(parameter.value_to_string(), "[1, 2]");
  EXPECT_EQ(rclcpp::to_string(rclcpp::ParameterValue(true)), "true");
  EXPECT_EQ(rclcpp::to_string(rclcpp::ParameterValue()), "not set");
  EXPECT_EQ(rclcpp::to_string(rclcpp::PARAMETER_BYTE_ARRAY), "byte_array");
  auto message = parameter.to_parameter_msg();
  EXPECT_EQ(rclcpp::Parameter::from_parameter_msg(message), parameter);
  EXPECT_EQ(
    std::to_string(rclcpp::Parameter("x", 1.5)),
    "{\"x\": {\"type\": \"double\", \"value\": \"1.500000\"}}");
  EXPECT_THROW(
    parameter.get_value<std::string>(), rclcpp::exceptions::InvalidParameterTypeException);
  EXPECT_THROW(parameter.as_bool_array(), rclcpp::ParameterTypeException);
}

}  // namespace
