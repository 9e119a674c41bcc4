#ifndef BEHAVIORTREE_CPP_V3_BASIC_TYPES_H
#define BEHAVIORTREE_CPP_V3_BASIC_TYPES_H

#include <chrono>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <unordered_map>
#include <utility>
#include <vector>

#include "behaviortree_cpp_v3/exceptions.h"
#include "behaviortree_cpp_v3/utils/expected.hpp"
#include "behaviortree_cpp_v3/utils/safe_any.hpp"
#include "behaviortree_cpp_v3/utils/string_view.hpp"

namespace BT
{
enum class NodeType { UNDEFINED = 0, ACTION, CONDITION, CONTROL, DECORATOR, SUBTREE };

/// What a node answers when ticked. Nodes never return IDLE from tick().
enum class NodeStatus { IDLE = 0, RUNNING, SUCCESS, FAILURE };

inline bool StatusCompleted(const NodeStatus & status)
{
  return status == NodeStatus::SUCCESS || status == NodeStatus::FAILURE;
}

enum class PortDirection { INPUT, OUTPUT, INOUT };

using StringView = nonstd::string_view;

/// Parses the text of a port into a T. Custom types provide a specialization.
template <typename T>
inline T convertFromString(StringView /*str*/)
{
  throw LogicError(
    "You didn't implement the template specialization of convertFromString for this type: ",
    demangle(typeid(T)));
}

template <>
std::string convertFromString<std::string>(StringView str);

template <>
const char * convertFromString<const char *>(StringView str);

template <>
int convertFromString<int>(StringView str);

template <>
unsigned convertFromString<unsigned>(StringView str);

template <>
long convertFromString<long>(StringView str);

template <>
unsigned long convertFromString<unsigned long>(StringView str);

template <>
float convertFromString<float>(StringView str);

template <>
double convertFromString<double>(StringView str);

/// Integers separated by ';'.
template <>
std::vector<int> convertFromString<std::vector<int>>(StringView str);

/// Real numbers separated by ';'.
template <>
std::vector<double> convertFromString<std::vector<double>>(StringView str);

/// 0/1, true/false, True/False, TRUE/FALSE.
template <>
bool convertFromString<bool>(StringView str);

template <>
NodeStatus convertFromString<NodeStatus>(StringView str);

template <>
NodeType convertFromString<NodeType>(StringView str);

template <>
PortDirection convertFromString<PortDirection>(StringView str);

using StringConverter = std::function<Any(StringView)>;

using StringConvertersMap = std::unordered_map<const std::type_info *, StringConverter>;

template <typename T>
inline StringConverter GetAnyFromStringFunctor()
{
  return [](StringView str) { return Any(convertFromString<T>(str)); };
}

template <>
inline StringConverter GetAnyFromStringFunctor<void>()
{
  return {};
}

template <typename T>
std::string toStr(T value)
{
  return std::to_string(value);
}

std::string toStr(std::string value);

template <>
std::string toStr<NodeStatus>(NodeStatus status);

/// With colored, the name carries ANSI colour codes.
std::string toStr(NodeStatus status, bool colored);

std::ostream & operator<<(std::ostream & os, const NodeStatus & status);

template <>
std::string toStr<NodeType>(NodeType type);

std::ostream & operator<<(std::ostream & os, const NodeType & type);

template <>
std::string toStr<PortDirection>(PortDirection direction);

std::ostream & operator<<(std::ostream & os, const PortDirection & type);

std::vector<StringView> splitString(const StringView & strToSplit, char delimeter);

template <typename Predicate>
using enable_if = typename std::enable_if<Predicate::value>::type *;

template <typename Predicate>
using enable_if_not = typename std::enable_if<!Predicate::value>::type *;

/// A value or the text of the error that prevented it.
template <typename T>
using Optional = nonstd::expected<T, std::string>;

/// Success, or the text of the error.
using Result = Optional<void>;

inline bool IsReservedPortname(StringView name)
{
  return name == "ID" || name == "name" || name == "_description";
}

class PortInfo
{
public:
  PortInfo(PortDirection direction = PortDirection::INOUT) : direction_(direction) {}

  PortInfo(PortDirection direction, const std::type_info & type_info, StringConverter converter)
  : direction_(direction), type_(&type_info), converter_(std::move(converter))
  {
  }

  PortDirection direction() const;

  /// Null when the port accepts any type.
  const std::type_info * type() const;

  /// An empty Any when the port has no parser for text.
  Any parseString(const char * str) const;

  Any parseString(const std::string & str) const;

  template <typename T>
  Any parseString(const T &) const
  {
    return {};
  }

  void setDescription(StringView description);

  void setDefaultValue(StringView default_value_as_string);

  const std::string & description() const;

  const std::string & defaultValue() const;

  bool isStronglyTyped() const { return type_ != nullptr; }

private:
  PortDirection direction_;
  const std::type_info * type_ = nullptr;
  StringConverter converter_;
  std::string description_;
  std::string default_value_;
};

template <typename T = void>
std::pair<std::string, PortInfo> CreatePort(
  PortDirection direction, StringView name, StringView description = {})
{
  auto port_name = static_cast<std::string>(name);
  if (IsReservedPortname(port_name)) {
    throw std::runtime_error("A port can not use a reserved name. See ReservedPortNames");
  }
  std::pair<std::string, PortInfo> out;
  if constexpr (std::is_same_v<T, void>) {
    out = {port_name, PortInfo(direction)};
  } else {
    out = {port_name, PortInfo(direction, typeid(T), GetAnyFromStringFunctor<T>())};
  }
  if (!description.empty()) {
    out.second.setDescription(description);
  }
  return out;
}

template <typename T = void>
inline std::pair<std::string, PortInfo> InputPort(StringView name, StringView description = {})
{
  return CreatePort<T>(PortDirection::INPUT, name, description);
}

template <typename T = void>
inline std::pair<std::string, PortInfo> OutputPort(StringView name, StringView description = {})
{
  return CreatePort<T>(PortDirection::OUTPUT, name, description);
}

template <typename T = void>
inline std::pair<std::string, PortInfo> BidirectionalPort(
  StringView name, StringView description = {})
{
  return CreatePort<T>(PortDirection::INOUT, name, description);
}

template <typename T = void>
inline std::pair<std::string, PortInfo> InputPort(
  StringView name, const T & default_value, StringView description)
{
  auto out = CreatePort<T>(PortDirection::INPUT, name, description);
  out.second.setDefaultValue(BT::toStr(default_value));
  return out;
}

template <typename T = void>
inline std::pair<std::string, PortInfo> BidirectionalPort(
  StringView name, const T & default_value, StringView description)
{
  auto out = CreatePort<T>(PortDirection::INOUT, name, description);
  out.second.setDefaultValue(BT::toStr(default_value));
  return out;
}

using PortsList = std::unordered_map<std::string, PortInfo>;

template <typename T, typename = void>
struct has_static_method_providedPorts : std::false_type
{
};

template <typename T>
struct has_static_method_providedPorts<
  T, typename std::enable_if<std::is_same<decltype(T::providedPorts()), PortsList>::value>::type>
: std::true_type
{
};

template <typename T>
inline PortsList getProvidedPorts(enable_if<has_static_method_providedPorts<T>> = nullptr)
{
  return T::providedPorts();
}

template <typename T>
inline PortsList getProvidedPorts(enable_if_not<has_static_method_providedPorts<T>> = nullptr)
{
  return {};
}

using TimePoint = std::chrono::high_resolution_clock::time_point;
using Duration = std::chrono::high_resolution_clock::duration;

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_BASIC_TYPES_H
