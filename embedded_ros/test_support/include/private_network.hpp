#ifndef PRIVATE_NETWORK_HPP_
#define PRIVATE_NETWORK_HPP_

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace embedded_ros_test
{

/// Moves this process into a network namespace of its own with only loopback, up, so nothing a
/// DDS test sends can leave the machine or meet another test's participants. Empty on success,
/// otherwise why not (creating one needs root).
inline std::string enter_private_network()
{
  if (unshare(CLONE_NEWNET) != 0) {
    return std::string("unshare(CLONE_NEWNET) refused: ") + std::strerror(errno);
  }
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) {
    return std::string("socket: ") + std::strerror(errno);
  }
  ifreq request{};
  std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  std::string error;
  if (ioctl(fd, SIOCGIFFLAGS, &request) != 0) {
    error = std::string("reading the flags of lo: ") + std::strerror(errno);
  } else {
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
    if (ioctl(fd, SIOCSIFFLAGS, &request) != 0) {
      error = std::string("bringing lo up: ") + std::strerror(errno);
    }
  }
  close(fd);
  return error;
}

}  // namespace embedded_ros_test

#endif  // PRIVATE_NETWORK_HPP_
