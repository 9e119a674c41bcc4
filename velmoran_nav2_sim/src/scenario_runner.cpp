#include "velmoran_nav2_sim/scenario_runner.hpp"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include <fmt/format.h>

#include "velmoran_nav2_sim/result_table.hpp"
#include "velmoran_nav2_sim/scenario_parser.hpp"
#include "velmoran_nav2_sim/scenario_player.hpp"
#include "velmoran_nav2_sim/simulation_host.hpp"
#include "velmoran_nav2_sim/svg_plot.hpp"

namespace velmoran_nav2_sim
{

std::string ScenarioRunner::usage()
{
  return "usage: velmoran_nav2_sim_runner [scenario.yaml] [--time-factor F] [--plot FILE.svg] "
         "[--tree FILE.xml] [--node-process]\n";
}

ScenarioRunner::Options ScenarioRunner::parseArguments(
  const std::vector<std::string> & arguments, const Options & defaults)
{
  Options options = defaults;
  bool scenario_given = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string & argument = arguments[i];
    auto value = [&]() -> const std::string & {
      if (i + 1 >= arguments.size()) {
        throw std::invalid_argument(argument + " needs a value\n" + usage());
      }
      return arguments[++i];
    };
    if (argument == "--time-factor") {
      const std::string & text = value();
      std::size_t used = 0;
      double factor = 0.0;
      try {
        factor = std::stod(text, &used);
      } catch (const std::exception &) {
        used = 0;
      }
      if (
        used != text.size() || !(factor >= ScenarioParser::kMinTimeFactor) ||
        !(factor <= ScenarioParser::kMaxTimeFactor)) {
        throw std::invalid_argument(fmt::format(
          "--time-factor takes a number from {} to {}, not '{}'", ScenarioParser::kMinTimeFactor,
          ScenarioParser::kMaxTimeFactor, text));
      }
      options.time_factor = factor;
    } else if (argument == "--plot") {
      options.plot_file = value();
    } else if (argument == "--tree") {
      options.tree_file = value();
    } else if (argument == "--node-process") {
      options.node_process = true;
    } else if (!argument.empty() && argument[0] != '-' && !scenario_given) {
      options.scenario_file = argument;
      scenario_given = true;
    } else {
      throw std::invalid_argument("unknown argument '" + argument + "'\n" + usage());
    }
  }
  return options;
}

std::string ScenarioRunner::defaultPlotFile(const std::string & scenario_name)
{
  constexpr std::size_t kMaxStem = 100;
  std::string stem;
  for (const char c : scenario_name.substr(0, kMaxStem)) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    // A leading '.' would hide the file, or with a second one name the parent directory.
    stem += plain && !(c == '.' && stem.empty()) ? c : '_';
  }
  return (stem.empty() ? std::string("scenario") : stem) + ".svg";
}

std::map<std::string, std::string> ScenarioRunner::nodeProcessTransport()
{
  constexpr int kDomains = 232;
  std::string domain;
  if (const char * given = std::getenv("ROS_DOMAIN_ID"); given != nullptr && *given != '\0') {
    domain = given;
    // Refused here, not later by both processes, which would then stay off DDS and never meet.
    std::size_t used = 0;
    int id = -1;
    try {
      id = std::stoi(domain, &used);
    } catch (const std::exception &) {
      used = 0;
    }
    if (used != domain.size() || id < 0 || id > kDomains) {
      throw std::invalid_argument(fmt::format(
        "--node-process: ROS_DOMAIN_ID '{}' is not a domain id from 0 to {}", domain, kDomains));
    }
  } else {
    domain = std::to_string(1 + getpid() % kDomains);
  }
  return {
    {"RMW_IMPLEMENTATION", "rmw_cyclonedds_cpp"},
    {"ROS_DOMAIN_ID", domain},
    {"ROS_LOCALHOST_ONLY", "1"}};
}

