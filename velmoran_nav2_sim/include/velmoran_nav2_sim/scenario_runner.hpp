#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "velmoran_nav2_sim/interruption.hpp"

namespace velmoran_nav2_sim
{

/// Plays one scenario file end to end: the decision node with the simulation in this process (or
/// in a child process, over DDS), the scenario's steps, then the results table and the plot.
class ScenarioRunner
{
public:
  static constexpr double kDefaultTimeFactor = 10.0;

  struct Options
  {
    std::string scenario_file;
    /// Overrides the scenario's own time factor.
    std::optional<double> time_factor;
    /// Empty: defaultPlotFile() of the scenario's name, in the working directory.
    std::string plot_file;
    std::string tree_file;
    std::vector<std::string> plugin_libraries;
    /// Runs the node from `node_executable` in a child process; see nodeProcessTransport().
    bool node_process = false;
    std::string node_executable;
  };

  /// Reads the command line: [scenario.yaml] [--time-factor F] [--plot FILE] [--tree FILE]
  /// [--node-process].
  /// Throws std::invalid_argument with the usage on a bad argument.
  static Options parseArguments(
    const std::vector<std::string> & arguments, const Options & defaults);
  static std::string usage();

  /// For a run with the node in a child process: the variables that put this process and the
  /// node's on DDS (rmw_cyclonedds_cpp), on loopback only, in a domain of their own:
  /// ROS_DOMAIN_ID from the environment when it is set, else one from 1 to 232 picked by this
  /// process's id. This process sets them before it initialises ROS. Throws
  /// std::invalid_argument for a ROS_DOMAIN_ID that is no such domain id.
  static std::map<std::string, std::string> nodeProcessTransport();

  /// Exit status: 0 when every job ended as the scenario expects and the node's process (if any)
  /// exited with status 0 when stopped, 1 when not (listed on `out`), 2 when the scenario could not be played (a bad file, a node that did not start),
  /// 128 + the signal when `interruption` came: the jobs still running are cancelled, the robot
  /// stopped and the table shows what ran. Needs an initialised ROS context.
  static int run(
    const Options & options, std::ostream & out, std::ostream & err, Interruption & interruption);

  /// A plain file name in the working directory: "<name>.svg" with every character other than
  /// letters, digits, '-', '_' and '.' replaced by '_', no leading '.', at most 100 characters.
  static std::string defaultPlotFile(const std::string & scenario_name);
};

}  // namespace velmoran_nav2_sim
