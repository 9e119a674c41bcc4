#include <csignal>
#include <cstdlib>
#include <exception>
#include <memory>

#include <unistd.h>

#include <rclcpp/rclcpp.hpp>

#include "logging/logger.hpp"
#include "nav_decision.hpp"

namespace
{

/// Last resort when logging from the crashed thread cannot proceed (it held the logger's lock).
void abort_after_timeout(int /*signal_number*/) { abort(); }

void signal_handler(int signal_number)
{
  // The two lines below are not async-signal-safe: if they block, the alarm still ends the
  // process with SIGABRT so that it can be restarted.
  signal(SIGALRM, abort_after_timeout);
  alarm(2);
  LOG_ERROR("Caught signal {}", signal_number);
  LOG_ERROR("Generating core dump...");
  abort();
}

void exception_handler()
{
  // std::terminate may also be called with no exception in flight; rethrowing then would
  // re-enter this handler.
  if (const std::exception_ptr in_flight = std::current_exception()) {
    try {
      std::rethrow_exception(in_flight);
    } catch (const std::exception & e) {
      LOG_ERROR("Caught exception: {}", e.what());
    } catch (...) {
      LOG_ERROR("Caught unknown exception");
    }
  } else {
    LOG_ERROR("Caught unknown exception");
  }
  LOG_ERROR("Generating core dump...");
  abort();
}

}  // namespace

int main(int argc, char ** argv)
{
  // Default init options use the default rcutils allocator.
  rclcpp::init(argc, argv, rclcpp::InitOptions(), rclcpp::SignalHandlerOptions::All);
  velmoran::Logger::Instance("nav2_decision");
  signal(SIGSEGV, signal_handler);
  std::set_terminate(exception_handler);

  // SIGINT and SIGTERM shut ROS 2 down through rclcpp's handlers at any moment, also during
  // start-up; from then on creating an rclcpp object throws. So start-up goes on only while ROS 2
  // is up, and a step that threw because it was shut down meanwhile ends the process as orderly.
  std::shared_ptr<bt_navigator::NavDecision> node;
  try {
    if (rclcpp::ok()) {
      node = std::make_shared<bt_navigator::NavDecision>();
    }
    if (rclcpp::ok()) {
      node->init();
    }
    if (rclcpp::ok()) {
      rclcpp::spin(node->get_node_base_interface());
    }
  } catch (const std::exception &) {
    if (rclcpp::ok()) {
      throw;
    }
  }
  rclcpp::shutdown();
  node.reset();
  return 0;
}
