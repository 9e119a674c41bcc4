#ifndef CYCLONE_URIS_HPP_
#define CYCLONE_URIS_HPP_

namespace embedded_ros_test
{

/// The CYCLONEDDS_URI values the DDS tests run with beside ROS_LOCALHOST_ONLY=1, so the loopback
/// settings must take each as it is. A peer that leaves is noticed after a lease of one second
/// instead of Cyclone's ten.
constexpr char kShortLeaseUri[] =
  "<CycloneDDS><Domain><Discovery><LeaseDuration>1s</LeaseDuration></Discovery></Domain>"
  "</CycloneDDS>";
/// The same, naming the loopback interface as well: Cyclone refuses an interface selected twice.
constexpr char kLoopbackShortLeaseUri[] =
  "<CycloneDDS><Domain><General><Interfaces><NetworkInterface name=\"lo\"/></Interfaces>"
  "</General><Discovery><LeaseDuration>1s</LeaseDuration></Discovery></Domain></CycloneDDS>";

}  // namespace embedded_ros_test

#endif  // CYCLONE_URIS_HPP_
