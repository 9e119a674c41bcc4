// Only the library's own headers are included here: plug-ins written for BehaviorTree.CPP v3
// use the standard threading facilities these headers bring in.
#include <gtest/gtest.h>

#include "behaviortree_cpp_v3/bt_factory.h"

namespace
{
class ThreadedCounter : public BT::AsyncActionNode
{
public:
  ThreadedCounter(const std::string & name, const BT::NodeConfiguration & config)
  : BT::AsyncActionNode(name, config)
  {
  }

  static BT::PortsList providedPorts() { return {}; }

  std::atomic<int> runs{0};

private:
  BT::NodeStatus tick() override
  {
    std::promise<int> promise;
    std::future<int> result = promise.get_future();
    std::thread helper([&promise] { promise.set_value(1); });
    runs += result.get();
    helper.join();
    std::unique_lock<std::mutex> lock(mutex_);
    condition_.wait_for(lock, std::chrono::milliseconds(0));
    return BT::NodeStatus::SUCCESS;
  }

  std::mutex mutex_;
  std::condition_variable condition_;
};

TEST(HeaderUsageTest, ThreadingFacilitiesComeWithTheLibraryHeaders)
{
  BT::BehaviorTreeFactory factory;
  factory.registerNodeType<ThreadedCounter>("ThreadedCounter");
  auto tree =
    factory.createTreeFromText("<root><BehaviorTree><ThreadedCounter/></BehaviorTree></root>");
  EXPECT_EQ(tree.tickRootWhileRunning(std::chrono::milliseconds(1)), BT::NodeStatus::SUCCESS);
  EXPECT_EQ(dynamic_cast<ThreadedCounter &>(*tree.rootNode()).runs.load(), 1);
}

}  // namespace
