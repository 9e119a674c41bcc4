#ifndef SIGNAL_HANDLER_HPP_
#define SIGNAL_HANDLER_HPP_

#include <csignal>
#include <mutex>
#include <thread>

#include "rclcpp/utilities.hpp"

namespace rclcpp
{

/// SIGINT/SIGTERM handling as rclcpp does it: the handler only writes the signal number to a
/// pipe (async-signal-safe); a thread reads it and shuts down the contexts that asked for it.
class SignalHandler
{
public:
  static SignalHandler & get_global_signal_handler();

  /// A process that never called rclcpp::shutdown still stops the handler thread at exit.
  ~SignalHandler();

  bool install(SignalHandlerOptions signal_handler_options);
  bool uninstall();
  bool is_installed();
  SignalHandlerOptions get_current_signal_handler_options();

private:
  SignalHandler() = default;

  static void signal_handler(int signum, siginfo_t * info, void * context);
  static void call_previous_handler(
    const struct sigaction & previous, int signum, siginfo_t * info, void * context);
  void deferred_signal_handler();
  void handle_signal(int signum);

  std::mutex install_mutex_;
  bool installed_ = false;
  SignalHandlerOptions options_ = SignalHandlerOptions::None;
  std::thread thread_;
  struct sigaction old_sigint_action_
  {
  };
  struct sigaction old_sigterm_action_
  {
  };
};

}  // namespace rclcpp

#endif  // SIGNAL_HANDLER_HPP_
