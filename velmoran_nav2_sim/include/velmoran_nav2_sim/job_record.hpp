#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmoran_nav2_sim/geometry.hpp"
#include "velmoran_nav2_sim/scenario.hpp"

namespace velmoran_nav2_sim
{

/// One job of a scenario run: what was asked, what came back, what the robot did.
struct JobRecord
{
  /// 1-based; also the job's action id and the tag of its trajectory.
  int number = 0;
  std::string name;
  /// "planner", "goal_pose" or "navigate_to_pose".
  std::string input;
  int32_t run_mode = 0;
  JobExpectation expect;

  std::vector<Pose2D> goals;
  std::vector<Polygon2D> zones;
  Polygon2D lift_car;

  bool finished = false;
  /// "succeeded", "aborted", "canceled", "failed" (lost_because says why), or "no result".
  std::string outcome = "no result";
  /// Still running when the run was interrupted (and then cancelled).
  bool interrupted = false;
  /// Why the job failed without a result from the node (its process exited), if it did.
  std::string lost_because;
  int32_t err_num = 0;
  int32_t index = 0;
  std::string message;
  double cleaned_area = 0.0;
  std::vector<Polygon2D> residues;
  double sim_start = 0.0;
  double sim_end = 0.0;
  double distance = 0.0;

  /// What differs from the expectation, one text each; empty when the job ended as expected or
  /// was interrupted.
  std::vector<std::string> mismatches() const;
  /// The outcome as reports show it: "interrupted" for an interrupted job.
  std::string shownOutcome() const;
};

}  // namespace velmoran_nav2_sim
