#include "behaviortree_cpp_v3/tree_node.h"

#include <atomic>
#include <stdexcept>

namespace BT
{
namespace
{
uint16_t nextUID()
{
  static std::atomic<uint16_t> uid{1};
  return uid++;
}
}  // namespace

TreeNode::TreeNode(std::string name, NodeConfiguration config)
: name_(std::move(name)), uid_(nextUID()), config_(std::move(config))
{
}

NodeStatus TreeNode::executeTick()
{
  const NodeStatus previous_status = status();
  NodeStatus new_status;
  if (pre_condition_callback_) {
    const auto substitute = pre_condition_callback_(*this, previous_status);
    new_status = substitute ? substitute.value() : tick();
  } else {
    new_status = tick();
  }
  if (post_condition_callback_) {
    if (auto overridden = post_condition_callback_(*this, previous_status, new_status)) {
      new_status = overridden.value();
    }
  }
  setStatus(new_status);
  return new_status;
}

void TreeNode::setStatus(NodeStatus new_status)
{
  NodeStatus previous_status;
  {
    std::lock_guard<std::mutex> lock(state_mutex_);
    previous_status = status_;
    status_ = new_status;
  }
  if (previous_status != new_status) {
    state_condition_variable_.notify_all();
    state_change_signal_.notify(
      std::chrono::high_resolution_clock::now(), *this, previous_status, new_status);
  }
}

NodeStatus TreeNode::status() const
{
  std::lock_guard<std::mutex> lock(state_mutex_);
  return status_;
}

bool TreeNode::isHalted() const { return status() == NodeStatus::IDLE; }

NodeStatus TreeNode::waitValidStatus()
{
  std::unique_lock<std::mutex> lock(state_mutex_);
  state_condition_variable_.wait(lock, [this] { return status_ != NodeStatus::IDLE; });
  return status_;
}

const std::string & TreeNode::name() const { return name_; }

TreeNode::StatusChangeSubscriber TreeNode::subscribeToStatusChange(StatusChangeCallback callback)
{
  return state_change_signal_.subscribe(std::move(callback));
}

void TreeNode::setPreTickOverrideFunction(PreTickOverrideCallback callback)
{
  pre_condition_callback_ = std::move(callback);
}

void TreeNode::setPostTickOverrideFunction(PostTickOverrideCallback callback)
{
  post_condition_callback_ = std::move(callback);
}

uint16_t TreeNode::UID() const { return uid_; }

const std::string & TreeNode::registrationName() const { return registration_ID_; }

const NodeConfiguration & TreeNode::config() const { return config_; }

StringView TreeNode::getRawPortValue(const std::string & key) const
{
  auto remap_it = config_.input_ports.find(key);
  if (remap_it == config_.input_ports.end()) {
    throw std::logic_error(StrCat(
      "getInput() failed because NodeConfiguration::input_ports does not contain the key: [", key,
      "]"));
  }
  return remap_it->second;
}

bool TreeNode::isBlackboardPointer(StringView str)
{
  const auto size = str.size();
  if (size >= 3 && str.back() == '}') {
    if (str[0] == '{') {
      return true;
    }
    if (size >= 4 && str[0] == '$' && str[1] == '{') {
      return true;
    }
  }
  return false;
}

StringView TreeNode::stripBlackboardPointer(StringView str)
{
  if (!isBlackboardPointer(str)) {
    return {};
  }
  return str[0] == '{' ? str.substr(1, str.size() - 2) : str.substr(2, str.size() - 3);
}

Optional<StringView> TreeNode::getRemappedKey(StringView port_name, StringView remapping_value)
{
  if (remapping_value == "=") {
    return port_name;
  }
  if (isBlackboardPointer(remapping_value)) {
    return stripBlackboardPointer(remapping_value);
  }
  return nonstd::make_unexpected("Not a blackboard pointer");
}

void TreeNode::emitStateChanged()
{
  if (wake_up_) {
    wake_up_->emitSignal();
  }
}

void TreeNode::setRegistrationID(StringView ID) { registration_ID_.assign(ID.data(), ID.size()); }

void TreeNode::setWakeUpInstance(std::shared_ptr<WakeUpSignal> instance)
{
  wake_up_ = std::move(instance);
}

void TreeNode::modifyPortsRemapping(const PortsRemapping & new_remapping)
{
  for (const auto & [port_name, value] : new_remapping) {
    auto input_it = config_.input_ports.find(port_name);
    if (input_it != config_.input_ports.end()) {
      input_it->second = value;
    }
    auto output_it = config_.output_ports.find(port_name);
    if (output_it != config_.output_ports.end()) {
      output_it->second = value;
    }
  }
}

}  // namespace BT
