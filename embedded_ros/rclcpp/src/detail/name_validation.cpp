#include "detail/name_validation.hpp"

#include <cctype>
#include <string>

#include "rclcpp/exceptions.hpp"

namespace rclcpp
{
namespace detail
{

namespace
{

constexpr size_t kNodeNameMaxLength = 255;
constexpr size_t kNamespaceMaxLength = 245;

struct NameError
{
  const char * message = nullptr;
  size_t index = 0;
};

bool is_name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

NameError check_node_name(const std::string & name)
{
  if (name.empty()) {
    return {"node name must not be empty", 0};
  }
  for (size_t i = 0; i < name.size(); ++i) {
    if (!is_name_char(name[i])) {
      return {"node name must not contain characters other than alphanumerics or '_'", i};
    }
  }
  if (is_digit(name[0])) {
    return {"node name must not start with a number", 0};
  }
  if (name.size() > kNodeNameMaxLength) {
    return {"node name length should not exceed '255'", kNodeNameMaxLength - 1};
  }
  return {};
}

/// Checks an absolute, '/'-separated name; `what` is "namespace" or "topic name".
NameError check_absolute(const std::string & name, bool allow_root, const char * const * messages)
{
  if (name.empty()) {
    return {messages[0], 0};
  }
  if (name[0] != '/') {
    return {messages[1], 0};
  }
  if (name.size() > 1 || !allow_root) {
    if (name.back() == '/') {
      return {messages[2], name.size() - 1};
    }
  }
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] != '/' && !is_name_char(name[i])) {
      return {messages[3], i};
    }
    if (name[i] == '/' && i + 1 < name.size() && name[i + 1] == '/') {
      return {messages[4], i + 1};
    }
    if (name[i] == '/' && i + 1 < name.size() && is_digit(name[i + 1])) {
      return {messages[5], i + 1};
    }
  }
  return {};
}

const char * const kNamespaceMessages[] = {
  "namespace must not be empty",
  "namespace must be absolute, it must lead with a '/'",
  "namespace must not end with a '/', unless only a '/'",
  "namespace must not contain characters other than alphanumerics, '_', or '/'",
  "namespace must not contain repeated '/'",
  "namespace must not have a token that starts with a number",
};

const char * const kTopicMessages[] = {
  "topic name must not be empty",
  "topic name must be absolute, it must lead with a '/'",
  "topic name must not end with a '/'",
  "topic name must not contain characters other than alphanumerics, '_', '~', '{', or '}'",
  "topic name must not contain repeated '/'",
  "topic name must not have a token that starts with a number",
};

[[noreturn]] void throw_name_error(
  const std::string & name, const NameError & error, bool is_service)
{
  if (is_service) {
    throw exceptions::InvalidServiceNameError(name.c_str(), error.message, error.index);
  }
  throw exceptions::InvalidTopicNameError(name.c_str(), error.message, error.index);
}

void replace_all(std::string & text, const std::string & from, const std::string & to)
{
  for (size_t pos = text.find(from); pos != std::string::npos;
       pos = text.find(from, pos + to.size())) {
    text.replace(pos, from.size(), to);
  }
}

NameError check_relative_form(const std::string & name)
{
  if (name.empty()) {
    return {kTopicMessages[0], 0};
  }
  const size_t tilde = name.find('~', 1);
  if (tilde != std::string::npos) {
    return {"topic name must not have tilde '~' unless it is the first character", tilde};
  }
  if (name[0] == '~' && name.size() > 1 && name[1] != '/') {
    return {"topic name must not have a tilde that is not followed by a forward slash", 1};
  }
  return {};
}

std::string substitute(
  std::string name, const std::string & node_name, const std::string & node_namespace)
{
  const std::string ns_prefix = node_namespace == "/" ? "" : node_namespace;
  replace_all(name, "{node}", node_name);
  replace_all(name, "{ns}", ns_prefix);
  replace_all(name, "{namespace}", ns_prefix);
  return name;
}

}  // namespace

void validate_node_name(const std::string & node_name)
{
  NameError error = check_node_name(node_name);
  if (error.message != nullptr) {
    throw exceptions::InvalidNodeNameError(node_name.c_str(), error.message, error.index);
  }
}

std::string normalize_namespace(const std::string & node_namespace)
{
  std::string normalized = node_namespace;
  if (normalized.empty()) {
    normalized = "/";
  } else if (normalized[0] != '/') {
    normalized = "/" + normalized;
  }
  NameError error = check_absolute(normalized, true, kNamespaceMessages);
  if (error.message == nullptr && normalized.size() > kNamespaceMaxLength) {
    error = {"namespace should not exceed '245'", kNamespaceMaxLength - 1};
  }
  if (error.message != nullptr) {
    throw exceptions::InvalidNamespaceError(normalized.c_str(), error.message, error.index);
  }
  return normalized;
}

std::string fully_qualified_name(const std::string & node_namespace, const std::string & node_name)
{
  return node_namespace == "/" ? "/" + node_name : node_namespace + "/" + node_name;
}

std::string expand_topic_or_service_name(
  const std::string & name, const std::string & node_name, const std::string & node_namespace,
  bool is_service)
{
  NameError error = check_relative_form(name);
  if (error.message != nullptr) {
    throw_name_error(name, error, is_service);
  }
  std::string expanded = substitute(name, node_name, node_namespace);
  const std::string fqn = fully_qualified_name(node_namespace, node_name);
  if (expanded[0] == '~') {
    expanded = fqn + expanded.substr(1);
  } else if (expanded[0] != '/') {
    expanded = (node_namespace == "/" ? "" : node_namespace) + "/" + expanded;
  }
  error = check_absolute(expanded, false, kTopicMessages);
  if (error.message != nullptr) {
    throw_name_error(expanded, error, is_service);
  }
  return expanded;
}

}  // namespace detail
}  // namespace rclcpp
