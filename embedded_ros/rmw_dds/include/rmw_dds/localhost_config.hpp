#ifndef RMW_DDS__LOCALHOST_CONFIG_HPP_
#define RMW_DDS__LOCALHOST_CONFIG_HPP_

#include <stdexcept>
#include <string>

namespace rmw_dds
{

/// ROS_LOCALHOST_ONLY=1 together with a CYCLONEDDS_URI that selects a network interface other
/// than loopback; the text says which one and what to change.
class LocalhostConfigError : public std::invalid_argument
{
public:
  explicit LocalhostConfigError(const std::string & what) : std::invalid_argument(what) {}
};

/// The Cyclone DDS configuration of a domain kept on loopback (ROS_LOCALHOST_ONLY=1): loopback
/// only, without multicast, with unicast discovery of the other participants on this machine,
/// followed by `uri` (the value of CYCLONEDDS_URI: XML fragments and file names separated by
/// commas), so that the user's settings come last and win, as rmw_cyclonedds orders them.
///
/// Cyclone refuses a configuration that selects the same interface twice, so when `uri` selects
/// network interfaces itself and all of them are loopback, the loopback part leaves the
/// selection to it. When `uri` selects any other interface (or lets Cyclone pick one), traffic
/// would leave loopback: throws LocalhostConfigError naming that interface.
std::string localhost_only_config(const std::string & uri);

}  // namespace rmw_dds

#endif  // RMW_DDS__LOCALHOST_CONFIG_HPP_
