// The other process of the DDS tests (dds_echo_peer), the private network both run in, and the
// fixture of the tests.

#ifndef DDS_PEER_HPP_
#define DDS_PEER_HPP_

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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
      setenv(
        "CYCLONEDDS_URI",
        "<CycloneDDS><Domain><Discovery><LeaseDuration>1s</LeaseDuration></Discovery></Domain>"
        "</CycloneDDS>",
        1);
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
class Peer
{
public:
  explicit Peer(const std::vector<std::string> & arguments)
  {
    int input[2];
    int errors[2];
    if (pipe(input) != 0) {
      return;
    }
    if (pipe(errors) != 0) {
      close(input[0]);
      close(input[1]);
      return;
    }
    std::vector<char *> argv{const_cast<char *>(DDS_ECHO_PEER)};
    for (const auto & argument : arguments) {
      argv.push_back(const_cast<char *>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(input[0], STDIN_FILENO);
      dup2(errors[1], STDERR_FILENO);
      close(input[1]);
      close(errors[0]);
      execv(DDS_ECHO_PEER, argv.data());
      _exit(127);
    }
    close(input[0]);
    close(errors[1]);
    stdin_ = input[1];
    stderr_ = errors[0];
  }

  ~Peer() { stop(); }

  Peer(const Peer &) = delete;
  Peer & operator=(const Peer &) = delete;

  /// Ends the peer; true when it exited normally. Its log is in log().
  bool stop() { return finish(false); }
  /// Kills the peer with SIGKILL, as a crash would end it: it says goodbye to nobody.
  void kill() { finish(true); }

  bool started() const { return pid_ > 0; }
  const std::string & log() const { return log_; }

private:
  bool finish(bool kill_it)
  {
    if (pid_ <= 0) {
      return false;
    }
    if (kill_it) {
      ::kill(pid_, SIGKILL);
    }
    close(stdin_);
    char buffer[4096];
    pollfd descriptor{stderr_, POLLIN, 0};
    while (poll(&descriptor, 1, 10000) > 0) {
      const ssize_t got = read(stderr_, buffer, sizeof(buffer));
      if (got <= 0) {
        break;
      }
      log_.append(buffer, static_cast<size_t>(got));
    }
    close(stderr_);
    int status = -1;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  pid_t pid_ = -1;
  int stdin_ = -1;
  int stderr_ = -1;
  std::string log_;
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
