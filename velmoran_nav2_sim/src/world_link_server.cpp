#include "velmoran_nav2_sim/world_link_server.hpp"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <fmt/format.h>

#include "velmoran_nav2_sim/sim_world.hpp"
#include "velmoran_nav2_sim/world_link.hpp"
#include "velmoran_nav2_sim/world_protocol.hpp"

namespace velmoran_nav2_sim
{

WorldLinkServer::WorldLinkServer(SimWorld & world, const std::string & address)
: world_(world), address_(address)
{
  unsigned length = 0;
  const sockaddr_un socket_address = WorldLink::socketAddress(address, length);
  listen_fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  stop_fd_ = eventfd(0, EFD_CLOEXEC);
  const bool listening =
    listen_fd_ >= 0 && stop_fd_ >= 0 &&
    bind(listen_fd_, reinterpret_cast<const sockaddr *>(&socket_address), length) == 0 &&
    listen(listen_fd_, 4) == 0;
  if (!listening) {
    const int error = errno;
    if (listen_fd_ >= 0) {
      close(listen_fd_);
    }
    if (stop_fd_ >= 0) {
      close(stop_fd_);
    }
    throw std::runtime_error(
      fmt::format("cannot serve the simulation world at '{}': {}", address, std::strerror(error)));
  }
  thread_ = std::thread([this]() { serve(); });
}

WorldLinkServer::~WorldLinkServer()
{
  const std::uint64_t one = 1;
  const ssize_t written = write(stop_fd_, &one, sizeof(one));
  (void)written;
  thread_.join();
  close(listen_fd_);
  close(stop_fd_);
}

void WorldLinkServer::serve()
{
  struct Connection
  {
    int fd;
    std::string buffer;
  };
  std::vector<Connection> connections;
  while (true) {
    std::vector<pollfd> watched{{stop_fd_, POLLIN, 0}, {listen_fd_, POLLIN, 0}};
    for (const auto & connection : connections) {
      watched.push_back({connection.fd, POLLIN, 0});
    }
    if (poll(watched.data(), watched.size(), -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      break;
    }
    if (watched[0].revents != 0) {
      break;
    }
    // Connections first: accepting may move the vector the indices below refer to.
    for (std::size_t i = connections.size(); i-- > 0;) {
      if (watched[i + 2].revents == 0) {
        continue;
      }
      Connection & connection = connections[i];
      char chunk[4096];
      const ssize_t got = recv(connection.fd, chunk, sizeof(chunk), 0);
      bool open = got > 0 || (got < 0 && errno == EINTR);
      if (got > 0) {
        connection.buffer.append(chunk, static_cast<std::size_t>(got));
        while (const auto request = WorldLink::takeLine(connection.buffer)) {
          open =
            open && WorldLink::writeLine(connection.fd, world_protocol::answer(world_, *request));
        }
      }
      if (!open) {
        close(connection.fd);
        connections.erase(connections.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
    if (watched[1].revents != 0) {
      const int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) {
        connections.push_back({fd, {}});
      }
    }
  }
  for (const auto & connection : connections) {
    close(connection.fd);
  }
}

}  // namespace velmoran_nav2_sim
