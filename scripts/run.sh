#!/usr/bin/env bash
# Installs what is missing, builds everything and plays the default scenario:
# the real decision node driving a simulated robot through a tour of jobs.
# Arguments go to the scenario runner: another scenario file, --time-factor F, --plot FILE.svg.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

runner="$root/build/velmoran_nav2_sim/velmoran_nav2_sim_runner"
echo
echo "Playing the default scenario (velmoran_nav2_sim/scenarios/tour.yaml) ..."
if [ "$#" -eq 0 ]; then
  exec "$runner" --plot "$root/build/sim/tour.svg"
fi
exec "$runner" "$@"
