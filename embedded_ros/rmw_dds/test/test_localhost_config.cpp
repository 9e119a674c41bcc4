#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "cyclone_uris.hpp"
#include "rmw_dds/localhost_config.hpp"

namespace
{

constexpr char kLoopbackSelected[] =
  "<Interfaces><NetworkInterface address=\"127.0.0.1\"/></Interfaces>";
constexpr char kUnicastDiscovery[] = "<Peers><Peer address=\"127.0.0.1\"/></Peers>";

/// A configuration file that is removed with this object.
class ConfigFile
{
public:
  explicit ConfigFile(const std::string & contents)
  : path_("/tmp/localhost_config_test_" + std::to_string(getpid()) + ".xml")
  {
    std::ofstream(path_) << contents;
  }
  ~ConfigFile() { std::remove(path_.c_str()); }
  const std::string & path() const { return path_; }

private:
  std::string path_;
};

TEST(LocalhostConfig, LoopbackSettingsComeFirstAndSelectLoopbackUnlessTheUriDoes)
{
  const ConfigFile lo_file(
    "<CycloneDDS><Domain><General><Interfaces><NetworkInterface name=\"lo\" priority=\"1\"/>"
    "</Interfaces></General></Domain></CycloneDDS>");
  struct Case
  {
    const char * name;
    std::string uri;
    bool loopback_selected_by_us;
  };
  const Case cases[] = {
    {"no CYCLONEDDS_URI", "", true},
    // The URIs the DDS tests run with.
    {"a URI without interfaces", embedded_ros_test::kShortLeaseUri, true},
    {"lo by name", embedded_ros_test::kLoopbackShortLeaseUri, false},
    {"127.0.0.1 by address, single quotes",
     "<CycloneDDS><Domain><General><Interfaces><NetworkInterface address='127.0.0.1' />"
     "</Interfaces></General></Domain></CycloneDDS>",
     false},
    {"the older NetworkInterfaceAddress, abbreviated",
     "<General><NetworkInterfaceAddress>localhost</></>", false},
    {"lo in a file", "file://" + lo_file.path(), false},
    {"lo in a file named without a scheme",
     lo_file.path() + "," + embedded_ros_test::kShortLeaseUri, false},
  };
  for (const Case & c : cases) {
    SCOPED_TRACE(c.name);
    const std::string config = rmw_dds::localhost_only_config(c.uri);
    const std::string ours = config.substr(0, config.find(','));
    EXPECT_EQ(ours.find(kLoopbackSelected) != std::string::npos, c.loopback_selected_by_us)
      << config;
    EXPECT_NE(ours.find(kUnicastDiscovery), std::string::npos) << config;
    EXPECT_NE(ours.find("<AllowMulticast>false</AllowMulticast>"), std::string::npos) << config;
    // The user's settings follow, unchanged, so they win.
    EXPECT_EQ(config, c.uri.empty() ? ours : ours + "," + c.uri);
  }
}

TEST(LocalhostConfig, UriSelectingAnotherInterfaceIsRefusedNamingIt)
{
  const ConfigFile eth_file(
    "<CycloneDDS><Domain><General><Interfaces><NetworkInterface name=\"lo\"/>"
    "<NetworkInterface name=\"eth1\"/></Interfaces></General></Domain></CycloneDDS>");
  struct Case
  {
    const char * name;
    std::string uri;
    std::string interface;
  };
  const Case cases[] = {
    {"by name",
     "<CycloneDDS><Domain><General><Interfaces><NetworkInterface name=\"eth0\"/>"
     "</Interfaces></General></Domain></CycloneDDS>",
     "eth0"},
    {"by address", "<Interfaces><NetworkInterface address=\"192.168.1.4\"/></Interfaces>",
     "192.168.1.4"},
    {"chosen by Cyclone", "<Interfaces><NetworkInterface autodetermine=\"true\"/></Interfaces>",
     "automatic"},
    {"older form, second of two", "<NetworkInterfaceAddress>127.0.0.1,wlan0</>", "wlan0"},
    {"older form, auto", "<NetworkInterfaceAddress>auto</NetworkInterfaceAddress>", "automatic"},
    {"beside lo in a file", "file://" + eth_file.path(), "eth1"},
  };
  for (const Case & c : cases) {
    SCOPED_TRACE(c.name);
    try {
      rmw_dds::localhost_only_config(c.uri);
      ADD_FAILURE() << "accepted";
    } catch (const rmw_dds::LocalhostConfigError & error) {
      EXPECT_EQ(
        std::string(error.what()),
        "ROS_LOCALHOST_ONLY=1 keeps DDS on the loopback interface, but CYCLONEDDS_URI selects the "
        "network interface '" +
          c.interface +
          "': select only the loopback interface there (<NetworkInterface name=\"lo\"/>), or "
          "unset ROS_LOCALHOST_ONLY");
    }
  }
}

}  // namespace
