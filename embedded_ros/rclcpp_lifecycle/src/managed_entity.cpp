#include "rclcpp_lifecycle/managed_entity.hpp"

namespace rclcpp_lifecycle
{
void SimpleManagedEntity::on_activate() { activated_ = true; }

void SimpleManagedEntity::on_deactivate() { activated_ = false; }

bool SimpleManagedEntity::is_activated() const { return activated_; }

}  // namespace rclcpp_lifecycle
