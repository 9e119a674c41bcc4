#include "detail/parameter_file.hpp"

#include <yaml-cpp/yaml.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace rclcpp
{
namespace detail
{

namespace
{

const char * const kParametersKey = "ros__parameters";

bool parse_bool(const std::string & text, bool & value)
{
  static const char * const true_words[] = {"Y",    "y",    "yes", "Yes", "YES", "true",
                                            "True", "TRUE", "on",  "On",  "ON"};
  static const char * const false_words[] = {"N",     "n",     "no",  "No",  "NO", "false",
                                             "False", "FALSE", "off", "Off", "OFF"};
  for (const char * word : true_words) {
    if (text == word) {
      value = true;
      return true;
    }
  }
  for (const char * word : false_words) {
    if (text == word) {
      value = false;
      return true;
    }
  }
  return false;
}

bool parse_integer(const std::string & text, int64_t & value)
{
  if (text.empty()) {
    return false;
  }
  char * end = nullptr;
  errno = 0;
  // Base 0 like rcl: "0x1f" is hexadecimal and "010" octal.
  long long parsed = std::strtoll(text.c_str(), &end, 0);
  if (errno != 0 || end == nullptr || *end != '\0') {
    return false;
  }
  value = parsed;
  return true;
}

bool parse_double(const std::string & text, double & value)
{
  if (
    text == ".inf" || text == ".Inf" || text == ".INF" || text == "+.inf" || text == "+.Inf" ||
    text == "+.INF") {
    value = std::numeric_limits<double>::infinity();
    return true;
  }
  if (text == "-.inf" || text == "-.Inf" || text == "-.INF") {
    value = -std::numeric_limits<double>::infinity();
    return true;
  }
  if (text == ".nan" || text == ".NaN" || text == ".NAN") {
    value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (text.empty()) {
    return false;
  }
  char * end = nullptr;
  errno = 0;
  double parsed = std::strtod(text.c_str(), &end);
  if (errno != 0 || end == nullptr || *end != '\0') {
    return false;
  }
  value = parsed;
  return true;
}

ParameterValue scalar_value(const YAML::Node & node)
{
  const std::string text = node.Scalar();
  if (node.Tag() == "!" || node.Tag() == "tag:yaml.org,2002:str") {
    return ParameterValue(text);
  }
  bool bool_value = false;
  int64_t int_value = 0;
  double double_value = 0.0;
  if (parse_bool(text, bool_value)) {
    return ParameterValue(bool_value);
  }
  if (parse_integer(text, int_value)) {
    return ParameterValue(int_value);
  }
  if (parse_double(text, double_value)) {
    return ParameterValue(double_value);
  }
  return ParameterValue(text);
}

std::string mark_of(const YAML::Node & node)
{
  return " (line " + std::to_string(node.Mark().line + 1) + ")";
}

template <typename T>
std::vector<T> collect(const std::vector<ParameterValue> & items)
{
  std::vector<T> values;
  for (const auto & item : items) {
    values.push_back(item.get<T>());
  }
  return values;
}

ParameterValue sequence_value(const YAML::Node & node)
{
  std::vector<ParameterValue> items;
  for (const auto & element : node) {
    if (!element.IsScalar()) {
      throw std::runtime_error("sequences may only hold scalars" + mark_of(element));
    }
    items.push_back(scalar_value(element));
    if (items.back().get_type() != items.front().get_type()) {
      throw std::runtime_error(
        "Sequence should be of same type. Value type '" +
        rclcpp::to_string(items.back().get_type()) + "' do not belong at line_num " +
        std::to_string(element.Mark().line + 1));
    }
  }
  if (items.empty()) {
    return ParameterValue(std::vector<std::string>{});
  }
  switch (items.front().get_type()) {
    case PARAMETER_BOOL:
      return ParameterValue(collect<bool>(items));
    case PARAMETER_INTEGER:
      return ParameterValue(collect<int64_t>(items));
    case PARAMETER_DOUBLE:
      return ParameterValue(collect<double>(items));
    default:
      return ParameterValue(collect<std::string>(items));
  }
}

ParameterValue value_of(const YAML::Node & node)
{
  if (node.IsScalar()) {
    return scalar_value(node);
  }
  if (node.IsSequence()) {
    return sequence_value(node);
  }
  throw std::runtime_error("a parameter value must be a scalar or a sequence" + mark_of(node));
}

void collect_parameters(
  const YAML::Node & node, const std::string & prefix, const std::string & node_pattern,
  std::vector<ParameterRule> & rules)
{
  for (const auto & entry : node) {
    const std::string key = entry.first.Scalar();
    const std::string name = prefix.empty() ? key : prefix + "." + key;
    if (entry.second.IsMap()) {
      collect_parameters(entry.second, name, node_pattern, rules);
    } else if (entry.second.IsNull()) {
      throw std::runtime_error("parameter '" + name + "' has no value" + mark_of(entry.first));
    } else {
      rules.push_back(ParameterRule{node_pattern, name, value_of(entry.second)});
    }
  }
}

void collect_nodes(
  const YAML::Node & node, const std::string & path, std::vector<ParameterRule> & rules)
{
  if (!node.IsMap()) {
    throw std::runtime_error("expected a map under '" + path + "'" + mark_of(node));
  }
  for (const auto & entry : node) {
    const std::string key = entry.first.Scalar();
    if (key == kParametersKey) {
      if (!entry.second.IsMap()) {
        throw std::runtime_error(
          "'ros__parameters' of '" + path + "' must be a map" + mark_of(entry.second));
      }
      collect_parameters(entry.second, "", path, rules);
      continue;
    }
    std::string child = path + (key.empty() || key[0] == '/' ? "" : "/") + key;
    if (path.empty() && !child.empty() && child[0] != '/') {
      child = "/" + child;
    }
    collect_nodes(entry.second, child, rules);
  }
}

std::vector<std::string> split_tokens(const std::string & name)
{
  std::vector<std::string> tokens;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) {
      end = name.size();
    }
    if (end > start) {
      tokens.push_back(name.substr(start, end - start));
    }
    start = end + 1;
  }
  return tokens;
}

bool tokens_match(
  const std::vector<std::string> & pattern, size_t p, const std::vector<std::string> & name,
  size_t n)
{
  if (p == pattern.size()) {
    return n == name.size();
  }
  if (pattern[p] == "**") {
    for (size_t skip = n; skip <= name.size(); ++skip) {
      if (tokens_match(pattern, p + 1, name, skip)) {
        return true;
      }
    }
    return false;
  }
  if (n == name.size()) {
    return false;
  }
  return (pattern[p] == "*" || pattern[p] == name[n]) && tokens_match(pattern, p + 1, name, n + 1);
}

std::string position_of(const YAML::Mark & mark)
{
  return "line " + std::to_string(mark.line + 1) + ", column " + std::to_string(mark.column + 1);
}

/// yaml-cpp takes a quoted scalar that is never closed up to the end of the file, swallowing
/// every line after its opening quote. libyaml, which reads parameter files on a ROS system,
/// refuses it: check the quoted scalar starting at `mark` the same way.
void check_quoted_scalar(const std::string & text, const YAML::Mark & mark)
{
  if (mark.pos < 0 || static_cast<size_t>(mark.pos) >= text.size()) {
    return;
  }
  const char quote = text[static_cast<size_t>(mark.pos)];
  if (quote != '"' && quote != '\'') {
    return;  // a plain scalar, or the mark is that of a tag or an anchor
  }
  for (size_t pos = static_cast<size_t>(mark.pos) + 1; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (quote == '"' && c == '\\') {
      ++pos;  // the escaped character, a quote or a line break among them
    } else if (c == quote) {
      if (quote == '\'' && pos + 1 < text.size() && text[pos + 1] == '\'') {
        ++pos;  // '' stands for one quote
      } else {
        return;
      }
    }
  }
  throw std::runtime_error(
    "error at " + position_of(mark) +
    ": while scanning a quoted scalar, found unexpected end of stream");
}

void check_quoted_scalars(const std::string & text, const YAML::Node & node)
{
  if (node.IsScalar()) {
    check_quoted_scalar(text, node.Mark());
  } else if (node.IsSequence()) {
    for (const auto & element : node) {
      check_quoted_scalars(text, element);
    }
  } else if (node.IsMap()) {
    for (const auto & entry : node) {
      check_quoted_scalars(text, entry.first);
      check_quoted_scalars(text, entry.second);
    }
  }
}

}  // namespace

ParameterValue parameter_value_from_yaml_text(const std::string & yaml_text)
{
  YAML::Node node;
  try {
    node = YAML::Load(yaml_text);
    check_quoted_scalars(yaml_text, node);
  } catch (const YAML::Exception & error) {
    throw std::runtime_error(error.what());
  }
  if (node.IsNull()) {
    throw std::runtime_error("no value given");
  }
  return value_of(node);
}

std::vector<ParameterRule> parse_parameter_file(const std::string & path)
{
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw std::runtime_error("Error opening YAML file");
  }
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  YAML::Node root;
  try {
    root = YAML::Load(text);
    check_quoted_scalars(text, root);
  } catch (const YAML::Exception & error) {
    throw std::runtime_error(error.what());
  }
  std::vector<ParameterRule> rules;
  if (root.IsNull()) {
    return rules;
  }
  try {
    collect_nodes(root, "", rules);
  } catch (const YAML::Exception & error) {
    throw std::runtime_error(error.what());
  }
  return rules;
}

bool node_pattern_matches(const std::string & pattern, const std::string & node_fqn)
{
  const std::string absolute = (!pattern.empty() && pattern[0] == '/') ? pattern : "/" + pattern;
  return tokens_match(split_tokens(absolute), 0, split_tokens(node_fqn), 0);
}

}  // namespace detail
}  // namespace rclcpp
