#include "rclcpp/node_interfaces/node_parameters.hpp"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "node_interfaces/parameter_checks.hpp"
#include "rcl_interfaces/srv/list_parameters.hpp"

namespace rclcpp
{
namespace node_interfaces
{

using rcl_interfaces::msg::ParameterDescriptor;
using rcl_interfaces::msg::SetParametersResult;

/// Refuses changes from inside an on-set callback, as rclcpp does.
class NodeParameters::ModificationGuard
{
public:
  explicit ModificationGuard(bool & modification_enabled) : enabled_(modification_enabled)
  {
    if (!enabled_) {
      throw rclcpp::exceptions::ParameterModifiedInCallbackException(
        "cannot set or declare a parameter, or change the callback from within set callback");
    }
    enabled_ = false;
  }
  ~ModificationGuard() { enabled_ = true; }

private:
  bool & enabled_;
};

namespace
{

SetParametersResult success()
{
  SetParametersResult result;
  result.successful = true;
  return result;
}

SetParametersResult failure(const std::string & reason)
{
  SetParametersResult result;
  result.successful = false;
  result.reason = reason;
  return result;
}

bool starts_with(const std::string & text, const char * prefix)
{
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

NodeParameters::NodeParameters(
  const rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
  const rclcpp::node_interfaces::NodeServicesInterface::SharedPtr node_services,
  const std::map<std::string, rclcpp::ParameterValue> & parameter_overrides,
  bool start_parameter_services, bool allow_undeclared_parameters,
  bool automatically_declare_parameters_from_overrides)
: parameter_overrides_(parameter_overrides), allow_undeclared_(allow_undeclared_parameters)
{
  if (start_parameter_services) {
    parameter_service_ = std::make_shared<ParameterService>(node_base, node_services, this);
  }
  if (automatically_declare_parameters_from_overrides) {
    ParameterDescriptor descriptor;
    descriptor.dynamic_typing = true;
    for (const auto & entry : parameter_overrides_) {
      if (!has_parameter(entry.first)) {
        declare_parameter(entry.first, entry.second, descriptor, true);
      }
    }
  }
}

NodeParameters::~NodeParameters() = default;

SetParametersResult NodeParameters::call_on_set_callbacks(
  const std::vector<rclcpp::Parameter> & parameters)
{
  SetParametersResult result = success();
  auto it = on_parameters_set_callback_container_.begin();
  while (it != on_parameters_set_callback_container_.end()) {
    auto handle = it->lock();
    if (!handle) {
      it = on_parameters_set_callback_container_.erase(it);
      continue;
    }
    result = handle->callback(parameters);
    if (!result.successful) {
      return result;
    }
    ++it;
  }
  return result;
}

SetParametersResult NodeParameters::check_and_apply(
  const std::vector<rclcpp::Parameter> & parameters, std::map<std::string, ParameterInfo> & infos,
  bool call_callbacks)
{
  SetParametersResult result = check_parameters(infos, parameters, allow_undeclared_);
  if (!result.successful) {
    return result;
  }
  if (call_callbacks) {
    result = call_on_set_callbacks(parameters);
    if (!result.successful) {
      return result;
    }
  }
  for (const auto & parameter : parameters) {
    auto & info = infos[parameter.get_name()];
    info.descriptor.name = parameter.get_name();
    info.descriptor.type = parameter.get_type();
    info.value = parameter.get_parameter_value();
  }
  return result;
}

const rclcpp::ParameterValue & NodeParameters::declare_locked(
  const std::string & name, rclcpp::ParameterType type,
  const rclcpp::ParameterValue & default_value, ParameterDescriptor descriptor,
  bool ignore_override)
{
  if (name.empty()) {
    throw rclcpp::exceptions::InvalidParametersException("parameter name must not be empty");
  }
  if (parameters_.count(name) != 0) {
    throw rclcpp::exceptions::ParameterAlreadyDeclaredException(
      "parameter '" + name + "' has already been declared");
  }
  if (!descriptor.dynamic_typing) {
    if (type == rclcpp::PARAMETER_NOT_SET) {
      type = default_value.get_type();
    }
    if (type == rclcpp::PARAMETER_NOT_SET) {
      throw rclcpp::exceptions::InvalidParameterTypeException(
        name, "cannot declare a statically typed parameter with an uninitialized value");
    }
    descriptor.type = static_cast<uint8_t>(type);
  }
  const rclcpp::ParameterValue * initial_value = &default_value;
  auto override_it = parameter_overrides_.find(name);
  if (!ignore_override && override_it != parameter_overrides_.end()) {
    initial_value = &override_it->second;
  }
  std::map<std::string, ParameterInfo> staged{{name, ParameterInfo{{}, descriptor}}};
  staged[name].descriptor.name = name;
  if (initial_value->get_type() == rclcpp::PARAMETER_NOT_SET) {
    if (descriptor.dynamic_typing) {
      staged[name].descriptor.type = rclcpp::PARAMETER_NOT_SET;
    }
    parameters_[name] = staged[name];
    return parameters_.at(name).value;
  }
  SetParametersResult result =
    check_and_apply({rclcpp::Parameter(name, *initial_value)}, staged, true);
  if (!result.successful) {
    if (starts_with(result.reason, "Wrong parameter type")) {
      throw rclcpp::exceptions::InvalidParameterTypeException(name, result.reason);
    }
    throw rclcpp::exceptions::InvalidParameterValueException(
      "parameter '" + name + "' could not be set: " + result.reason);
  }
  parameters_[name] = staged.at(name);
  return parameters_.at(name).value;
}

const rclcpp::ParameterValue & NodeParameters::declare_parameter(
  const std::string & name, const rclcpp::ParameterValue & default_value,
  const ParameterDescriptor & parameter_descriptor, bool ignore_override)
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ModificationGuard guard(parameter_modification_enabled_);
  return declare_locked(
    name, rclcpp::PARAMETER_NOT_SET, default_value, parameter_descriptor, ignore_override);
}

const rclcpp::ParameterValue & NodeParameters::declare_parameter(
  const std::string & name, rclcpp::ParameterType type,
  const ParameterDescriptor & parameter_descriptor, bool ignore_override)
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ModificationGuard guard(parameter_modification_enabled_);
  if (type == rclcpp::PARAMETER_NOT_SET) {
    throw std::invalid_argument{
      "declare_parameter(): the provided parameter type cannot be rclcpp::PARAMETER_NOT_SET"};
  }
  if (parameter_descriptor.dynamic_typing) {
    throw std::invalid_argument{
      "declare_parameter(): cannot declare parameter of specific type and pass descriptor"
      "with `dynamic_typing=true`"};
  }
  return declare_locked(
    name, type, rclcpp::ParameterValue{}, parameter_descriptor, ignore_override);
}

void NodeParameters::undeclare_parameter(const std::string & name)
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ModificationGuard guard(parameter_modification_enabled_);
  auto it = parameters_.find(name);
  if (it == parameters_.end()) {
    throw rclcpp::exceptions::ParameterNotDeclaredException(
      "cannot undeclare parameter '" + name + "' which has not yet been declared");
  }
  if (it->second.descriptor.read_only) {
    throw rclcpp::exceptions::ParameterImmutableException(
      "cannot undeclare parameter '" + name + "' because it is read-only");
  }
  if (!it->second.descriptor.dynamic_typing) {
    throw rclcpp::exceptions::InvalidParameterTypeException{
      name, "cannot undeclare a statically typed parameter"};
  }
  parameters_.erase(it);
}

bool NodeParameters::has_parameter(const std::string & name) const
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return parameters_.count(name) != 0;
}

