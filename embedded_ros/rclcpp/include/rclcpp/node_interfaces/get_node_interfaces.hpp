#ifndef RCLCPP__NODE_INTERFACES__GET_NODE_INTERFACES_HPP_
#define RCLCPP__NODE_INTERFACES__GET_NODE_INTERFACES_HPP_

#include <memory>
#include <type_traits>

#include "rclcpp/node_interfaces/node_base_interface.hpp"
#include "rclcpp/node_interfaces/node_clock_interface.hpp"
#include "rclcpp/node_interfaces/node_graph_interface.hpp"
#include "rclcpp/node_interfaces/node_logging_interface.hpp"
#include "rclcpp/node_interfaces/node_parameters_interface.hpp"
#include "rclcpp/node_interfaces/node_services_interface.hpp"
#include "rclcpp/node_interfaces/node_timers_interface.hpp"
#include "rclcpp/node_interfaces/node_topics_interface.hpp"
#include "rclcpp/node_interfaces/node_waitables_interface.hpp"

namespace rclcpp
{
namespace node_interfaces
{
namespace detail
{

template <typename T>
struct is_shared_ptr : std::false_type
{
};
template <typename T>
struct is_shared_ptr<std::shared_ptr<T>> : std::true_type
{
};

/// True for a shared pointer to (a class derived from) InterfaceT.
template <typename T, typename InterfaceT>
struct is_interface_ptr : std::false_type
{
};
template <typename T, typename InterfaceT>
struct is_interface_ptr<std::shared_ptr<T>, InterfaceT> : std::is_base_of<InterfaceT, T>
{
};

/// The node object behind a node, a pointer to one or a shared pointer to one.
template <typename NodeT>
decltype(auto) node_object(NodeT && node)
{
  using Decayed = std::decay_t<NodeT>;
  if constexpr (std::is_pointer_v<Decayed> || is_shared_ptr<Decayed>::value) {
    return *node;
  } else {
    return std::forward<NodeT>(node);
  }
}

}  // namespace detail

// get_node_<x>_interface(node): the interface of a node (object, pointer or shared pointer),
// or the interface itself when given one.
#define RCLCPP_EMBEDDED_GET_NODE_INTERFACE(NAME, TYPE)                    \
  template <typename NodeT>                                               \
  std::shared_ptr<TYPE> get_##NAME(NodeT && node)                         \
  {                                                                       \
    using Decayed = std::decay_t<NodeT>;                                  \
    if constexpr (detail::is_interface_ptr<Decayed, TYPE>::value) {       \
      return node;                                                        \
    } else {                                                              \
      return detail::node_object(std::forward<NodeT>(node)).get_##NAME(); \
    }                                                                     \
  }

RCLCPP_EMBEDDED_GET_NODE_INTERFACE(node_base_interface, NodeBaseInterface)
RCLCPP_EMBEDDED_GET_NODE_INTERFACE(node_clock_interface, NodeClockInterface)
RCLCPP_EMBEDDED_GET_NODE_INTERFACE(node_graph_interface, NodeGraphInterface)
RCLCPP_EMBEDDED_GET_NODE_INTERFACE(node_logging_interface, NodeLoggingInterface)
RCLCPP_EMBEDDED_GET_NODE_INTERFACE(node_parameters_interface, NodeParametersInterface)
RCLCPP_EMBEDDED_GET_NODE_INTERFACE(node_services_interface, NodeServicesInterface)
RCLCPP_EMBEDDED_GET_NODE_INTERFACE(node_timers_interface, NodeTimersInterface)
RCLCPP_EMBEDDED_GET_NODE_INTERFACE(node_topics_interface, NodeTopicsInterface)
RCLCPP_EMBEDDED_GET_NODE_INTERFACE(node_waitables_interface, NodeWaitablesInterface)

#undef RCLCPP_EMBEDDED_GET_NODE_INTERFACE

}  // namespace node_interfaces
}  // namespace rclcpp

#endif  // RCLCPP__NODE_INTERFACES__GET_NODE_INTERFACES_HPP_