int ScenarioRunner::run(
  const Options & options, std::ostream & out, std::ostream & err, Interruption & interruption)
{
  Scenario scenario;
  try {
    scenario = ScenarioParser::parseFile(options.scenario_file);
  } catch (const ScenarioError & error) {
    err << "scenario error: " << error.what() << "\n";
    return 2;
  } catch (const std::exception & error) {
    err << "scenario error: " << options.scenario_file << ":0: file: " << error.what() << "\n";
    return 2;
  }
  const double time_factor =
    options.time_factor.value_or(scenario.time_factor.value_or(kDefaultTimeFactor));

  SimulationHost::Options host_options;
  host_options.tree_file = options.tree_file;
  host_options.plugin_libraries = options.plugin_libraries;
  host_options.time_factor = time_factor;
  host_options.start = scenario.start;
  host_options.obstacles = scenario.obstacles;
  if (options.node_process) {
    host_options.node_executable = options.node_executable;
    host_options.node_environment = nodeProcessTransport();
  }

  err << fmt::format(
    "[scenario] {} ({}): {} steps, time factor {}\n", scenario.name, scenario.file,
    scenario.steps.size(), time_factor);
  const auto wall_start = std::chrono::steady_clock::now();
  std::vector<JobRecord> jobs;
  std::vector<std::string> mismatches;
  SvgPlot::Content plot;
  int stop_commands = 0;
  std::string node_problem;
  try {
    SimulationHost host(host_options);
    if (const pid_t node = host.nodeProcessId()) {
      err << fmt::format(
        "[scenario] the node runs in process {} (DDS domain {})\n", node,
        host_options.node_environment.at("ROS_DOMAIN_ID"));
    }
    ScenarioPlayer player(scenario, host, err);
    interruption.setHandler([&player]() { player.interrupt(); });
    player.play();
    interruption.clearHandler();
    if (const auto node_exit = host.stopNode()) {
      err << fmt::format("[scenario] the node process {}\n", node_exit->describe());
      if (!node_exit->clean() && !player.nodeExited()) {
        node_problem = fmt::format("the node process {} when stopped", node_exit->describe());
      }
    }
    jobs = player.jobs();
    mismatches = player.mismatches();
    if (!node_problem.empty()) {
      mismatches.push_back(node_problem);
    }
    plot.trajectory = host.robot().trajectory();
    stop_commands = host.robot().stopCommands();
    plot.title = fmt::format(
      "{}: {} jobs, {:.1f} s simulated", scenario.name, jobs.size(), host.robot().simTime());
  } catch (const std::exception & error) {
    interruption.clearHandler();
    err << "scenario " << scenario.name << " could not be played: " << error.what() << "\n";
    return 2;
  }
  const double wall_seconds =
    std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();

  plot.start = scenario.start;
  plot.obstacles = scenario.obstacles;
  plot.jobs = jobs;
  const std::string plot_file =
    options.plot_file.empty() ? defaultPlotFile(scenario.name) : options.plot_file;
  out << "\n" << ResultTable::format(jobs);
  out << fmt::format(
    "\n{} jobs in {:.1f} s wall time (time factor {}); the robot took {} zero-velocity "
    "command(s) from the node; plot: {}\n",
    jobs.size(), wall_seconds, time_factor, stop_commands, plot_file);
  try {
    SvgPlot::write(plot, plot_file);
  } catch (const std::exception & error) {
    err << error.what() << "\n";
    return 2;
  }
  if (const int signal = interruption.signal()) {
    out << fmt::format(
      "Interrupted by {}: the jobs still running were cancelled and the robot stopped.\n",
      Interruption::signalName(signal));
    return 128 + signal;
  }
  if (!mismatches.empty()) {
    out << fmt::format("\n{} mismatch(es) with the scenario's expectations:\n", mismatches.size());
    for (const auto & mismatch : mismatches) {
      out << "  " << mismatch << "\n";
    }
    return 1;
  }
  out << "Every job ended as the scenario expects.\n";
  return 0;
}

}  // namespace velmoran_nav2_sim
