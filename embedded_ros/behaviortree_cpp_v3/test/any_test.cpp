#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "behaviortree_cpp_v3/basic_types.h"
#include "behaviortree_cpp_v3/utils/safe_any.hpp"

namespace
{
using BT::Any;

template <typename T>
std::string castError(const Any & any)
{
  try {
    any.template cast<T>();
  } catch (const std::runtime_error & error) {
    return error.what();
  }
  return "no error";
}

TEST(AnyTest, KeepsTheOriginalTypeAndReadsItBack)
{
  EXPECT_EQ(Any(42).type(), typeid(int));
  EXPECT_EQ(Any(42).cast<int>(), 42);
  EXPECT_EQ(Any(2.5f).type(), typeid(float));
  EXPECT_EQ(Any(2.5f).cast<float>(), 2.5f);
  EXPECT_EQ(Any(0.0004f).cast<float>(), 0.0004f);
  EXPECT_EQ(Any(std::string("text")).cast<std::string>(), "text");
  EXPECT_EQ(Any("literal").type(), typeid(std::string));
  EXPECT_EQ(
    Any(std::chrono::milliseconds(2000)).cast<std::chrono::milliseconds>(),
    std::chrono::milliseconds(2000));
  EXPECT_EQ((Any(std::vector<int>{1, 2}).cast<std::vector<int>>()), (std::vector<int>{1, 2}));
  EXPECT_TRUE(Any(true).cast<bool>());
}

TEST(AnyTest, EmptyAnyCannotBeCast)
{
  Any empty;
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(empty.type(), typeid(void));
  EXPECT_EQ(castError<int>(empty), "Any::cast failed because it is empty");
}

TEST(AnyTest, ConvertsNumbersWithoutLoss)
{
  EXPECT_EQ(Any(7).cast<double>(), 7.0);
  EXPECT_EQ(Any(7).cast<uint8_t>(), 7u);
  EXPECT_EQ(Any(3.0).cast<int>(), 3);
  EXPECT_EQ(Any(2.5f).cast<double>(), 2.5);
  EXPECT_EQ(Any(0.5).cast<float>(), 0.5f);
  EXPECT_EQ(Any(uint64_t{5}).cast<int8_t>(), 5);
  EXPECT_EQ(Any(int64_t{-5}).cast<int16_t>(), -5);
  EXPECT_TRUE(Any(2).cast<bool>());
  EXPECT_FALSE(Any(0.0).cast<bool>());
}

TEST(AnyTest, RefusesConversionsThatLoseInformation)
{
  EXPECT_EQ(castError<int>(Any(2.5)), "Floating point truncated");
  EXPECT_EQ(castError<float>(Any(0.1)), "Floating point truncated");
  EXPECT_EQ(castError<float>(Any(1e300)), "Floating point truncated");
  EXPECT_EQ(
    castError<double>(Any(std::numeric_limits<int64_t>::max())), "Floating point truncated");
  EXPECT_EQ(castError<unsigned>(Any(-1)), "Value is negative and can't be converted to signed");
  EXPECT_EQ(castError<unsigned>(Any(-1.0)), "Value is negative and can't be converted to signed");
  EXPECT_EQ(castError<uint8_t>(Any(300)), "Value too large.");
  EXPECT_EQ(castError<int8_t>(Any(-300)), "Value too small.");
  EXPECT_EQ(castError<int>(Any(1e10)), "Value too large.");
  EXPECT_EQ(castError<int>(Any(-1e10)), "Value too small.");
  EXPECT_EQ(castError<int64_t>(Any(std::numeric_limits<uint64_t>::max())), "Value too large.");
  EXPECT_EQ(
    castError<int>(Any(std::numeric_limits<double>::quiet_NaN())), "Floating point truncated");
}

TEST(AnyTest, NumbersBecomeTextButTextIsNotParsed)
{
  EXPECT_EQ(Any(42).cast<std::string>(), "42");
  EXPECT_EQ(Any(uint64_t{42}).cast<std::string>(), "42");
  EXPECT_EQ(Any(1.5).cast<std::string>(), "1.500000");
  EXPECT_EQ(
    castError<int>(Any(std::string("42"))),
    "[Any::convert]: no known safe conversion between [std::string] and [int]");
}

TEST(AnyTest, OtherTypesAreReadOnlyAsThemselves)
{
  EXPECT_EQ(
    castError<std::chrono::seconds>(Any(std::chrono::milliseconds(1))),
    "[Any::convert]: no known safe conversion between [std::chrono::duration<long, std::ratio<1l, "
    "1000l> >] "
    "and [std::chrono::duration<long, std::ratio<1l, 1l> >]");
  EXPECT_EQ(
    castError<std::string>(Any(std::vector<int>{})),
    "[Any::convert]: no known safe conversion between [std::vector<int, std::allocator<int> >] and "
    "[std::string]");
}

TEST(ConvertFromStringTest, ParsesNumbersBooleansAndLists)
{
  EXPECT_EQ(BT::convertFromString<int>("-42"), -42);
  EXPECT_EQ(BT::convertFromString<int>(" +7 "), 7);
  EXPECT_EQ(BT::convertFromString<unsigned>("7"), 7u);
  EXPECT_EQ(BT::convertFromString<long>("-9000000000"), -9000000000L);
  EXPECT_DOUBLE_EQ(BT::convertFromString<double>("1.5e3"), 1500.0);
  EXPECT_FLOAT_EQ(BT::convertFromString<float>("0.25"), 0.25f);
  EXPECT_EQ(BT::convertFromString<std::vector<int>>("1;2;3"), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(BT::convertFromString<std::vector<double>>("0.5;1"), (std::vector<double>{0.5, 1.0}));
  for (const char * text : {"1", "true", "True", "TRUE"}) {
    EXPECT_TRUE(BT::convertFromString<bool>(text)) << text;
  }
  for (const char * text : {"0", "false", "False", "FALSE"}) {
    EXPECT_FALSE(BT::convertFromString<bool>(text)) << text;
  }
  EXPECT_EQ(BT::convertFromString<BT::NodeStatus>("RUNNING"), BT::NodeStatus::RUNNING);
  EXPECT_EQ(BT::convertFromString<BT::NodeType>("SubTreePlus"), BT::NodeType::SUBTREE);
  EXPECT_EQ(BT::convertFromString<BT::PortDirection>("Output"), BT::PortDirection::OUTPUT);
}

TEST(ConvertFromStringTest, RejectsTextThatIsNotEntirelyTheValue)
{
  auto error_of = [](auto parse) -> std::string {
    try {
      parse();
    } catch (const BT::RuntimeError & error) {
      return error.what();
    }
    return "no error";
  };
  EXPECT_EQ(
    error_of([] { BT::convertFromString<int>("1.5"); }),
    "convertFromString(): invalid int conversion of [1.5]");
  EXPECT_EQ(
    error_of([] { BT::convertFromString<double>("abc"); }),
    "convertFromString(): invalid double conversion of [abc]");
  EXPECT_EQ(
    error_of([] { BT::convertFromString<int>("99999999999"); }),
    "convertFromString(): [99999999999] is out of the range of int");
  EXPECT_EQ(
    error_of([] { BT::convertFromString<unsigned>("-1"); }),
    "convertFromString(): invalid unsigned conversion of [-1]");
  EXPECT_EQ(
    error_of([] { BT::convertFromString<int>(""); }),
    "convertFromString(): invalid int conversion of []");
  EXPECT_EQ(
    error_of([] { BT::convertFromString<bool>("yes"); }),
    "convertFromString(): invalid bool conversion of [yes]");
  EXPECT_EQ(
    error_of([] { BT::convertFromString<BT::NodeStatus>("DONE"); }),
    "Cannot convert this to NodeStatus: DONE");
  EXPECT_THROW(BT::convertFromString<std::chrono::milliseconds>("5"), BT::LogicError);
}

TEST(BasicTypesTest, NamesOfStatusesTypesAndDirections)
{
  EXPECT_EQ(BT::toStr(BT::NodeStatus::SUCCESS), "SUCCESS");
  EXPECT_EQ(BT::toStr(BT::NodeStatus::FAILURE, true), "\x1b[31mFAILURE\x1b[0m");
  EXPECT_EQ(BT::toStr(BT::NodeType::SUBTREE), "SubTree");
  EXPECT_EQ(BT::toStr(BT::PortDirection::INOUT), "InOut");
  EXPECT_TRUE(BT::StatusCompleted(BT::NodeStatus::FAILURE));
  EXPECT_FALSE(BT::StatusCompleted(BT::NodeStatus::RUNNING));
}

TEST(BasicTypesTest, PortsCarryTypeDefaultAndDescription)
{
  auto [name, info] = BT::InputPort<int>("count", 3, "how many");
  EXPECT_EQ(name, "count");
  EXPECT_EQ(info.direction(), BT::PortDirection::INPUT);
  EXPECT_EQ(*info.type(), typeid(int));
  EXPECT_EQ(info.defaultValue(), "3");
  EXPECT_EQ(info.description(), "how many");
  EXPECT_EQ(info.parseString("12").cast<int>(), 12);
  EXPECT_FALSE(BT::OutputPort("any").second.isStronglyTyped());
  EXPECT_TRUE(BT::OutputPort("any").second.parseString("x").empty());
  EXPECT_THROW(BT::InputPort<int>("name"), std::runtime_error);
}

}  // namespace
