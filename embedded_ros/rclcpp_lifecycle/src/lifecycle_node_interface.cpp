#include "rclcpp_lifecycle/node_interfaces/lifecycle_node_interface.hpp"

namespace rclcpp_lifecycle
{
namespace node_interfaces
{
LifecycleNodeInterface::CallbackReturn LifecycleNodeInterface::on_configure(const State &)
{
  return CallbackReturn::SUCCESS;
}

LifecycleNodeInterface::CallbackReturn LifecycleNodeInterface::on_cleanup(const State &)
{
  return CallbackReturn::SUCCESS;
}

LifecycleNodeInterface::CallbackReturn LifecycleNodeInterface::on_shutdown(const State &)
{
  return CallbackReturn::SUCCESS;
}

LifecycleNodeInterface::CallbackReturn LifecycleNodeInterface::on_activate(const State &)
{
  return CallbackReturn::SUCCESS;
}

LifecycleNodeInterface::CallbackReturn LifecycleNodeInterface::on_deactivate(const State &)
{
  return CallbackReturn::SUCCESS;
}

LifecycleNodeInterface::CallbackReturn LifecycleNodeInterface::on_error(const State &)
{
  return CallbackReturn::FAILURE;
}

}  // namespace node_interfaces
}  // namespace rclcpp_lifecycle
