#include "rclcpp/init_options.hpp"

#include <cstdlib>
#include <string>

namespace rclcpp
{

InitOptions & InitOptions::use_default_domain_id()
{
  const char * domain = std::getenv("ROS_DOMAIN_ID");
  domain_id_ = (domain != nullptr && domain[0] != '\0') ? std::stoul(domain) : 0;
  return *this;
}

}  // namespace rclcpp
