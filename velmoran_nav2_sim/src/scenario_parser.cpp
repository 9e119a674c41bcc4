#include "velmoran_nav2_sim/scenario_parser.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <limits>
#include <set>
#include <string_view>

#include <fmt/format.h>
#include <yaml-cpp/yaml.h>
#include <velmoran_protocol/action/planner.hpp>
#include <velmoran_protocol/run_modes.hpp>

namespace velmoran_nav2_sim
{

namespace
{

using Goal = velmoran_protocol::action::Planner::Goal;

int lineOf(const YAML::Node & node) { return node.Mark().line + 1; }

/// The field name of the document's top level, which has no key.
constexpr const char * kTopLevel = "(top level)";

std::string kindOf(const YAML::Node & node)
{
  switch (node.Type()) {
    case YAML::NodeType::Map:
      return "a mapping";
    case YAML::NodeType::Sequence:
      return "a list";
    case YAML::NodeType::Null:
      return "an empty value";
    default:
      return "a text";
  }
}

/// Limits as a reader writes them: 1000000, not 1e+06.
std::string limitText(double value)
{
  return value == std::trunc(value) && std::abs(value) < 1e15 ? fmt::format("{:.0f}", value)
                                                              : fmt::format("{}", value);
}

struct Range
{
  double min;
  double max;
};

constexpr Range kCoordinate{-kWorldLimit, kWorldLimit};
constexpr Range kYawDegrees{-ScenarioParser::kMaxYawDegrees, ScenarioParser::kMaxYawDegrees};
constexpr Range kDistance{-ScenarioParser::kMaxDistance, ScenarioParser::kMaxDistance};
constexpr Range kSpeed{0.0, ScenarioParser::kMaxSpeed};
constexpr Range kTimeFactor{ScenarioParser::kMinTimeFactor, ScenarioParser::kMaxTimeFactor};
constexpr Range kWaitSeconds{0.0, ScenarioParser::kMaxWaitSeconds};

/// Throws ScenarioError at the first key that is not a text or that the mapping repeats (YAML
/// readers disagree on which of two equal keys wins).
void checkKeys(const YAML::Node & mapping, const std::string & file, const std::string & context)
{
  std::set<std::string> keys;
  for (const auto & entry : mapping) {
    const YAML::Node & key = entry.first;
    const std::string field = context.empty() ? kTopLevel : context;
    if (!key.IsScalar()) {
      throw ScenarioError(file, lineOf(key), field, "a key must be a text, not " + kindOf(key));
    }
    const auto text = key.as<std::string>();
    if (!keys.insert(text).second) {
      throw ScenarioError(
        file, lineOf(key), context.empty() ? text : context + "." + text, "duplicate key");
    }
  }
}

/// Whether the task of the run mode puts the job's action id on the blackboard.
bool publishesActionId(int32_t run_mode)
{
  switch (run_mode) {
    case Goal::CHARGE:
    case Goal::LIFT:
    case Goal::LIFT_OUT:
    case Goal::LIFT_WAITING_AREA:
    case Goal::NAVIGATION_LATERAL_MOVE:
    case Goal::NAVIGATION_LATERAL_MOVE_WITH_ODOM:
      return false;
    default:
      return true;
  }
}

/// The fields of one YAML mapping, read once each; what is left over is unknown.
class MapReader
{
public:
  MapReader(const YAML::Node & node, std::string file, std::string context)
  : node_(node), file_(std::move(file)), context_(std::move(context))
  {
    if (!node.IsMap()) {
      fail(
        node, context_.empty() ? kTopLevel : context_,
        "expected a mapping of fields, not " + kindOf(node));
    }
    checkKeys(node, file_, context_);
  }

  YAML::Node optional(const std::string & key)
  {
    seen_.insert(key);
    return node_[key];
  }

  YAML::Node required(const std::string & key)
  {
    const YAML::Node value = optional(key);
    if (!value) {
      fail(node_, field(key), "missing field");
    }
    return value;
  }

  void rejectUnknown() const
  {
    for (const auto & entry : node_) {
      const auto key = entry.first.as<std::string>();
      if (seen_.count(key) == 0) {
        fail(entry.first, field(key), "unknown key");
      }
    }
  }

