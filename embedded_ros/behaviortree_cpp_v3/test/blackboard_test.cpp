#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "behaviortree_cpp_v3/blackboard.h"

namespace
{
using BT::Blackboard;

template <typename Function>
std::string errorOf(Function function)
{
  try {
    function();
  } catch (const std::exception & error) {
    return error.what();
  }
  return "no error";
}

TEST(BlackboardTest, StoresAndReadsTypedValues)
{
  auto blackboard = Blackboard::create();
  blackboard->set("server_timeout", std::chrono::milliseconds(2000));
  blackboard->set("number_recoveries", 0);
  blackboard->set("max_speed", 0.5f);

  EXPECT_EQ(
    blackboard->get<std::chrono::milliseconds>("server_timeout"), std::chrono::milliseconds(2000));
  int recoveries = -1;
  EXPECT_TRUE(blackboard->get("number_recoveries", recoveries));
  EXPECT_EQ(recoveries, 0);
  EXPECT_EQ(blackboard->get<double>("max_speed"), 0.5);

  int missing = 7;
  EXPECT_FALSE(blackboard->get("missing", missing));
  EXPECT_EQ(missing, 7);
  EXPECT_EQ(blackboard->getAny("missing"), nullptr);
  ASSERT_NE(blackboard->getAny("max_speed"), nullptr);
  EXPECT_EQ(blackboard->getAny("max_speed")->type(), typeid(float));
}

TEST(BlackboardTest, MissingKeyAndBadConversionRaiseTheLibraryErrors)
{
  auto blackboard = Blackboard::create();
  EXPECT_EQ(
    errorOf([&] { blackboard->get<int>("err_num"); }),
    "Blackboard::get() error. Missing key [err_num]");
  EXPECT_THROW(blackboard->get<int>("err_num"), BT::RuntimeError);

  blackboard->set("ratio", 2.5);
  EXPECT_EQ(errorOf([&] { blackboard->get<int>("ratio"); }), "Floating point truncated");
}

TEST(BlackboardTest, OnceDeclaredTheTypeOfAnEntryCannotChange)
{
  auto blackboard = Blackboard::create();
  blackboard->set("max_speed", 0.3f);
  EXPECT_EQ(
    errorOf([&] { blackboard->set("max_speed", 0.3); }),
    "Blackboard::set() failed: once declared, the type of a port shall not change. "
    "Declared type [float] != current type [double]");
  EXPECT_THROW(blackboard->set("max_speed", 0.3), BT::LogicError);
  EXPECT_EQ(blackboard->get<float>("max_speed"), 0.3f);

  blackboard->set("goal_reached", false);
  EXPECT_EQ(
    errorOf([&] { blackboard->set("goal_reached", 1); }),
    "Blackboard::set() failed: once declared, the type of a port shall not change. "
    "Declared type [bool] != current type [int]");
  blackboard->set("goal_reached", true);
  EXPECT_TRUE(blackboard->get<bool>("goal_reached"));
}

TEST(BlackboardTest, TextEntriesStayUntypedAndTypedEntriesParseText)
{
  auto blackboard = Blackboard::create();
  blackboard->set("note", std::string("first"));
  blackboard->set("note", 3);
  EXPECT_EQ(blackboard->get<int>("note"), 3);
  blackboard->set("literal", "text");
  EXPECT_EQ(blackboard->get<std::string>("literal"), "text");

  blackboard->createEntry("threshold", BT::InputPort<double>("threshold").second);
  blackboard->set("threshold", std::string("0.25"));
  EXPECT_EQ(blackboard->getAny("threshold")->type(), typeid(double));
  EXPECT_EQ(blackboard->get<double>("threshold"), 0.25);
  EXPECT_THROW(blackboard->set("threshold", std::string("abc")), BT::RuntimeError);
  EXPECT_THROW(blackboard->set("threshold", 1), BT::LogicError);
}

TEST(BlackboardTest, EntriesAndPortInfoAreVisible)
{
  auto blackboard = Blackboard::create();
  blackboard->set("path_updated", false);
  auto entry = blackboard->getEntry("path_updated");
  ASSERT_TRUE(entry);
  EXPECT_EQ(*entry->port_info.type(), typeid(bool));
  ASSERT_NE(blackboard->portInfo("path_updated"), nullptr);
  EXPECT_EQ(blackboard->portInfo("path_updated")->direction(), BT::PortDirection::INOUT);
  EXPECT_EQ(blackboard->portInfo("other"), nullptr);
  EXPECT_FALSE(blackboard->getEntry("other"));
  EXPECT_EQ(blackboard->getKeys().size(), 1u);
  blackboard->clear();
  EXPECT_TRUE(blackboard->getKeys().empty());
}

TEST(BlackboardTest, RemappedKeysLiveInTheParent)
{
  auto parent = Blackboard::create();
  auto child = Blackboard::create(parent);
  child->addSubtreeRemapping("goal", "current_goal");

  parent->set("current_goal", 1);
  EXPECT_EQ(child->get<int>("goal"), 1);
  child->set("goal", 2);
  EXPECT_EQ(parent->get<int>("current_goal"), 2);
  EXPECT_EQ(child->getEntry("goal"), parent->getEntry("current_goal"));
  EXPECT_THROW(child->set("goal", std::string("x")), BT::LogicError);

  child->set("local", 5);
  int value = 0;
  EXPECT_FALSE(parent->get("local", value));
  EXPECT_FALSE(child->get("current_goal", value)) << "a key is not visible without remapping";
}

TEST(BlackboardTest, FirstWriteThroughARemappingMustMatchTheParentType)
{
  auto parent = Blackboard::create();
  auto child = Blackboard::create(parent);
  child->addSubtreeRemapping("speed", "max_speed");
  parent->set("max_speed", 1.0f);
  EXPECT_EQ(
    errorOf([&] { child->set("speed", 1.0); }),
    "Blackboard: once declared, the type of a port shall not change. "
    "Previously declared type [float] != new type [double]");
}

TEST(BlackboardTest, AutoRemappingSharesEveryKeyWithTheParent)
{
  auto parent = Blackboard::create();
  auto child = Blackboard::create(parent);
  child->enableAutoRemapping(true);
  parent->set("a", 1);
  EXPECT_EQ(child->get<int>("a"), 1);
  child->set("b", 2);
  EXPECT_EQ(parent->get<int>("b"), 2);
}

TEST(BlackboardTest, ConcurrentWritersAndReadersSeeWholeValues)
{
  auto blackboard = Blackboard::create();
  const std::vector<int> small(3, 1);
  const std::vector<int> large(300, 2);
  blackboard->set("poses", small);

  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; i < 2000; ++i) {
      blackboard->set("poses", i % 2 == 0 ? large : small);
    }
    stop = true;
  });
  int torn_reads = 0;
  while (!stop) {
    const auto poses = blackboard->get<std::vector<int>>("poses");
    if (poses != small && poses != large) {
      ++torn_reads;
    }
  }
  writer.join();
  EXPECT_EQ(torn_reads, 0);
}

TEST(BlackboardTest, ANewEntryIsNeverSeenWithoutItsValue)
{
  auto blackboard = Blackboard::create();
  constexpr int kKeys = 2000;
  std::atomic<int> written{0};
  std::thread writer([&] {
    for (int i = 0; i < kKeys; ++i) {
      blackboard->set("key_" + std::to_string(i), i);
      written = i + 1;
    }
  });
  // Reads each key as soon as it may exist, racing its first write.
  int empty_reads = 0;
  for (int i = 0; i < kKeys; ++i) {
    const std::string key = "key_" + std::to_string(i);
    int value = -1;
    bool found = false;
    while (!found) {
      const bool must_exist = written.load() > i;
      try {
        found = blackboard->get(key, value);
      } catch (const std::exception &) {
        ++empty_reads;
        found = true;
      }
      if (!found && must_exist) {
        ADD_FAILURE() << key << " missing after its write";
        break;
      }
    }
  }
  writer.join();
  EXPECT_EQ(empty_reads, 0);
}

}  // namespace
