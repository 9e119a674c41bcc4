// The state machine of one lifecycle node: current state, transitions, callbacks, managed
// entities and the lifecycle services.
#ifndef RCLCPP_LIFECYCLE__SRC__LIFECYCLE_NODE_INTERFACE_IMPL_HPP_
#define RCLCPP_LIFECYCLE__SRC__LIFECYCLE_NODE_INTERFACE_IMPL_HPP_

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <lifecycle_msgs/msg/transition_event.hpp>
#include <lifecycle_msgs/srv/change_state.hpp>
#include <lifecycle_msgs/srv/get_state.hpp>
#include <rclcpp/node.hpp>

#include "default_state_machine.hpp"
#include "rclcpp_lifecycle/lifecycle_node.hpp"

namespace rclcpp_lifecycle
{
class LifecycleNode::LifecycleNodeInterfaceImpl
{
public:
  LifecycleNodeInterfaceImpl(rclcpp::Node & node, bool enable_communication_interface);

  const State & current_state() const;
  std::vector<Transition> available_transitions() const;

  const State & trigger_transition(uint8_t transition_id, CallbackReturn & cb_return_code);
  /// By label: "configure", "cleanup", "activate", "deactivate", "shutdown".
  const State & trigger_transition(const std::string & label, CallbackReturn & cb_return_code);

  /// `transition_state_id`: the state in which the callback runs (TRANSITION_STATE_*).
  void register_callback(uint8_t transition_state_id, TransitionCallback callback);

  void add_managed_entity(std::weak_ptr<ManagedEntityInterface> managed_entity);
  void activate_managed_entities();
  void deactivate_managed_entities();

private:
  /// Runs one transition with its callback and, on ERROR, the error processing. False when the
  /// transition does not start from the current state.
  bool change_state(uint8_t transition_id, CallbackReturn & cb_return_code);
  /// Moves along the edge of `label` from the current state; false when there is none.
  bool finish_transition(const char * label);
  CallbackReturn execute_callback(uint8_t state_id, const State & previous_state);
  void move_along(const detail::TransitionEdge & edge);
  void on_change_state(
    const std::shared_ptr<lifecycle_msgs::srv::ChangeState::Request> request,
    std::shared_ptr<lifecycle_msgs::srv::ChangeState::Response> response);

  rclcpp::Node & node_;
  const detail::DefaultStateMachine & machine_;

  std::mutex state_mutex_;
  std::atomic<const State *> current_state_;

  std::mutex callbacks_mutex_;
  std::map<uint8_t, TransitionCallback> callbacks_;

  std::mutex entities_mutex_;
  std::vector<std::weak_ptr<ManagedEntityInterface>> managed_entities_;

  rclcpp::Publisher<lifecycle_msgs::msg::TransitionEvent>::SharedPtr transition_event_publisher_;
  rclcpp::Service<lifecycle_msgs::srv::ChangeState>::SharedPtr change_state_service_;
  rclcpp::Service<lifecycle_msgs::srv::GetState>::SharedPtr get_state_service_;
};

}  // namespace rclcpp_lifecycle

#endif  // RCLCPP_LIFECYCLE__SRC__LIFECYCLE_NODE_INTERFACE_IMPL_HPP_