  std::string field(const std::string & key) const
  {
    return context_.empty() ? key : context_ + "." + key;
  }

  [[noreturn]] void fail(
    const YAML::Node & at, const std::string & field, const std::string & what) const
  {
    throw ScenarioError(file_, lineOf(at), field, what);
  }

  const std::string & file() const { return file_; }

private:
  const YAML::Node node_;
  std::string file_;
  std::string context_;
  std::set<std::string> seen_;
};

class Reader
{
public:
  explicit Reader(std::string file) : file_(std::move(file)) {}

  Scenario scenario(const YAML::Node & root)
  {
    Scenario scenario;
    scenario.file = file_;
    MapReader fields(root, file_, "");
    scenario.name = text(fields.required("name"), "name");
    if (const auto node = fields.optional("description")) {
      scenario.description = text(node, "description");
    }
    if (const auto node = fields.optional("time_factor")) {
      scenario.time_factor = number(node, "time_factor", kTimeFactor);
    }
    if (const auto node = fields.optional("start")) {
      scenario.start = pose(node, "start");
    }
    if (const auto node = fields.optional("obstacles")) {
      scenario.obstacles = polygons(node, "obstacles");
    }
    const YAML::Node steps = fields.required("steps");
    fields.rejectUnknown();
    if (!steps.IsSequence() || steps.size() == 0) {
      fail(steps, "steps", "expected a non-empty list of steps");
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
      scenario.steps.push_back(step(steps[i], "steps[" + std::to_string(i) + "]"));
    }
    checkJobNames(scenario);
    return scenario;
  }

private:
  Step step(const YAML::Node & node, const std::string & context)
  {
    if (node.IsMap()) {
      checkKeys(node, file_, context);
    }
    if (!node.IsMap() || node.size() != 1) {
      fail(
        node, context,
        "a step is a mapping with one key: job, goal_pose, navigate_to_pose, "
        "wait, wait_for, cancel, stop_task, emergency_stop or arm_retract_check");
    }
    const auto kind = node.begin()->first.as<std::string>();
    const YAML::Node value = node.begin()->second;
    const std::string field = context + "." + kind;
    const int line = lineOf(node.begin()->first);
    if (kind == "job") {
      return job(value, field, line);
    }
    if (kind == "goal_pose" || kind == "navigate_to_pose") {
      return forwardedGoal(value, field, line, kind == "goal_pose");
    }
    if (kind == "wait") {
      return WaitStep{line, number(value, field, kWaitSeconds)};
    }
    if (kind == "wait_for") {
      return WaitForStep{line, text(value, field)};
    }
    if (kind == "cancel") {
      return CancelStep{line, text(value, field)};
    }
    if (kind == "stop_task") {
      if (!boolean(value, field)) {
        fail(value, field, "stop_task takes true");
      }
      return StopStep{line};
    }
    if (kind == "emergency_stop") {
      return EmergencyStopStep{line, number(value, field, kWaitSeconds)};
    }
    if (kind == "arm_retract_check") {
      MapReader fields(value, file_, field);
      ArmRetractCheckStep check{
        line, points(fields.required("points"), fields.field("points")),
        boolean(fields.required("expect_need_retract"), fields.field("expect_need_retract"))};
      fields.rejectUnknown();
      return check;
    }
    fail(node.begin()->first, field, "unknown step");
  }

  JobStep job(const YAML::Node & node, const std::string & context, int line)
  {
    MapReader fields(node, file_, context);
    JobStep job;
    job.line = line;
    job.name = text(fields.required("name"), fields.field("name"));
    job.run_mode = runMode(fields.required("run_mode"), fields.field("run_mode"));
    if (const auto value = fields.optional("poses")) {
      job.poses = poses(value, fields.field("poses"));
    }
    if (const auto value = fields.optional("zones")) {
      job.zones = polygons(value, fields.field("zones"));
    }
    if (const auto value = fields.optional("covered_points")) {
      job.covered_points = points(value, fields.field("covered_points"));
    }
    if (const auto value = fields.optional("distance")) {
      job.distance = number(value, fields.field("distance"), kDistance);
    }
    if (const auto value = fields.optional("max_speed")) {
      job.max_speed = number(value, fields.field("max_speed"), kSpeed);
    }
    if (const auto value = fields.optional("command")) {
      job.command = integer<uint32_t>(value, fields.field("command"));
    }
    if (const auto value = fields.optional("lift_frame")) {
      job.lift_frame = points(value, fields.field("lift_frame"));
    }
    if (const auto value = fields.optional("work_points")) {
      job.work_points = poses(value, fields.field("work_points"));
    }
    if (const auto value = fields.optional("fault")) {
      if (!publishesActionId(job.run_mode)) {
        fail(
          value, fields.field("fault"),
          "faults are armed by action id, which jobs of this run mode do not publish");
      }
      job.fault = fault(value, fields.field("fault"));
    }
    if (const auto value = fields.optional("wait")) {
      job.wait = boolean(value, fields.field("wait"));
    }
    if (const auto value = fields.optional("expect")) {
      job.expect = expectation(value, fields.field("expect"));
    }
    fields.rejectUnknown();
    return job;
  }

