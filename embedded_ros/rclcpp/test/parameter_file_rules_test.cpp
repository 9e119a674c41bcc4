#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"

namespace
{

class ParameterFileRulesTest : public RosTest
{
protected:
  void TearDown() override
  {
    for (const auto & path : files_) {
      std::remove(path.c_str());
    }
    RosTest::TearDown();
  }

  std::string write_file(const std::string & name, const std::string & content)
  {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << content;
    files_.push_back(path);
    return path;
  }

  /// The value the file gives `name` for a node, or "<none>".
  static std::string value_for(
    const std::string & node_name, const std::string & node_namespace, const std::string & file,
    const std::string & name)
  {
    rclcpp::Node node(
      node_name, node_namespace,
      rclcpp::NodeOptions().arguments({"--ros-args", "--params-file", file}));
    const auto & overrides = node.get_node_parameters_interface()->get_parameter_overrides();
    auto it = overrides.find(name);
    return it == overrides.end() ? "<none>" : rclcpp::to_string(it->second);
  }

private:
  std::vector<std::string> files_;
};

TEST_F(ParameterFileRulesTest, WildcardsSelectNamespaces)
{
  const std::string file = write_file(
    "wildcards.yaml",
    "/**:\n"
    "  ros__parameters:\n"
    "    everywhere: 1\n"
    "/*/planner:\n"
    "  ros__parameters:\n"
    "    one_level: 2\n"
    "/**/planner:\n"
    "  ros__parameters:\n"
    "    any_level: 3\n"
    "robot:\n"
    "  planner:\n"
    "    ros__parameters:\n"
    "      nested: 4\n"
    "/robot/*:\n"
    "  ros__parameters:\n"
    "    in_robot: 5\n");
  EXPECT_EQ(value_for("planner", "/", file, "everywhere"), "1");
  EXPECT_EQ(value_for("planner", "/", file, "one_level"), "<none>");
  EXPECT_EQ(value_for("planner", "/robot", file, "one_level"), "2");
  EXPECT_EQ(value_for("planner", "/robot/arm", file, "one_level"), "<none>");
  EXPECT_EQ(value_for("planner", "/", file, "any_level"), "3");
  EXPECT_EQ(value_for("planner", "/robot/arm", file, "any_level"), "3");
  EXPECT_EQ(value_for("planner", "/robot", file, "nested"), "4");
  EXPECT_EQ(value_for("planner", "/", file, "nested"), "<none>");
  EXPECT_EQ(value_for("mapper", "/robot", file, "in_robot"), "5");
  EXPECT_EQ(value_for("mapper", "/robot/arm", file, "in_robot"), "<none>");
  EXPECT_EQ(value_for("mapper", "/robot", file, "any_level"), "<none>");
}

TEST_F(ParameterFileRulesTest, LaterEntriesAndLaterFilesWin)
{
  const std::string first = write_file(
    "first.yaml",
    "/**:\n  ros__parameters:\n    speed: 1.0\n    mode: wide\n"
    "/planner:\n  ros__parameters:\n    speed: 2.0\n");
  const std::string second =
    write_file("second.yaml", "planner:\n  ros__parameters:\n    mode: narrow\n");
  rclcpp::Node node(
    "planner",
    rclcpp::NodeOptions().arguments(
      {"--ros-args", "--params-file", first, "--params-file", second, "-p", "speed:=3.0"}));
  EXPECT_DOUBLE_EQ(node.declare_parameter("speed", 0.0), 3.0);
  EXPECT_EQ(node.declare_parameter("mode", ""), "narrow");
}

TEST_F(ParameterFileRulesTest, ScalarsAreTypedLikeRcl)
{
  const std::string file = write_file(
    "scalars.yaml",
    "/**:\n"
    "  ros__parameters:\n"
    "    hex: 0x1f\n"
    "    octal: 010\n"
    "    short_yes: y\n"
    "    short_no: N\n"
    "    quoted_number: \"12\"\n"
    "    tagged: !!str 3.5\n"
    "    positive_infinity: +.inf\n"
    "    exponent: 1e3\n"
    "    word: fast\n");
  EXPECT_EQ(value_for("n", "/", file, "hex"), "31");
  EXPECT_EQ(value_for("n", "/", file, "octal"), "8");
  EXPECT_EQ(value_for("n", "/", file, "short_yes"), "true");
  EXPECT_EQ(value_for("n", "/", file, "short_no"), "false");
  EXPECT_EQ(value_for("n", "/", file, "quoted_number"), "12");
  EXPECT_EQ(value_for("n", "/", file, "tagged"), "3.5");
  EXPECT_EQ(value_for("n", "/", file, "positive_infinity"), "inf");
  EXPECT_EQ(value_for("n", "/", file, "exponent"), "1000.000000");
  EXPECT_EQ(value_for("n", "/", file, "word"), "fast");

  rclcpp::Node node(
    "typed", rclcpp::NodeOptions().arguments({"--ros-args", "--params-file", file}));
  EXPECT_EQ(node.declare_parameter("hex", 0), 31);
  EXPECT_EQ(node.declare_parameter("quoted_number", std::string()), "12");
  EXPECT_EQ(node.declare_parameter("tagged", std::string()), "3.5");
  EXPECT_THROW(
    node.declare_parameter("exponent", 0), rclcpp::exceptions::InvalidParameterTypeException);
}

TEST_F(ParameterFileRulesTest, CommandLineListsAndNodeScopedRules)
{
  rclcpp::Node node(
    "lists", rclcpp::NodeOptions().arguments(
               {"--ros-args", "-p", "ids:=[1, 2, 3]", "-p", "names:=[a, b]", "-p",
                "gains:=[0.5, 1.0]", "-p", "flags:=[true, off]", "-p", "empty_text:=''", "-p",
                "other:scoped:=1", "-p", "lists:scoped:=2"}));
  EXPECT_EQ(node.declare_parameter("ids", std::vector<int64_t>{}), (std::vector<int64_t>{1, 2, 3}));
  EXPECT_EQ(
    node.declare_parameter("names", std::vector<std::string>{}),
    (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(
    node.declare_parameter("gains", std::vector<double>{}), (std::vector<double>{0.5, 1.0}));
  EXPECT_EQ(node.declare_parameter("flags", std::vector<bool>{}), (std::vector<bool>{true, false}));
  EXPECT_EQ(node.declare_parameter("empty_text", std::string("x")), "");
  EXPECT_EQ(node.declare_parameter("scoped", 0), 2);
}

TEST_F(ParameterFileRulesTest, MalformedFileNamesFileAndLine)
{
  const std::string file =
    write_file("unclosed.yaml", "/**:\n  ros__parameters:\n    ids: [1, 2\n    other: 3\n");
  std::string error;
  try {
    rclcpp::Node node(
      "broken", rclcpp::NodeOptions().arguments({"--ros-args", "--params-file", file}));
  } catch (const rclcpp::exceptions::RCLInvalidROSArgsError & e) {
    error = e.what();
  }
  EXPECT_NE(error.find(file), std::string::npos) << error;
  EXPECT_NE(error.find("line"), std::string::npos) << error;

  const std::string no_value = write_file("no_value.yaml", "/**:\n  ros__parameters:\n    ids:\n");
  error.clear();
  try {
    rclcpp::Node node(
      "broken", rclcpp::NodeOptions().arguments({"--ros-args", "--params-file", no_value}));
  } catch (const rclcpp::exceptions::RCLInvalidROSArgsError & e) {
    error = e.what();
  }
  EXPECT_NE(error.find(no_value), std::string::npos) << error;
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
}

}  // namespace
