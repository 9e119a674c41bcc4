#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"
#include "std_msgs/msg/string.hpp"

namespace
{

using rclcpp::exceptions::RCLInvalidROSArgsError;

std::string write_file(const std::string & name, const std::string & content)
{
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path) << content;
  return path;
}

std::string node_error(const std::vector<std::string> & arguments)
{
  try {
    rclcpp::Node node("args", rclcpp::NodeOptions().arguments(arguments));
  } catch (const RCLInvalidROSArgsError & error) {
    return error.what();
  }
  return "<no RCLInvalidROSArgsError>";
}

class ArgumentsTest : public RosTest
{
};

TEST_F(ArgumentsTest, MalformedParameterFilesAreRefusedWithFileAndLine)
{
  struct Case
  {
    const char * file;
    const char * error;  ///< after "Error: "; empty when the file is to be accepted
  };
  const Case cases[] = {
    {"unclosed_sequence.yaml",
     "yaml-cpp: error at line 4, column 1: end of sequence flow not found"},
    {"unterminated_double_quote.yaml",
     "error at line 3, column 19: while scanning a quoted scalar, found unexpected end of stream"},
    {"unterminated_single_quote.yaml",
     "error at line 4, column 19: while scanning a quoted scalar, found unexpected end of stream"},
    {"document_marker_in_quote.yaml",
     "yaml-cpp: error at line 4, column 1: illegal document indicator in scalar"},
    {"quoted_scalars_ok.yaml", ""},
  };
  for (const auto & test_case : cases) {
    const std::string path = std::string(RCLCPP_TEST_PARAMS_DIR "/") + test_case.file;
    const std::string error = node_error({"--ros-args", "--params-file", path});
    if (*test_case.error == '\0') {
      EXPECT_EQ("<no RCLInvalidROSArgsError>", error) << test_case.file;
      continue;
    }
    EXPECT_EQ(
      "failed to parse arguments: Couldn't parse params file: '--params-file " + path +
        "'. Error: " + test_case.error,
      error)
      << test_case.file;
  }
}

TEST_F(ArgumentsTest, MissingParameterFileIsReported)
{
  const std::string error = node_error({"--ros-args", "--params-file", "/nonexistent/x.yaml"});
  EXPECT_NE(
    error.find("'--params-file /nonexistent/x.yaml'. Error: Error opening YAML file"),
    std::string::npos)
    << error;
}

TEST_F(ArgumentsTest, MixedTypeSequenceIsReported)
{
  const std::string path =
    write_file("mixed_params.yaml", "/**:\n  ros__parameters:\n    values: [1, \"two\"]\n");
  const std::string error = node_error({"--ros-args", "--params-file", path});
  EXPECT_NE(
    error.find("Sequence should be of same type. Value type 'string' do not belong at line_num 3"),
    std::string::npos)
    << error;
  std::remove(path.c_str());
}

TEST_F(ArgumentsTest, MalformedRulesNameTheArgument)
{
  EXPECT_NE(
    node_error({"--ros-args", "-p", "no_value"})
      .find("Couldn't parse parameter override rule: '-p no_value'"),
    std::string::npos);
  EXPECT_NE(
    node_error({"--ros-args", "-r", "bad"}).find("Couldn't parse remap rule: '-r bad'"),
    std::string::npos);
  EXPECT_NE(
    node_error({"--ros-args", "--params-file"})
      .find("Couldn't parse trailing --params-file flag. No file path provided."),
    std::string::npos);
  EXPECT_NE(
    node_error({"--ros-args", "--log-level", "loud"})
      .find("Couldn't parse log level: '--log-level loud'"),
    std::string::npos);
}

TEST_F(ArgumentsTest, UnknownRosFlagIsRejected)
{
  try {
    rclcpp::Node node("args", rclcpp::NodeOptions().arguments({"--ros-args", "--bogus"}));
    FAIL() << "expected UnknownROSArgsError";
  } catch (const rclcpp::exceptions::UnknownROSArgsError & error) {
    EXPECT_STREQ(error.what(), "found unknown ROS arguments: '--bogus'");
  }
}

