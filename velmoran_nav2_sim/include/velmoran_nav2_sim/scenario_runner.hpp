#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "velmoran_nav2_sim/interruption.hpp"

namespace velmoran_nav2_sim
{

/// Plays one scenario file end to end: the decision node with the simulation in this process,
/// the scenario's steps, then the results table and the plot.
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
  };

  /// Reads the command line: [scenario.yaml] [--time-factor F] [--plot FILE] [--tree FILE].
  /// Throws std::invalid_argument with the usage on a bad argument.
  static Options parseArguments(
    const std::vector<std::string> & arguments, const Options & defaults);
  static std::string usage();

  /// Exit status: 0 when every job ended as the scenario expects, 1 when some did not (listed on
  /// `err`), 2 when the scenario could not be played (a bad file, a node that did not start),
  /// 128 + the signal when `interruption` came: the jobs still running are cancelled, the robot
  /// stopped and the table shows what ran. Needs an initialised ROS context.
  static int run(
    const Options & options, std::ostream & out, std::ostream & err, Interruption & interruption);

  /// A plain file name in the working directory: "<name>.svg" with every character other than
  /// letters, digits, '-', '_' and '.' replaced by '_', no leading '.', at most 100 characters.
  static std::string defaultPlotFile(const std::string & scenario_name);
};

}  // namespace velmoran_nav2_sim
