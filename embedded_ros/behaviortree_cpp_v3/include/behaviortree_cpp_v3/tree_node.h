#ifndef BEHAVIORTREE_CPP_V3_TREE_NODE_H
#define BEHAVIORTREE_CPP_V3_TREE_NODE_H

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <unordered_map>

#include "behaviortree_cpp_v3/basic_types.h"
#include "behaviortree_cpp_v3/blackboard.h"
#include "behaviortree_cpp_v3/exceptions.h"
#include "behaviortree_cpp_v3/utils/signal.h"
#include "behaviortree_cpp_v3/utils/strcat.hpp"
#include "behaviortree_cpp_v3/utils/wakeup_signal.hpp"

namespace BT
{
/// What the factory knows about a registered node type.
struct TreeNodeManifest
{
  NodeType type;
  std::string registration_ID;
  PortsList ports;
  std::string description;
};

/// Port name -> value in the XML: a constant text, "{key}" for a blackboard
/// entry, or "=" for the entry named like the port.
using PortsRemapping = std::unordered_map<std::string, std::string>;

struct NodeConfiguration
{
  NodeConfiguration() {}

  Blackboard::Ptr blackboard;
  PortsRemapping input_ports;
  PortsRemapping output_ports;
};

/// Base class of every node of a tree.
class TreeNode
{
public:
  using Ptr = std::shared_ptr<TreeNode>;

  /// Nodes with ports also provide `static PortsList providedPorts()`.
  TreeNode(std::string name, NodeConfiguration config);

  virtual ~TreeNode() = default;

  TreeNode(const TreeNode &) = delete;
  TreeNode & operator=(const TreeNode &) = delete;

  /// Ticks the node and records its new status.
  virtual BT::NodeStatus executeTick();

  /// Interrupts a RUNNING node and brings it back to IDLE.
  virtual void halt() = 0;

  bool isHalted() const;

  NodeStatus status() const;

  /// Name of the instance, not of the type.
  const std::string & name() const;

  /// Blocks until the status is no longer IDLE.
  BT::NodeStatus waitValidStatus();

  virtual NodeType type() const = 0;

  using StatusChangeSignal = Signal<TimePoint, const TreeNode &, NodeStatus, NodeStatus>;
  using StatusChangeSubscriber = StatusChangeSignal::Subscriber;
  using StatusChangeCallback = StatusChangeSignal::CallableFunction;

  using PreTickOverrideCallback = std::function<Optional<NodeStatus>(TreeNode &, NodeStatus)>;
  using PostTickOverrideCallback =
    std::function<Optional<NodeStatus>(TreeNode &, NodeStatus, NodeStatus)>;

  /// The callback runs on every status change while the returned handle lives.
  StatusChangeSubscriber subscribeToStatusChange(StatusChangeCallback callback);

  /// Runs before tick(); a status it returns replaces the tick.
  void setPreTickOverrideFunction(PreTickOverrideCallback callback);

  /// Runs after tick(); a status it returns replaces the tick's result.
  void setPostTickOverrideFunction(PostTickOverrideCallback callback);

  /// Unique identifier of this instance within the process.
  uint16_t UID() const;

  /// The ID the node type was registered with.
  const std::string & registrationName() const;

  const NodeConfiguration & config() const;

  /// Reads an input port: a constant parsed with convertFromString<T>(), or the
  /// blackboard entry it is remapped to (text entries are parsed too).
  template <typename T>
  Result getInput(const std::string & key, T & destination) const;

  template <typename T>
  Optional<T> getInput(const std::string & key) const
  {
    T out;
    auto res = getInput(key, out);
    return (res) ? Optional<T>(out) : nonstd::make_unexpected(res.error());
  }

  /// Writes an output port to the blackboard entry it is remapped to.
  template <typename T>
  Result setOutput(const std::string & key, const T & value);

  /// The port's value as written in the XML.
  StringView getRawPortValue(const std::string & key) const;

  /// True for "{...}" and "${...}".
  static bool isBlackboardPointer(StringView str);

  static StringView stripBlackboardPointer(StringView str);