  ForwardedGoalStep forwardedGoal(
    const YAML::Node & node, const std::string & context, int line, bool topic)
  {
    MapReader fields(node, file_, context);
    ForwardedGoalStep step;
    step.line = line;
    step.input =
      topic ? ForwardedGoalStep::Input::kGoalPoseTopic : ForwardedGoalStep::Input::kNavigateToPose;
    step.name = text(fields.required("name"), fields.field("name"));
    step.pose = pose(fields.required("pose"), fields.field("pose"));
    if (const auto value = fields.optional("wait")) {
      step.wait = boolean(value, fields.field("wait"));
    }
    if (const auto value = fields.optional("expect")) {
      step.expect = expectation(value, fields.field("expect"));
    }
    fields.rejectUnknown();
    return step;
  }

  Fault fault(const YAML::Node & node, const std::string & context)
  {
    MapReader fields(node, file_, context);
    Fault fault;
    const YAML::Node kind = fields.required("kind");
    const std::string name = text(kind, fields.field("kind"));
    if (name == "always_failure") {
      fault.kind = Fault::Kind::kAlwaysFailure;
    } else if (name == "slow") {
      fault.kind = Fault::Kind::kSlow;
      const YAML::Node scale = fields.required("speed_scale");
      fault.speed_scale = number(scale, fields.field("speed_scale"), {0.0, 1.0});
      if (fault.speed_scale == 0.0) {
        fail(scale, fields.field("speed_scale"), "a slow job still moves: expected above 0");
      }
    } else {
      fail(kind, fields.field("kind"), "expected always_failure or slow, not '" + name + "'");
    }
    fields.rejectUnknown();
    return fault;
  }

  JobExpectation expectation(const YAML::Node & node, const std::string & context)
  {
    MapReader fields(node, file_, context);
    JobExpectation expect;
    const YAML::Node outcome = fields.required("outcome");
    expect.outcome = text(outcome, fields.field("outcome"));
    if (
      expect.outcome != "succeeded" && expect.outcome != "aborted" &&
      expect.outcome != "canceled") {
      fail(outcome, fields.field("outcome"), "expected succeeded, aborted or canceled");
    }
    if (const auto value = fields.optional("err_num")) {
      expect.err_num = integer<int32_t>(value, fields.field("err_num"));
    }
    if (const auto value = fields.optional("index")) {
      expect.index = integer<int32_t>(value, fields.field("index"));
    }
    if (const auto value = fields.optional("message")) {
      expect.message = text(value, fields.field("message"));
    }
    fields.rejectUnknown();
    return expect;
  }

  std::vector<Pose2D> poses(const YAML::Node & node, const std::string & field)
  {
    std::vector<Pose2D> result;
    countPoints(node, field);
    for (std::size_t i = 0; i < sequence(node, field).size(); ++i) {
      result.push_back(pose(node[i], field + "[" + std::to_string(i) + "]"));
    }
    return result;
  }

  /// [x, y] or [x, y, yaw in degrees].
  Pose2D pose(const YAML::Node & node, const std::string & field)
  {
    if (!node.IsSequence() || node.size() < 2 || node.size() > 3) {
      fail(node, field, "expected [x, y] or [x, y, yaw_degrees]");
    }
    const double yaw = node.size() == 3 ? number(node[2], field, kYawDegrees) * M_PI / 180.0 : 0.0;
    return {number(node[0], field, kCoordinate), number(node[1], field, kCoordinate), yaw};
  }

