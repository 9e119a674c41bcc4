// The other process of the DDS tests (dds_echo_peer), the private network both run in, and the
// fixture of the tests.

#ifndef DDS_PEER_HPP_
#define DDS_PEER_HPP_

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "child_process.hpp"
#include "cyclone_uris.hpp"
#include "private_network.hpp"
#include "rclcpp/detail/domain.hpp"
#include "rclcpp/rclcpp.hpp"

namespace dds_test
{

/// Why this process could not enter a network namespace of its own; empty once it did. Entered
/// once: the process's DDS participant lives in the namespace it was created in. Lost peers are
/// noticed after a lease of one second instead of Cyclone's ten.
inline const std::string & network_refused()
{
  static const std::string refused = []() {
    std::string error = embedded_ros_test::enter_private_network();
    if (error.empty()) {
      setenv("RMW_IMPLEMENTATION", "rmw_cyclonedds_cpp", 1);
      setenv("ROS_DOMAIN_ID", "17", 1);
      setenv("ROS_LOCALHOST_ONLY", "1", 1);
      // Naming the loopback interface here as well must not make Cyclone refuse the domain.
      setenv("CYCLONEDDS_URI", embedded_ros_test::kLoopbackShortLeaseUri, 1);
    }
    return error;
  }();
  return refused;
}

/// Waits until `done()` holds, waking on every change of the graph (a remote peer matched or
/// lost); false when `timeout` passes first.
template <typename Predicate>
bool wait_for_graph(Predicate done, std::chrono::milliseconds timeout)
{
  auto & domain = rclcpp::detail::Domain::global();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  uint64_t version = domain.graph_version();
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    version = domain.wait_for_graph_change(version, deadline);
  }
  return true;
}

/// dds_echo_peer in a child process with `arguments`; closing its standard input ends it.
class Peer : public embedded_ros_test::ChildProcess
{
public:
  explicit Peer(const std::vector<std::string> & arguments) : ChildProcess(DDS_ECHO_PEER, arguments)
  {
  }
};

/// A test whose node `node_name` is spun by an executor on a thread of its own, in this
/// process's private network with DDS switched on; skipped where that network is refused.
class NodeTest : public ::testing::Test
{
protected:
  explicit NodeTest(std::string node_name) : node_name_(std::move(node_name)) {}

  void SetUp() override
  {
    if (!network_refused().empty()) {
      GTEST_SKIP() << "needs a private network namespace (run as root): " << network_refused();
    }
    rclcpp::init(0, nullptr);
    node_ = std::make_shared<rclcpp::Node>(node_name_);
    // An executor needs an initialised context, as in ROS 2.
    executor_ = std::make_unique<rclcpp::executors::SingleThreadedExecutor>();
    executor_->add_node(node_);
    spinner_ = std::thread([this]() { executor_->spin(); });
  }

  void TearDown() override
  {
    if (spinner_.joinable()) {
      rclcpp::shutdown();  // ends spin() even when it had not started yet
      spinner_.join();
    }
  }

  std::string node_name_;
  rclcpp::Node::SharedPtr node_;
  std::unique_ptr<rclcpp::executors::SingleThreadedExecutor> executor_;
  std::thread spinner_;
};

}  // namespace dds_test

#endif  // DDS_PEER_HPP_