std::vector<SetParametersResult> NodeParameters::set_parameters(
  const std::vector<rclcpp::Parameter> & parameters)
{
  std::vector<SetParametersResult> results;
  results.reserve(parameters.size());
  for (const auto & parameter : parameters) {
    results.push_back(set_parameters_atomically({parameter}));
  }
  return results;
}

SetParametersResult NodeParameters::set_parameters_atomically(
  const std::vector<rclcpp::Parameter> & parameters)
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ModificationGuard guard(parameter_modification_enabled_);

  std::map<std::string, ParameterInfo> staged_declarations;
  std::vector<std::string> to_undeclare;
  for (const auto & parameter : parameters) {
    const std::string & name = parameter.get_name();
    if (name.empty()) {
      throw rclcpp::exceptions::InvalidParametersException("parameter name must not be empty");
    }
    auto it = parameters_.find(name);
    if (it == parameters_.end()) {
      if (!allow_undeclared_) {
        throw rclcpp::exceptions::ParameterNotDeclaredException(
          "parameter '" + name + "' cannot be set because it was not declared");
      }
      ParameterDescriptor descriptor;
      descriptor.dynamic_typing = true;
      descriptor.name = name;
      staged_declarations[name] = ParameterInfo{parameter.get_parameter_value(), descriptor};
      continue;
    }
    if (it->second.descriptor.read_only) {
      return failure("parameter '" + name + "' cannot be set because it is read-only");
    }
    if (
      parameter.get_type() == rclcpp::PARAMETER_NOT_SET &&
      it->second.value.get_type() != rclcpp::PARAMETER_NOT_SET) {
      if (!it->second.descriptor.dynamic_typing) {
        return failure("cannot undeclare a statically typed parameter");
      }
      to_undeclare.push_back(name);
    }
  }

  auto candidate = parameters_;
  candidate.insert(staged_declarations.begin(), staged_declarations.end());
  SetParametersResult result = check_and_apply(parameters, candidate, true);
  if (!result.successful) {
    return result;
  }
  for (const auto & name : to_undeclare) {
    candidate.erase(name);
  }
  parameters_ = std::move(candidate);
  return result;
}

std::vector<rclcpp::Parameter> NodeParameters::get_parameters(
  const std::vector<std::string> & names) const
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<rclcpp::Parameter> results;
  results.reserve(names.size());
  for (const auto & name : names) {
    results.emplace_back(get_parameter(name));
  }
  return results;
}