  /// The blackboard key a port refers to, or an error when it holds a constant.
  static Optional<StringView> getRemappedKey(StringView port_name, StringView remapping_value);

  /// Wakes up the thread sleeping in Tree::sleep().
  void emitStateChanged();

protected:
  virtual BT::NodeStatus tick() = 0;

  friend class BehaviorTreeFactory;
  friend class DecoratorNode;
  friend class ControlNode;
  friend class Tree;

  void setRegistrationID(StringView ID);

  void setWakeUpInstance(std::shared_ptr<WakeUpSignal> instance);

  void modifyPortsRemapping(const PortsRemapping & new_remapping);

  void setStatus(NodeStatus new_status);

private:
  const std::string name_;
  NodeStatus status_ = NodeStatus::IDLE;
  std::condition_variable state_condition_variable_;
  mutable std::mutex state_mutex_;
  StatusChangeSignal state_change_signal_;
  const uint16_t uid_;
  NodeConfiguration config_;
  std::string registration_ID_;
  PreTickOverrideCallback pre_condition_callback_;
  PostTickOverrideCallback post_condition_callback_;
  std::shared_ptr<WakeUpSignal> wake_up_;
};

template <typename T>
inline Result TreeNode::getInput(const std::string & key, T & destination) const
{
  auto remap_it = config_.input_ports.find(key);
  if (remap_it == config_.input_ports.end()) {
    return nonstd::make_unexpected(StrCat(
      "getInput() failed because NodeConfiguration::input_ports does not contain the key: [", key,
      "]"));
  }
  auto remapped_res = getRemappedKey(key, remap_it->second);
  try {
    if (!remapped_res) {
      destination = convertFromString<T>(remap_it->second);
      return {};
    }
    const auto remapped_key = static_cast<std::string>(remapped_res.value());
    if (!config_.blackboard) {
      return nonstd::make_unexpected(
        "getInput() trying to access a Blackboard(BB) entry, but BB is invalid");
    }
    bool found = false;
    config_.blackboard->readEntry(remapped_key, [&](const Any & stored) {
      if (stored.empty()) {
        return;
      }
      found = true;
      if constexpr (!std::is_same_v<T, std::string>) {
        if (stored.type() == typeid(std::string)) {
          destination = convertFromString<T>(stored.cast<std::string>());
          return;
        }
      }
      destination = stored.cast<T>();
    });
    if (found) {
      return {};
    }
    return nonstd::make_unexpected(StrCat(
      "getInput() failed because it was unable to find the key [", key, "] remapped to [",
      remapped_key, "]"));
  } catch (std::exception & err) {
    return nonstd::make_unexpected(err.what());
  }
}

template <typename T>
inline Result TreeNode::setOutput(const std::string & key, const T & value)
{
  if (!config_.blackboard) {
    return nonstd::make_unexpected(
      "setOutput() failed: trying to access a Blackboard(BB) entry, but BB is invalid");
  }
  auto remap_it = config_.output_ports.find(key);
  if (remap_it == config_.output_ports.end()) {
    return nonstd::make_unexpected(StrCat(
      "setOutput() failed: NodeConfiguration::output_ports does not contain the key: [", key, "]"));
  }
  StringView remapped_key = remap_it->second;
  if (remapped_key == "=") {
    remapped_key = key;
  }
  if (isBlackboardPointer(remapped_key)) {
    remapped_key = stripBlackboardPointer(remapped_key);
  }
  config_.blackboard->set(static_cast<std::string>(remapped_key), value);
  return {};
}

/// Fills the configuration so that every port maps to the entry of its own name.
template <typename T>
inline void assignDefaultRemapping(NodeConfiguration & config)
{
  for (const auto & it : getProvidedPorts<T>()) {
    const auto & port_name = it.first;
    const auto direction = it.second.direction();
    if (direction != PortDirection::OUTPUT) {
      config.input_ports[port_name] = "=";
    }
    if (direction != PortDirection::INPUT) {
      config.output_ports[port_name] = "=";
    }
  }
}

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_TREE_NODE_H
