#include "lifecycle_node_interface_impl.hpp"

#include <exception>
#include <utility>

#include <lifecycle_msgs/msg/state.hpp>
#include <rclcpp/logging.hpp>

namespace rclcpp_lifecycle
{
namespace
{
using CallbackReturn = node_interfaces::LifecycleNodeInterface::CallbackReturn;

const char * label_for(CallbackReturn cb_return_code)
{
  switch (cb_return_code) {
    case CallbackReturn::SUCCESS:
      return detail::kTransitionSuccessLabel;
    case CallbackReturn::FAILURE:
      return detail::kTransitionFailureLabel;
    default:
      return detail::kTransitionErrorLabel;
  }
}

// The state machine's own messages carry no node name, as in ROS 2.
rclcpp::Logger state_machine_logger() { return rclcpp::get_logger(""); }

}  // namespace

LifecycleNode::LifecycleNodeInterfaceImpl::LifecycleNodeInterfaceImpl(
  rclcpp::Node & node, bool enable_communication_interface)
: node_(node),
  machine_(detail::DefaultStateMachine::instance()),
  current_state_(&machine_.state(lifecycle_msgs::msg::State::PRIMARY_STATE_UNCONFIGURED))
{
  if (!enable_communication_interface) {
    return;
  }
  transition_event_publisher_ =
    node_.create_publisher<lifecycle_msgs::msg::TransitionEvent>("~/transition_event", 10);
  change_state_service_ = node_.create_service<lifecycle_msgs::srv::ChangeState>(
    "~/change_state", [this](
                        const std::shared_ptr<lifecycle_msgs::srv::ChangeState::Request> request,
                        std::shared_ptr<lifecycle_msgs::srv::ChangeState::Response> response) {
      on_change_state(request, response);
    });
  get_state_service_ = node_.create_service<lifecycle_msgs::srv::GetState>(
    "~/get_state", [this](
                     const std::shared_ptr<lifecycle_msgs::srv::GetState::Request>,
                     std::shared_ptr<lifecycle_msgs::srv::GetState::Response> response) {
      const State & state = current_state();
      response->current_state.id = state.id();
      response->current_state.label = state.label();
    });
}

const State & LifecycleNode::LifecycleNodeInterfaceImpl::current_state() const
{
  return *current_state_.load();
}

std::vector<Transition> LifecycleNode::LifecycleNodeInterfaceImpl::available_transitions() const
{
  std::vector<Transition> transitions;
  const uint8_t current = current_state().id();
  for (const detail::TransitionEdge & edge : machine_.edges()) {
    if (edge.start == current) {
      transitions.push_back(machine_.to_transition(edge));
    }
  }
  return transitions;
}

const State & LifecycleNode::LifecycleNodeInterfaceImpl::trigger_transition(
  uint8_t transition_id, CallbackReturn & cb_return_code)
{
  change_state(transition_id, cb_return_code);
  return current_state();
}

const State & LifecycleNode::LifecycleNodeInterfaceImpl::trigger_transition(
  const std::string & label, CallbackReturn & cb_return_code)
{
  const detail::TransitionEdge * edge = machine_.find(current_state().id(), label);
  if (edge == nullptr) {
    cb_return_code = CallbackReturn::ERROR;
    return current_state();
  }
  return trigger_transition(edge->id, cb_return_code);
}

void LifecycleNode::LifecycleNodeInterfaceImpl::register_callback(
  uint8_t transition_state_id, TransitionCallback callback)
{
  std::lock_guard<std::mutex> lock(callbacks_mutex_);
  callbacks_[transition_state_id] = std::move(callback);
}

void LifecycleNode::LifecycleNodeInterfaceImpl::add_managed_entity(
  std::weak_ptr<ManagedEntityInterface> managed_entity)
{
  std::lock_guard<std::mutex> lock(entities_mutex_);
  managed_entities_.push_back(std::move(managed_entity));
}

void LifecycleNode::LifecycleNodeInterfaceImpl::activate_managed_entities()
{
  std::lock_guard<std::mutex> lock(entities_mutex_);
  for (const auto & weak_entity : managed_entities_) {
    if (auto entity = weak_entity.lock()) {
      entity->on_activate();
    }
  }
}

void LifecycleNode::LifecycleNodeInterfaceImpl::deactivate_managed_entities()
{
  std::lock_guard<std::mutex> lock(entities_mutex_);
  for (const auto & weak_entity : managed_entities_) {
    if (auto entity = weak_entity.lock()) {
      entity->on_deactivate();
    }
  }
}

bool LifecycleNode::LifecycleNodeInterfaceImpl::change_state(
  uint8_t transition_id, CallbackReturn & cb_return_code)
{
  cb_return_code = CallbackReturn::ERROR;
  State initial_state;
  uint8_t transition_state_id;
  {
    std::lock_guard<std::mutex> lock(state_mutex_);
    initial_state = current_state();
    const detail::TransitionEdge * edge = machine_.find(initial_state.id(), transition_id);
    if (edge == nullptr) {
      RCLCPP_WARN(
        rclcpp::get_logger("rcl_lifecycle"), "No transition matching %d found for current state %s",
        transition_id, initial_state.label().c_str());
      RCLCPP_ERROR(
        state_machine_logger(),
        "Unable to start transition %u from current state %s: Transition is not registered.",
        static_cast<unsigned int>(transition_id), initial_state.label().c_str());
      return false;
    }
    move_along(*edge);
    transition_state_id = edge->goal;
  }

  cb_return_code = execute_callback(transition_state_id, initial_state);
  if (!finish_transition(label_for(cb_return_code))) {
    return false;
  }

  if (cb_return_code == CallbackReturn::ERROR) {
    RCLCPP_WARN(state_machine_logger(), "Error occurred while doing error handling.");
    const CallbackReturn error_cb_code = execute_callback(current_state().id(), initial_state);
    if (!finish_transition(label_for(error_cb_code))) {
      return false;
    }
  }
  return true;
}

bool LifecycleNode::LifecycleNodeInterfaceImpl::finish_transition(const char * label)
{
  std::lock_guard<std::mutex> lock(state_mutex_);
  const detail::TransitionEdge * edge = machine_.find(current_state().id(), label);
  if (edge == nullptr) {
    RCLCPP_ERROR(
      state_machine_logger(), "Failed to finish transition. Current state is now: %s",
      current_state().label().c_str());
    return false;
  }
  move_along(*edge);
  return true;
}

CallbackReturn LifecycleNode::LifecycleNodeInterfaceImpl::execute_callback(
  uint8_t state_id, const State & previous_state)
{
  TransitionCallback callback;
  {
    std::lock_guard<std::mutex> lock(callbacks_mutex_);
    auto entry = callbacks_.find(state_id);
    if (entry == callbacks_.end()) {
      return CallbackReturn::SUCCESS;
    }
    callback = entry->second;
  }
  try {
    return callback(previous_state);
  } catch (const std::exception & e) {
    RCLCPP_ERROR(
      state_machine_logger(), "Caught exception in callback for transition %d",
      static_cast<int>(state_id));
    RCLCPP_ERROR(state_machine_logger(), "Original error: %s", e.what());
    return CallbackReturn::ERROR;
  }
}

void LifecycleNode::LifecycleNodeInterfaceImpl::move_along(const detail::TransitionEdge & edge)
{
  const State & start = machine_.state(edge.start);
  const State & goal = machine_.state(edge.goal);
  current_state_ = &goal;
  if (!transition_event_publisher_) {
    return;
  }
  lifecycle_msgs::msg::TransitionEvent event;
  event.timestamp = static_cast<uint64_t>(node_.now().nanoseconds());
  event.transition.id = edge.id;
  event.transition.label = edge.label;
  event.start_state.id = start.id();
  event.start_state.label = start.label();
  event.goal_state.id = goal.id();
  event.goal_state.label = goal.label();
  transition_event_publisher_->publish(event);
}

void LifecycleNode::LifecycleNodeInterfaceImpl::on_change_state(
  const std::shared_ptr<lifecycle_msgs::srv::ChangeState::Request> request,
  std::shared_ptr<lifecycle_msgs::srv::ChangeState::Response> response)
{
  uint8_t transition_id = request->transition.id;
  // A label names the transition better than an id that defaults to zero.
  if (!request->transition.label.empty()) {
    const detail::TransitionEdge * edge =
      machine_.find(current_state().id(), request->transition.label);
    if (edge == nullptr) {
      response->success = false;
      return;
    }
    transition_id = edge->id;
  }
  CallbackReturn cb_return_code;
  change_state(transition_id, cb_return_code);
  response->success = cb_return_code == CallbackReturn::SUCCESS;
}

}  // namespace rclcpp_lifecycle
