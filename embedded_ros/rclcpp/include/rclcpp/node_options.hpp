#ifndef RCLCPP__NODE_OPTIONS_HPP_
#define RCLCPP__NODE_OPTIONS_HPP_

#include <string>
#include <vector>

#include "rclcpp/context.hpp"
#include "rclcpp/contexts/default_context.hpp"
#include "rclcpp/parameter.hpp"
#include "rclcpp/qos.hpp"

namespace rclcpp
{

/// Options of a node; setters return the options for chaining.
class NodeOptions
{
public:
  NodeOptions() = default;

  rclcpp::Context::SharedPtr context() const { return context_; }
  NodeOptions & context(rclcpp::Context::SharedPtr context);

  /// Node-specific command line ("--ros-args -r __node:=x -p a:=1 --params-file f.yaml").
  const std::vector<std::string> & arguments() const { return arguments_; }
  NodeOptions & arguments(const std::vector<std::string> & arguments);

  /// Parameter values that win over the command line and parameter files.
  std::vector<rclcpp::Parameter> & parameter_overrides() { return parameter_overrides_; }
  const std::vector<rclcpp::Parameter> & parameter_overrides() const
  {
    return parameter_overrides_;
  }
  NodeOptions & parameter_overrides(const std::vector<rclcpp::Parameter> & parameter_overrides);

  template <typename ParameterT>
  NodeOptions & append_parameter_override(const std::string & name, const ParameterT & value)
  {
    parameter_overrides_.emplace_back(name, rclcpp::ParameterValue(value));
    return *this;
  }

  bool use_global_arguments() const { return use_global_arguments_; }
  NodeOptions & use_global_arguments(bool use_global_arguments);

  bool enable_rosout() const { return enable_rosout_; }
  NodeOptions & enable_rosout(bool enable_rosout);

  bool use_intra_process_comms() const { return use_intra_process_comms_; }
  NodeOptions & use_intra_process_comms(bool use_intra_process_comms);

  bool enable_topic_statistics() const { return enable_topic_statistics_; }
  NodeOptions & enable_topic_statistics(bool enable_topic_statistics);

  bool start_parameter_services() const { return start_parameter_services_; }
  NodeOptions & start_parameter_services(bool start_parameter_services);

  bool start_parameter_event_publisher() const { return start_parameter_event_publisher_; }
  NodeOptions & start_parameter_event_publisher(bool start_parameter_event_publisher);

  const rclcpp::QoS & parameter_event_qos() const { return parameter_event_qos_; }
  NodeOptions & parameter_event_qos(const rclcpp::QoS & parameter_event_qos);

  bool use_clock_thread() const { return use_clock_thread_; }
  NodeOptions & use_clock_thread(bool use_clock_thread);

  bool allow_undeclared_parameters() const { return allow_undeclared_parameters_; }
  NodeOptions & allow_undeclared_parameters(bool allow_undeclared_parameters);

  bool automatically_declare_parameters_from_overrides() const
  {
    return automatically_declare_parameters_from_overrides_;
  }
  NodeOptions & automatically_declare_parameters_from_overrides(bool value);

private:
  rclcpp::Context::SharedPtr context_{rclcpp::contexts::get_global_default_context()};
  std::vector<std::string> arguments_{};
  std::vector<rclcpp::Parameter> parameter_overrides_{};
  bool use_global_arguments_{true};
  bool enable_rosout_{true};
  bool use_intra_process_comms_{false};
  bool enable_topic_statistics_{false};
  bool start_parameter_services_{true};
  bool start_parameter_event_publisher_{true};
  rclcpp::QoS parameter_event_qos_{rclcpp::ParameterEventsQoS()};
  bool use_clock_thread_{true};
  bool allow_undeclared_parameters_{false};
  bool automatically_declare_parameters_from_overrides_{false};
};

}  // namespace rclcpp

#endif  // RCLCPP__NODE_OPTIONS_HPP_