rclcpp::Parameter NodeParameters::get_parameter(const std::string & name) const
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = parameters_.find(name);
  if (it != parameters_.end()) {
    if (
      it->second.value.get_type() != rclcpp::PARAMETER_NOT_SET ||
      it->second.descriptor.dynamic_typing) {
      return rclcpp::Parameter{name, it->second.value};
    }
    throw rclcpp::exceptions::ParameterUninitializedException(name);
  }
  if (allow_undeclared_) {
    return rclcpp::Parameter{name};
  }
  throw rclcpp::exceptions::ParameterNotDeclaredException(name);
}

bool NodeParameters::get_parameter(const std::string & name, rclcpp::Parameter & parameter) const
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = parameters_.find(name);
  if (it == parameters_.end() || it->second.value.get_type() == rclcpp::PARAMETER_NOT_SET) {
    return false;
  }
  parameter = {name, it->second.value};
  return true;
}

bool NodeParameters::get_parameters_by_prefix(
  const std::string & prefix, std::map<std::string, rclcpp::Parameter> & parameters) const
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string prefix_with_dot = prefix.empty() ? prefix : prefix + ".";
  bool found = false;
  for (const auto & entry : parameters_) {
    if (entry.first.find(prefix_with_dot) == 0 && entry.first.size() > prefix_with_dot.size()) {
      parameters[entry.first.substr(prefix_with_dot.size())] =
        rclcpp::Parameter(entry.first, entry.second.value);
      found = true;
    }
  }
  return found;
}

std::vector<ParameterDescriptor> NodeParameters::describe_parameters(
  const std::vector<std::string> & names) const
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<ParameterDescriptor> results;
  for (const auto & name : names) {
    auto it = parameters_.find(name);
    if (it != parameters_.end()) {
      results.push_back(it->second.descriptor);
    } else if (allow_undeclared_) {
      ParameterDescriptor descriptor;
      descriptor.name = name;
      results.push_back(descriptor);
    } else {
      throw rclcpp::exceptions::ParameterNotDeclaredException(name);
    }
  }
  return results;
}

std::vector<uint8_t> NodeParameters::get_parameter_types(
  const std::vector<std::string> & names) const
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<uint8_t> results;
  for (const auto & name : names) {
    auto it = parameters_.find(name);
    if (it != parameters_.end()) {
      results.push_back(it->second.value.get_type());
    } else if (allow_undeclared_) {
      results.push_back(rcl_interfaces::msg::ParameterType::PARAMETER_NOT_SET);
    } else {
      throw rclcpp::exceptions::ParameterNotDeclaredException(name);
    }
  }
  return results;
}

namespace
{

size_t separators_in(const std::string & text)
{
  return static_cast<size_t>(std::count(text.begin(), text.end(), '.'));
}

bool listed(const std::string & name, const std::vector<std::string> & prefixes, uint64_t depth)
{
  const bool recursive = depth == rcl_interfaces::srv::ListParameters::Request::DEPTH_RECURSIVE;
  if (prefixes.empty()) {
    return recursive || separators_in(name) < depth;
  }
  return std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string & prefix) {
    if (name == prefix) {
      return true;
    }
    if (name.find(prefix + ".") != 0) {
      return false;
    }
    return recursive || separators_in(name.substr(prefix.size() + 1)) < depth;
  });
}

}  // namespace

rcl_interfaces::msg::ListParametersResult NodeParameters::list_parameters(
  const std::vector<std::string> & prefixes, uint64_t depth) const
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  rcl_interfaces::msg::ListParametersResult result;
  for (const auto & entry : parameters_) {
    if (!listed(entry.first, prefixes, depth)) {
      continue;
    }
    result.names.push_back(entry.first);
    const size_t last_separator = entry.first.find_last_of('.');
    if (last_separator != std::string::npos) {
      const std::string prefix = entry.first.substr(0, last_separator);
      if (
        std::find(result.prefixes.begin(), result.prefixes.end(), prefix) ==
        result.prefixes.end()) {
        result.prefixes.push_back(prefix);
      }
    }
  }
  return result;
}

OnSetParametersCallbackHandle::SharedPtr NodeParameters::add_on_set_parameters_callback(
  OnParametersSetCallbackType callback)
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ModificationGuard guard(parameter_modification_enabled_);
  auto handle = std::make_shared<OnSetParametersCallbackHandle>();
  handle->callback = callback;
  // The callback registered last runs first.
  on_parameters_set_callback_container_.emplace_front(handle);
  return handle;
}

void NodeParameters::remove_on_set_parameters_callback(
  const OnSetParametersCallbackHandle * const handler)
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ModificationGuard guard(parameter_modification_enabled_);
  auto it = std::find_if(
    on_parameters_set_callback_container_.begin(), on_parameters_set_callback_container_.end(),
    [handler](const auto & weak) { return weak.lock().get() == handler; });
  if (it == on_parameters_set_callback_container_.end()) {
    throw std::runtime_error("Callback doesn't exist");
  }
  on_parameters_set_callback_container_.erase(it);
}

const std::map<std::string, rclcpp::ParameterValue> & NodeParameters::get_parameter_overrides()
  const
{
  return parameter_overrides_;
}

}  // namespace node_interfaces
}  // namespace rclcpp
