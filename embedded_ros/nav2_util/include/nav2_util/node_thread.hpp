// Spins a node or an executor on a thread of its own for as long as the object lives.
#ifndef NAV2_UTIL__NODE_THREAD_HPP_
#define NAV2_UTIL__NODE_THREAD_HPP_

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <rclcpp/executors/single_threaded_executor.hpp>
#include <rclcpp/node_interfaces/node_base_interface.hpp>

namespace nav2_util
{
/// The destructor cancels the executor and joins the thread; it returns even when the
/// cancellation raced with the start of spinning.
class NodeThread
{
public:
  /// Spins the node on a new single-threaded executor.
  explicit NodeThread(rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base);

  /// Spins `executor`, with whatever nodes or callback groups were added to it.
  explicit NodeThread(rclcpp::executors::SingleThreadedExecutor::SharedPtr executor);

  template <typename NodeT>
  explicit NodeThread(NodeT node) : NodeThread(node->get_node_base_interface())
  {
  }

  ~NodeThread();

  NodeThread(const NodeThread &) = delete;
  NodeThread & operator=(const NodeThread &) = delete;

protected:
  rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_;
  std::unique_ptr<std::thread> thread_;
  rclcpp::Executor::SharedPtr executor_;

private:
  void start(bool add_node);

  std::mutex mutex_;
  std::condition_variable state_condition_;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace nav2_util

#endif  // NAV2_UTIL__NODE_THREAD_HPP_
