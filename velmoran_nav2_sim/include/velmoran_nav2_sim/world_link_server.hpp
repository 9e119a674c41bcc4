#pragma once

#include <string>
#include <thread>

namespace velmoran_nav2_sim
{

class SimWorld;

/// Serves this process's SimWorld to WorldLink connections of other processes, on a thread of
/// its own, until it is destroyed.
class WorldLinkServer
{
public:
  /// Listens on the abstract local socket `address`; throws std::runtime_error naming it when
  /// it cannot.
  WorldLinkServer(SimWorld & world, const std::string & address);
  ~WorldLinkServer();

  WorldLinkServer(const WorldLinkServer &) = delete;
  WorldLinkServer & operator=(const WorldLinkServer &) = delete;

  const std::string & address() const { return address_; }

private:
  void serve();

  SimWorld & world_;
  std::string address_;
  int listen_fd_ = -1;
  int stop_fd_ = -1;
  std::thread thread_;
};

}  // namespace velmoran_nav2_sim
