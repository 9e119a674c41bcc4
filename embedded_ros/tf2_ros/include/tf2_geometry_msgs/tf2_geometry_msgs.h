// The old name of tf2_geometry_msgs.hpp. It also keeps the ROS 1 header of the same name in
// /usr/include out of ROS 2 code.
#ifndef TF2_GEOMETRY_MSGS__TF2_GEOMETRY_MSGS_H_
#define TF2_GEOMETRY_MSGS__TF2_GEOMETRY_MSGS_H_

#include "tf2_geometry_msgs/tf2_geometry_msgs.hpp"

#endif  // TF2_GEOMETRY_MSGS__TF2_GEOMETRY_MSGS_H_
