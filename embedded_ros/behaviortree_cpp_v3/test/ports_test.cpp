#include <gtest/gtest.h>

#include <string>

#include "behaviortree_cpp_v3/action_node.h"
#include "behaviortree_cpp_v3/tree_node.h"

namespace
{
struct Point
{
  double x;
  double y;
};

}  // namespace

namespace BT
{
template <>
Point convertFromString<Point>(StringView str)
{
  auto parts = splitString(str, ';');
  if (parts.size() != 2) {
    throw RuntimeError("invalid point [", str, "]");
  }
  return {convertFromString<double>(parts[0]), convertFromString<double>(parts[1])};
}
}  // namespace BT

namespace
{
/// Reads "target" and writes "distance".
class MoveTo : public BT::SyncActionNode
{
public:
  MoveTo(const std::string & name, const BT::NodeConfiguration & config)
  : BT::SyncActionNode(name, config)
  {
  }

  static BT::PortsList providedPorts()
  {
    return {
      BT::InputPort<Point>("target"), BT::InputPort<int>("retries", 2, "attempts"),
      BT::OutputPort<double>("distance")};
  }

  BT::NodeStatus tick() override { return BT::NodeStatus::SUCCESS; }
};

BT::NodeConfiguration configWith(
  BT::Blackboard::Ptr blackboard, BT::PortsRemapping inputs, BT::PortsRemapping outputs = {})
{
  BT::NodeConfiguration config;
  config.blackboard = std::move(blackboard);
  config.input_ports = std::move(inputs);
  config.output_ports = std::move(outputs);
  return config;
}

TEST(PortsTest, ConstantPortsAreParsedFromTheirText)
{
  MoveTo node(
    "move", configWith(BT::Blackboard::create(), {{"target", "1.5;-2"}, {"retries", "4"}}));
  auto target = node.getInput<Point>("target");
  ASSERT_TRUE(target) << target.error();
  EXPECT_EQ(target->x, 1.5);
  EXPECT_EQ(target->y, -2.0);
  int retries = 0;
  EXPECT_TRUE(node.getInput("retries", retries));
  EXPECT_EQ(retries, 4);
  EXPECT_EQ(node.getRawPortValue("target"), "1.5;-2");
}

TEST(PortsTest, RemappedPortsReadAndWriteTheBlackboard)
{
  auto blackboard = BT::Blackboard::create();
  MoveTo node(
    "move",
    configWith(
      blackboard, {{"target", "{goal}"}, {"retries", "${tries}"}}, {{"distance", "{result}"}}));
  blackboard->set("goal", Point{3, 4});
  blackboard->set("tries", std::string("7"));

  EXPECT_EQ(node.getInput<Point>("target")->y, 4.0);
  EXPECT_EQ(node.getInput<int>("retries").value(), 7) << "text on the blackboard is parsed";
  ASSERT_TRUE(node.setOutput("distance", 5.0));
  EXPECT_EQ(blackboard->get<double>("result"), 5.0);
}

TEST(PortsTest, EqualSignMapsThePortToTheEntryOfItsName)
{
  auto blackboard = BT::Blackboard::create();
  BT::NodeConfiguration config;
  config.blackboard = blackboard;
  BT::assignDefaultRemapping<MoveTo>(config);
  MoveTo node("move", config);
  blackboard->set("retries", 9);
  EXPECT_EQ(node.getInput<int>("retries").value(), 9);
  ASSERT_TRUE(node.setOutput("distance", 1.0));
  EXPECT_EQ(blackboard->get<double>("distance"), 1.0);
}

TEST(PortsTest, FailuresAreReportedAsErrorTexts)
{
  auto blackboard = BT::Blackboard::create();
  MoveTo node("move", configWith(blackboard, {{"target", "{goal}"}, {"retries", "many"}}));

  auto unknown = node.getInput<int>("speed");
  ASSERT_FALSE(unknown);
  EXPECT_EQ(
    unknown.error(),
    "getInput() failed because NodeConfiguration::input_ports does not contain the key: [speed]");

  auto missing = node.getInput<Point>("target");
  ASSERT_FALSE(missing);
  EXPECT_EQ(
    missing.error(),
    "getInput() failed because it was unable to find the key [target] remapped to [goal]");

  auto unparsable = node.getInput<int>("retries");
  ASSERT_FALSE(unparsable);
  EXPECT_EQ(unparsable.error(), "convertFromString(): invalid int conversion of [many]");

  blackboard->set("goal", 3.5);
  auto wrong_type = node.getInput<Point>("target");
  ASSERT_FALSE(wrong_type);
  EXPECT_EQ(
    wrong_type.error(),
    "[Any::convert]: no known safe conversion between [double] and [(anonymous "
    "namespace)::Point]");

  auto no_output = node.setOutput("distance", 1.0);
  ASSERT_FALSE(no_output);
  EXPECT_EQ(
    no_output.error(),
    "setOutput() failed: NodeConfiguration::output_ports does not contain the key: [distance]");
  EXPECT_THROW(node.getRawPortValue("speed"), std::logic_error);
}

TEST(PortsTest, BlackboardPointersAreRecognised)
{
  EXPECT_TRUE(BT::TreeNode::isBlackboardPointer("{key}"));
  EXPECT_TRUE(BT::TreeNode::isBlackboardPointer("${key}"));
  EXPECT_FALSE(BT::TreeNode::isBlackboardPointer("{}"));
  EXPECT_FALSE(BT::TreeNode::isBlackboardPointer("key"));
  EXPECT_EQ(BT::TreeNode::stripBlackboardPointer("${key}"), "key");
  EXPECT_EQ(BT::TreeNode::getRemappedKey("port", "=").value(), "port");
  EXPECT_EQ(BT::TreeNode::getRemappedKey("port", "{key}").value(), "key");
  EXPECT_EQ(BT::TreeNode::getRemappedKey("port", "3").error(), "Not a blackboard pointer");
}

}  // namespace
