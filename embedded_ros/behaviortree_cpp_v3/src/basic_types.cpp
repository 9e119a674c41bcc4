#include "behaviortree_cpp_v3/basic_types.h"

#include <charconv>
#include <string>
#include <system_error>

namespace BT
{
namespace
{
StringView trimmed(StringView str)
{
  const auto first = str.find_first_not_of(" \t\n\r");
  if (first == StringView::npos) {
    return {};
  }
  const auto last = str.find_last_not_of(" \t\n\r");
  return str.substr(first, last - first + 1);
}

// The whole text must be the number: "1.5" is not an int.
template <typename T>
T parseNumber(StringView str, const char * type_name)
{
  StringView text = trimmed(str);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
    text.remove_prefix(1);
  }
  T value{};
  const char * end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error == std::errc::result_out_of_range) {
    throw RuntimeError("convertFromString(): [", str, "] is out of the range of ", type_name);
  }
  if (error != std::errc() || stop != end || text.empty()) {
    throw RuntimeError("convertFromString(): invalid ", type_name, " conversion of [", str, "]");
  }
  return value;
}

template <typename T>
std::vector<T> parseNumberList(StringView str, const char * type_name)
{
  std::vector<T> output;
  for (const auto & part : splitString(str, ';')) {
    output.push_back(parseNumber<T>(part, type_name));
  }
  return output;
}
}  // namespace

template <>
std::string convertFromString<std::string>(StringView str)
{
  return std::string(str);
}

template <>
const char * convertFromString<const char *>(StringView str)
{
  return str.data();
}

template <>
int convertFromString<int>(StringView str)
{
  return parseNumber<int>(str, "int");
}

template <>
unsigned convertFromString<unsigned>(StringView str)
{
  return parseNumber<unsigned>(str, "unsigned");
}

template <>
long convertFromString<long>(StringView str)
{
  return parseNumber<long>(str, "long");
}

template <>
unsigned long convertFromString<unsigned long>(StringView str)
{
  return parseNumber<unsigned long>(str, "unsigned long");
}

template <>
float convertFromString<float>(StringView str)
{
  return parseNumber<float>(str, "float");
}

template <>
double convertFromString<double>(StringView str)
{
  return parseNumber<double>(str, "double");
}

template <>
std::vector<int> convertFromString<std::vector<int>>(StringView str)
{
  return parseNumberList<int>(str, "int");
}

template <>
std::vector<double> convertFromString<std::vector<double>>(StringView str)
{
  return parseNumberList<double>(str, "double");
}

template <>
bool convertFromString<bool>(StringView str)
{
  if (str == "1" || str == "true" || str == "True" || str == "TRUE") {
    return true;
  }
  if (str == "0" || str == "false" || str == "False" || str == "FALSE") {
    return false;
  }
  throw RuntimeError("convertFromString(): invalid bool conversion of [", str, "]");
}

template <>
NodeStatus convertFromString<NodeStatus>(StringView str)
{
  if (str == "IDLE") {
    return NodeStatus::IDLE;
  }
  if (str == "RUNNING") {
    return NodeStatus::RUNNING;
  }
  if (str == "SUCCESS") {
    return NodeStatus::SUCCESS;
  }
  if (str == "FAILURE") {
    return NodeStatus::FAILURE;
  }
  throw RuntimeError("Cannot convert this to NodeStatus: ", str);
}

template <>
NodeType convertFromString<NodeType>(StringView str)
{
  if (str == "Action") {
    return NodeType::ACTION;
  }
  if (str == "Condition") {
    return NodeType::CONDITION;
  }
  if (str == "Control") {
    return NodeType::CONTROL;
  }
  if (str == "Decorator") {
    return NodeType::DECORATOR;
  }
  if (str == "SubTree" || str == "SubTreePlus") {
    return NodeType::SUBTREE;
  }
  return NodeType::UNDEFINED;
}

template <>
PortDirection convertFromString<PortDirection>(StringView str)
{
  if (str == "Input" || str == "INPUT") {
    return PortDirection::INPUT;
  }
  if (str == "Output" || str == "OUTPUT") {
    return PortDirection::OUTPUT;
  }
  return PortDirection::INOUT;
}

std::string toStr(std::string value) { return value; }

template <>
std::string toStr<NodeStatus>(NodeStatus status)
{
  switch (status) {
    case NodeStatus::SUCCESS:
      return "SUCCESS";
    case NodeStatus::FAILURE:
      return "FAILURE";
    case NodeStatus::RUNNING:
      return "RUNNING";
    case NodeStatus::IDLE:
      return "IDLE";
  }
  return "";
}

std::string toStr(NodeStatus status, bool colored)
{
  if (!colored) {
    return toStr(status);
  }
  switch (status) {
    case NodeStatus::SUCCESS:
      return "\x1b[32mSUCCESS\x1b[0m";
    case NodeStatus::FAILURE:
      return "\x1b[31mFAILURE\x1b[0m";
    case NodeStatus::RUNNING:
      return "\x1b[33mRUNNING\x1b[0m";
    case NodeStatus::IDLE:
      return "\x1b[36mIDLE\x1b[0m";
  }
  return "";
}

template <>
std::string toStr<PortDirection>(PortDirection direction)
{
  switch (direction) {
    case PortDirection::INPUT:
      return "Input";
    case PortDirection::OUTPUT:
      return "Output";
    case PortDirection::INOUT:
      return "InOut";
  }
  return "InOut";
}

template <>
std::string toStr<NodeType>(NodeType type)
{
  switch (type) {
    case NodeType::ACTION:
      return "Action";
    case NodeType::CONDITION:
      return "Condition";
    case NodeType::DECORATOR:
      return "Decorator";
    case NodeType::CONTROL:
      return "Control";
    case NodeType::SUBTREE:
      return "SubTree";
    case NodeType::UNDEFINED:
      return "Undefined";
  }
  return "Undefined";
}

std::ostream & operator<<(std::ostream & os, const NodeType & type) { return os << toStr(type); }

std::ostream & operator<<(std::ostream & os, const NodeStatus & status)
{
  return os << toStr(status);
}

std::ostream & operator<<(std::ostream & os, const PortDirection & type)
{
  return os << toStr(type);
}

std::vector<StringView> splitString(const StringView & strToSplit, char delimeter)
{
  std::vector<StringView> parts;
  std::size_t pos = 0;
  while (pos < strToSplit.size()) {
    std::size_t next = strToSplit.find(delimeter, pos);
    if (next == StringView::npos) {
      next = strToSplit.size();
    }
    parts.push_back(strToSplit.substr(pos, next - pos));
    pos = next + 1;
  }
  return parts;
}

PortDirection PortInfo::direction() const { return direction_; }

const std::type_info * PortInfo::type() const { return type_; }

Any PortInfo::parseString(const char * str) const { return converter_ ? converter_(str) : Any(); }

Any PortInfo::parseString(const std::string & str) const
{
  return converter_ ? converter_(str) : Any();
}

void PortInfo::setDescription(StringView description)
{
  description_ = static_cast<std::string>(description);
}

void PortInfo::setDefaultValue(StringView default_value_as_string)
{
  default_value_ = static_cast<std::string>(default_value_as_string);
}

const std::string & PortInfo::description() const { return description_; }

const std::string & PortInfo::defaultValue() const { return default_value_; }

}  // namespace BT
