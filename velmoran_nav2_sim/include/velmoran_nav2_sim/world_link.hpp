#pragma once

#include <sys/un.h>

#include <mutex>
#include <optional>
#include <string>

namespace velmoran_nav2_sim
{

/// The connection of a process without the simulated world (the decision node's own process, in
/// a run with the node as a child process) to the process that hosts it: one request line, one
/// answer line, over a local socket of this machine's network namespace.
///
/// Requests, and their answers ("ok ..." or "error <text>"):
///   drive <speed> <keep heading 0|1> <count> <x> <y> <yaw>...   ok <command>
///   stop                                                        ok
///   status                          ok <command> <active> <reached> <waypoints reached>
///   pose                                                        ok <x> <y> <yaw>
///   obstacles                       ok <count> (<points> <x> <y>...)...
///   fault <action id>               ok none | ok slow <scale> | ok failure
///   take-failure <action id>                                    ok 0 | ok 1
class WorldLink
{
public:
  /// The environment variable that names the host's address to the process without the world.
  static constexpr const char * kAddressVariable = "VELMORAN_SIM_WORLD";

  /// Connects to the abstract local socket `address`; throws std::runtime_error naming it when
  /// nothing serves it.
  explicit WorldLink(const std::string & address);
  ~WorldLink();

  WorldLink(const WorldLink &) = delete;
  WorldLink & operator=(const WorldLink &) = delete;

  /// Sends `request` and returns the answer after "ok" (without the blank). Throws
  /// std::invalid_argument with the host's text for an "error" answer, std::runtime_error when
  /// the host is gone. Any thread.
  std::string call(const std::string & request);

  /// The socket address of `address` in the abstract namespace; its length in `length`.
  static struct sockaddr_un socketAddress(const std::string & address, unsigned & length);
  /// Writes `line` and a newline to `fd`; false when the peer is gone.
  static bool writeLine(int fd, const std::string & line);
  /// Removes the first complete line from `buffer` and returns it without its newline.
  static std::optional<std::string> takeLine(std::string & buffer);

private:
  std::string address_;
  std::mutex mutex_;
  int fd_ = -1;
  std::string buffer_;
};

}  // namespace velmoran_nav2_sim
