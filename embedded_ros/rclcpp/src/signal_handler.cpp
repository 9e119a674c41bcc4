#include "signal_handler.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "rclcpp/context.hpp"
#include "rclcpp/logging.hpp"

namespace rclcpp
{

namespace
{

// Written by the signal handler, so plain ints (no locks, no allocation).
volatile sig_atomic_t g_write_fd = -1;
int g_read_fd = -1;
struct sigaction * g_old_sigint = nullptr;
struct sigaction * g_old_sigterm = nullptr;
constexpr int kStopThread = -1;

void write_to_pipe(int value)
{
  const int fd = g_write_fd;
  if (fd < 0) {
    return;
  }
  const int saved_errno = errno;
  ssize_t ignored = write(fd, &value, sizeof(value));
  (void)ignored;
  errno = saved_errno;
}

bool wants(SignalHandlerOptions options, int signum)
{
  switch (options) {
    case SignalHandlerOptions::All:
      return true;
    case SignalHandlerOptions::SigInt:
      return signum == SIGINT;
    case SignalHandlerOptions::SigTerm:
      return signum == SIGTERM;
    case SignalHandlerOptions::None:
      return false;
  }
  return false;
}

void install_action(
  int signum, struct sigaction & old_action, void (*handler)(int, siginfo_t *, void *))
{
  struct sigaction action
  {
  };
  action.sa_sigaction = handler;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(signum, &action, &old_action);
}

}  // namespace

SignalHandler & SignalHandler::get_global_signal_handler()
{
  static SignalHandler signal_handler;
  return signal_handler;
}

void SignalHandler::call_previous_handler(
  const struct sigaction & previous, int signum, siginfo_t * info, void * context)
{
  if (previous.sa_flags & SA_SIGINFO) {
    if (previous.sa_sigaction != nullptr) {
      previous.sa_sigaction(signum, info, context);
    }
  } else if (
    previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN &&
    previous.sa_handler != nullptr) {
    previous.sa_handler(signum);
  }
}

void SignalHandler::signal_handler(int signum, siginfo_t * info, void * context)
{
  const struct sigaction * previous = signum == SIGINT ? g_old_sigint : g_old_sigterm;
  if (previous != nullptr) {
    call_previous_handler(*previous, signum, info, context);
  }
  write_to_pipe(signum);
}

bool SignalHandler::install(SignalHandlerOptions signal_handler_options)
{
  std::lock_guard<std::mutex> lock(install_mutex_);
  if (installed_ || signal_handler_options == SignalHandlerOptions::None) {
    return false;
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    return false;
  }
  g_read_fd = fds[0];
  g_write_fd = fds[1];
  options_ = signal_handler_options;
  thread_ = std::thread(&SignalHandler::deferred_signal_handler, this);
  g_old_sigint = &old_sigint_action_;
  g_old_sigterm = &old_sigterm_action_;
  if (wants(options_, SIGINT)) {
    install_action(SIGINT, old_sigint_action_, &SignalHandler::signal_handler);
  }
  if (wants(options_, SIGTERM)) {
    install_action(SIGTERM, old_sigterm_action_, &SignalHandler::signal_handler);
  }
  installed_ = true;
  return true;
}

SignalHandler::~SignalHandler() { uninstall(); }

bool SignalHandler::uninstall()
{
  std::lock_guard<std::mutex> lock(install_mutex_);
  if (!installed_) {
    return false;
  }
  if (wants(options_, SIGINT)) {
    sigaction(SIGINT, &old_sigint_action_, nullptr);
  }
  if (wants(options_, SIGTERM)) {
    sigaction(SIGTERM, &old_sigterm_action_, nullptr);
  }
  write_to_pipe(kStopThread);
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();  // uninstalled from a shutdown callback run by the handler thread
  } else {
    thread_.join();
  }
  close(g_write_fd);
  g_write_fd = -1;
  options_ = SignalHandlerOptions::None;
  installed_ = false;
  return true;
}

bool SignalHandler::is_installed()
{
  std::lock_guard<std::mutex> lock(install_mutex_);
  return installed_;
}

SignalHandlerOptions SignalHandler::get_current_signal_handler_options()
{
  std::lock_guard<std::mutex> lock(install_mutex_);
  return options_;
}

void SignalHandler::deferred_signal_handler()
{
  const int read_fd = g_read_fd;
  while (true) {
    int signum = 0;
    ssize_t bytes = read(read_fd, &signum, sizeof(signum));
    if (bytes < 0 && errno == EINTR) {
      continue;
    }
    if (bytes != static_cast<ssize_t>(sizeof(signum)) || signum == kStopThread) {
      break;
    }
    handle_signal(signum);
  }
  close(read_fd);
}

void SignalHandler::handle_signal(int signum)
{
  RCLCPP_INFO(rclcpp::get_logger("rclcpp"), "signal_handler(signum=%d)", signum);
  for (const auto & context : rclcpp::get_contexts()) {
    if (context->get_init_options().shutdown_on_signal) {
      context->shutdown("signal handler");
    }
  }
}

}  // namespace rclcpp