  std::vector<Point2D> points(const YAML::Node & node, const std::string & field)
  {
    std::vector<Point2D> result;
    countPoints(node, field);
    for (std::size_t i = 0; i < sequence(node, field).size(); ++i) {
      const YAML::Node point = node[i];
      const std::string point_field = field + "[" + std::to_string(i) + "]";
      if (!point.IsSequence() || point.size() != 2) {
        fail(point, point_field, "expected [x, y]");
      }
      result.push_back(
        {number(point[0], point_field, kCoordinate), number(point[1], point_field, kCoordinate)});
    }
    return result;
  }

  std::vector<Polygon2D> polygons(const YAML::Node & node, const std::string & field)
  {
    std::vector<Polygon2D> result;
    for (std::size_t i = 0; i < sequence(node, field).size(); ++i) {
      const std::string polygon_field = field + "[" + std::to_string(i) + "]";
      result.push_back(points(node[i], polygon_field));
      if (result.back().size() < 3) {
        fail(node[i], polygon_field, "a polygon needs at least three points");
      }
    }
    return result;
  }

  const YAML::Node & sequence(const YAML::Node & node, const std::string & field)
  {
    if (!node.IsSequence()) {
      fail(node, field, "expected a list");
    }
    return node;
  }

  std::string text(const YAML::Node & node, const std::string & field)
  {
    if (!node.IsScalar()) {
      fail(node, field, "expected a text");
    }
    return node.as<std::string>();
  }

  /// A finite number within `range`.
  double number(const YAML::Node & node, const std::string & field, const Range & range)
  {
    double value = 0.0;
    if (!node.IsScalar() || !YAML::convert<double>::decode(node, value)) {
      fail(node, field, "expected a number" + found(node));
    }
    if (!(value >= range.min && value <= range.max)) {
      fail(
        node, field,
        fmt::format(
          "expected a number from {} to {}{}", limitText(range.min), limitText(range.max),
          found(node)));
    }
    return value;
  }

  /// An integer that fits the field's type in the Planner action.
  template <typename IntegerT>
  IntegerT integer(const YAML::Node & node, const std::string & field)
  {
    using Limits = std::numeric_limits<IntegerT>;
    int64_t value = 0;
    if (
      !node.IsScalar() || !YAML::convert<int64_t>::decode(node, value) || value < Limits::min() ||
      value > Limits::max()) {
      fail(
        node, field,
        fmt::format(
          "expected an integer from {} to {}{}", Limits::min(), Limits::max(), found(node)));
    }
    return static_cast<IntegerT>(value);
  }

  /// A run mode's name, or any number that fits the action's run_mode field.
  int32_t runMode(const YAML::Node & node, const std::string & field)
  {
    const std::string name = text(node, field);
    if (const auto named = velmoran_protocol::runModeByName(name)) {
      return *named;
    }
    int64_t number = 0;
    if (YAML::convert<int64_t>::decode(node, number)) {
      return integer<int32_t>(node, field);
    }
    fail(node, field, "unknown run mode '" + name + "'");
  }

  /// Counts the points of a list against the scenario's budget before they are read.
  void countPoints(const YAML::Node & node, const std::string & field)
  {
    points_ += sequence(node, field).size();
    if (points_ > ScenarioParser::kMaxPoints) {
      fail(
        node, field,
        fmt::format("more than {} points and poses in the scenario", ScenarioParser::kMaxPoints));
    }
  }

  bool boolean(const YAML::Node & node, const std::string & field)
  {
    bool value = false;
    if (!node.IsScalar() || !YAML::convert<bool>::decode(node, value)) {
      fail(node, field, "expected true or false" + found(node));
    }
    return value;
  }

  static std::string found(const YAML::Node & node)
  {
    constexpr std::size_t kShown = 40;
    if (!node.IsScalar()) {
      return ", not " + kindOf(node);
    }
    const auto value = node.as<std::string>();
    return ", not '" + (value.size() > kShown ? value.substr(0, kShown) + "..." : value) + "'";
  }

