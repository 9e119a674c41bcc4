#include "velmoran_nav2_sim/world_link.hpp"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <stdexcept>

#include <fmt/format.h>

namespace velmoran_nav2_sim
{

sockaddr_un WorldLink::socketAddress(const std::string & address, unsigned & length)
{
  sockaddr_un socket_address{};
  socket_address.sun_family = AF_UNIX;
  // A leading zero byte puts the name in the abstract namespace: no file to clean up, and only
  // processes of this network namespace can reach it.
  if (address.empty() || address.size() + 1 > sizeof(socket_address.sun_path)) {
    throw std::runtime_error(fmt::format("bad simulation world address '{}'", address));
  }
  std::memcpy(socket_address.sun_path + 1, address.data(), address.size());
  length = static_cast<unsigned>(offsetof(sockaddr_un, sun_path) + 1 + address.size());
  return socket_address;
}

bool WorldLink::writeLine(int fd, const std::string & line)
{
  const std::string text = line + "\n";
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t sent = send(fd, text.data() + written, text.size() - written, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) {
      continue;
    }
    if (sent <= 0) {
      return false;
    }
    written += static_cast<std::size_t>(sent);
  }
  return true;
}

std::optional<std::string> WorldLink::takeLine(std::string & buffer)
{
  const std::size_t end = buffer.find('\n');
  if (end == std::string::npos) {
    return std::nullopt;
  }
  std::string line = buffer.substr(0, end);
  buffer.erase(0, end + 1);
  return line;
}

WorldLink::WorldLink(const std::string & address) : address_(address)
{
  unsigned length = 0;
  const sockaddr_un socket_address = socketAddress(address, length);
  fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) {
    throw std::runtime_error(fmt::format("socket: {}", std::strerror(errno)));
  }
  if (connect(fd_, reinterpret_cast<const sockaddr *>(&socket_address), length) != 0) {
    const int error = errno;
    close(fd_);
    throw std::runtime_error(
      fmt::format("cannot reach the simulation world at '{}': {}", address, std::strerror(error)));
  }
}

WorldLink::~WorldLink() { close(fd_); }

std::string WorldLink::call(const std::string & request)
{
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string gone = fmt::format("the simulation world at '{}' is gone", address_);
  if (!writeLine(fd_, request)) {
    throw std::runtime_error(gone);
  }
  std::optional<std::string> answer;
  while (!(answer = takeLine(buffer_))) {
    char chunk[4096];
    const ssize_t got = recv(fd_, chunk, sizeof(chunk), 0);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      throw std::runtime_error(gone);
    }
    buffer_.append(chunk, static_cast<std::size_t>(got));
  }
  if (answer->rfind("ok", 0) == 0) {
    return answer->size() > 3 ? answer->substr(3) : std::string();
  }
  if (answer->rfind("error ", 0) == 0) {
    throw std::invalid_argument(answer->substr(6));
  }
  throw std::runtime_error(
    fmt::format("the simulation world answered '{}' to '{}'", *answer, request));
}

}  // namespace velmoran_nav2_sim