TEST_F(ArgumentsTest, NodeAndNamespaceRemapping)
{
  rclcpp::Node node(
    "original",
    rclcpp::NodeOptions().arguments({"--ros-args", "-r", "__node:=renamed", "-r", "__ns:=/robot"}));
  EXPECT_STREQ(node.get_name(), "renamed");
  EXPECT_STREQ(node.get_namespace(), "/robot");
  EXPECT_STREQ(node.get_fully_qualified_name(), "/robot/renamed");
  EXPECT_STREQ(node.get_logger().get_name(), "robot.renamed");
}

TEST_F(ArgumentsTest, GlobalArgumentsApplyUnlessDisabled)
{
  rclcpp::shutdown();
  const char * argv[] = {"program", "--ros-args", "-r", "__ns:=/global",
                         "-p",      "speed:=2.5", "--", "user_argument"};
  rclcpp::init(8, argv);
  rclcpp::Node with_globals("node");
  EXPECT_STREQ(with_globals.get_namespace(), "/global");
  EXPECT_DOUBLE_EQ(with_globals.declare_parameter("speed", 1.0), 2.5);
  rclcpp::Node without_globals("node2", rclcpp::NodeOptions().use_global_arguments(false));
  EXPECT_STREQ(without_globals.get_namespace(), "/");
  EXPECT_DOUBLE_EQ(without_globals.declare_parameter("speed", 1.0), 1.0);
  EXPECT_EQ(
    rclcpp::remove_ros_arguments(8, argv), (std::vector<std::string>{"program", "user_argument"}));
}

TEST_F(ArgumentsTest, InitRejectsMalformedArguments)
{
  rclcpp::shutdown();
  const char * argv[] = {"program", "--ros-args", "-p", "broken"};
  try {
    rclcpp::init(4, argv);
    FAIL() << "expected RCLInvalidROSArgsError";
  } catch (const RCLInvalidROSArgsError & error) {
    EXPECT_NE(
      std::string(error.what())
        .find("failed to initialize rcl: Couldn't parse parameter override rule: "
              "'-p broken'"),
      std::string::npos);
  }
  EXPECT_FALSE(rclcpp::ok());
  rclcpp::init(0, nullptr);
}

TEST_F(ArgumentsTest, InvalidNamesThrowNameErrors)
{
  EXPECT_THROW(rclcpp::Node("bad-name"), rclcpp::exceptions::InvalidNodeNameError);
  try {
    rclcpp::Node node("9lives");
  } catch (const rclcpp::exceptions::InvalidNodeNameError & error) {
    EXPECT_STREQ(
      error.what(),
      "Invalid node name: node name must not start with a number:\n  '9lives'\n   ^\n");
  }
  EXPECT_THROW(rclcpp::Node("ok", "bad//ns"), rclcpp::exceptions::InvalidNamespaceError);
  rclcpp::Node node("talker", "ns");
  EXPECT_STREQ(node.get_namespace(), "/ns");
  EXPECT_THROW(
    node.create_publisher<std_msgs::msg::String>("bad topic", 1),
    rclcpp::exceptions::InvalidTopicNameError);
}

TEST_F(ArgumentsTest, TopicNamesResolveLikeRos)
{
  rclcpp::Node node(
    "talker", "/robot", rclcpp::NodeOptions().arguments({"--ros-args", "-r", "cmd:=/mux/cmd"}));
  EXPECT_STREQ(
    node.create_publisher<std_msgs::msg::String>("chatter", 1)->get_topic_name(), "/robot/chatter");
  EXPECT_STREQ(
    node.create_publisher<std_msgs::msg::String>("~/state", 1)->get_topic_name(),
    "/robot/talker/state");
  EXPECT_STREQ(node.create_publisher<std_msgs::msg::String>("/abs", 1)->get_topic_name(), "/abs");
  EXPECT_STREQ(
    node.create_publisher<std_msgs::msg::String>("cmd", 1)->get_topic_name(), "/mux/cmd");
}

}  // namespace