  void checkJobNames(const Scenario & scenario)
  {
    std::set<std::string> names;
    for (const auto & step : scenario.steps) {
      if (const auto * job = std::get_if<JobStep>(&step)) {
        addName(job->name, job->line, names);
      } else if (const auto * forwarded = std::get_if<ForwardedGoalStep>(&step)) {
        addName(forwarded->name, forwarded->line, names);
      } else if (const auto * cancel = std::get_if<CancelStep>(&step)) {
        requireName(cancel->job, cancel->line, names, "cancel");
      } else if (const auto * wait_for = std::get_if<WaitForStep>(&step)) {
        requireName(wait_for->job, wait_for->line, names, "wait_for");
      }
    }
  }

  void addName(const std::string & name, int line, std::set<std::string> & names)
  {
    if (!names.insert(name).second) {
      throw ScenarioError(file_, line, "name", "job name '" + name + "' is used twice");
    }
  }

  void requireName(
    const std::string & name, int line, const std::set<std::string> & names,
    const std::string & field)
  {
    if (names.count(name) == 0) {
      throw ScenarioError(file_, line, field, "no job named '" + name + "' before this step");
    }
  }

  [[noreturn]] void fail(
    const YAML::Node & node, const std::string & field, const std::string & what)
  {
    throw ScenarioError(file_, lineOf(node), field, what);
  }

  std::string file_;
  std::size_t points_ = 0;
};

class FileDescriptor
{
public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor()
  {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  FileDescriptor(const FileDescriptor &) = delete;
  FileDescriptor & operator=(const FileDescriptor &) = delete;
  int get() const { return fd_; }

private:
  int fd_;
};

std::string tooLarge(std::uintmax_t bytes)
{
  return fmt::format(
    "larger than {} MiB ({} bytes): not a scenario", ScenarioParser::kMaxFileBytes / (1024 * 1024),
    bytes);
}

}  // namespace

ScenarioError::ScenarioError(
  const std::string & file, int line, const std::string & field, const std::string & what)
: std::runtime_error(file + ":" + std::to_string(line) + ": " + field + ": " + what),
  file_(file),
  line_(line),
  field_(field)
{
}

Scenario ScenarioParser::parseFile(const std::string & path)
{
  // Not blocking: opening a named pipe would otherwise wait for a writer.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info
  {
  };
  if (file.get() < 0 || ::fstat(file.get(), &info) != 0) {
    throw ScenarioError(path, 0, "file", "cannot be read");
  }
  if (S_ISDIR(info.st_mode)) {
    throw ScenarioError(path, 0, "file", "is a directory, not a scenario file");
  }
  if (!S_ISREG(info.st_mode)) {
    throw ScenarioError(path, 0, "file", "not a regular file (a device, pipe or socket)");
  }
  const auto size = static_cast<std::uintmax_t>(info.st_size);
  if (size > kMaxFileBytes) {
    throw ScenarioError(path, 0, "file", tooLarge(size));
  }
  // The file may grow while it is read: never past the limit.
  std::string text(static_cast<std::size_t>(kMaxFileBytes) + 1, '\0');
  std::size_t length = 0;
  while (length < text.size()) {
    const ssize_t got = ::read(file.get(), text.data() + length, text.size() - length);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      throw ScenarioError(path, 0, "file", "cannot be read");
    }
    if (got == 0) {
      break;
    }
    length += static_cast<std::size_t>(got);
  }
  if (length > kMaxFileBytes) {
    throw ScenarioError(path, 0, "file", tooLarge(length));
  }
  text.resize(length);
  return parseText(text, path);
}

Scenario ScenarioParser::parseText(const std::string & text, const std::string & file)
{
  std::vector<YAML::Node> documents;
  try {
    documents = YAML::LoadAll(text);
  } catch (const YAML::ParserException & error) {
    throw ScenarioError(file, error.mark.line + 1, "yaml", error.msg);
  }
  if (documents.size() > 1) {
    throw ScenarioError(
      file, lineOf(documents[1]), "yaml", "a scenario file holds one YAML document, not several");
  }
  const YAML::Node root = documents.empty() ? YAML::Node() : documents.front();
  try {
    return Reader(file).scenario(root);
  } catch (const YAML::Exception & error) {
    // Every value is checked before it is converted; this is the last line of defence.
    throw ScenarioError(file, error.mark.line + 1, "yaml", error.msg);
  }
}

}  // namespace velmoran_nav2_sim
