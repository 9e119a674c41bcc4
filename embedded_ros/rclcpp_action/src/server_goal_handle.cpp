#include "rclcpp_action/server_goal_handle.hpp"

namespace rclcpp_action
{
ServerGoalHandleBase::~ServerGoalHandleBase() = default;

bool ServerGoalHandleBase::is_canceling() const
{
  return state_->status() == GoalStatus::STATUS_CANCELING;
}

bool ServerGoalHandleBase::is_active() const { return state_->is_active(); }

bool ServerGoalHandleBase::is_executing() const
{
  return state_->status() == GoalStatus::STATUS_EXECUTING;
}

void ServerGoalHandleBase::_abort() { state_->update(detail::GoalEvent::ABORT); }

void ServerGoalHandleBase::_succeed() { state_->update(detail::GoalEvent::SUCCEED); }

void ServerGoalHandleBase::_cancel_goal() { state_->update(detail::GoalEvent::CANCEL_GOAL); }

void ServerGoalHandleBase::_canceled() { state_->update(detail::GoalEvent::CANCELED); }

void ServerGoalHandleBase::_execute() { state_->update(detail::GoalEvent::EXECUTE); }

bool ServerGoalHandleBase::try_canceling() noexcept
{
  if (!state_->is_active()) {
    return false;
  }
  state_->try_update(detail::GoalEvent::CANCEL_GOAL);
  return state_->try_update(detail::GoalEvent::CANCELED);
}

}  // namespace rclcpp_action
