#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

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
    /// Empty: "<scenario name>.svg" in the working directory.
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
  /// `err`), 2 when the scenario could not be played (a bad file, a node that did not start).
  /// Needs an initialised ROS context.
  static int run(const Options & options, std::ostream & out, std::ostream & err);
};

}  // namespace velmoran_nav2_sim
