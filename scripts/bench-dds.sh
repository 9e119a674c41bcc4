#!/usr/bin/env bash
# Round trips to another process over DDS: our transport (bench_dds_round_trip) against Cyclone
# DDS's own ddsperf ping/pong, at 64 B and 64 KiB, in one private network namespace with only
# loopback. Prints both medians side by side with their ratio, the context switches of the
# measuring process per round trip on each side, and our action round trip.
# ddsperf runs twice per size: answering in its listener (Cyclone's receive thread; the goal
# is our median within 1.5x of this one) and from a waitset thread, which hands each sample to a
# thread of its own as our executor does.
# Needs root (unshare -n) and ddsperf, from Debian's cyclonedds-tools:
#   apt-get install cyclonedds-tools
# Usage: scripts/bench-dds.sh [build-dir]   (default: build; SECONDS_PER_RUN=5 by default)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
seconds="${SECONDS_PER_RUN:-5}"
bench="$build/embedded_ros/rclcpp/bench/bench_dds_round_trip"

if [[ -z "${BENCH_DDS_NETNS:-}" ]]; then
  command -v ddsperf >/dev/null || { echo "ddsperf not found: apt-get install cyclonedds-tools" >&2; exit 1; }
  [[ -x "$bench" ]] || { echo "$bench not built: cmake --build $build --target bench_dds_round_trip" >&2; exit 1; }
  exec unshare -n env BENCH_DDS_NETNS=1 SECONDS_PER_RUN="$seconds" "$0" "$build"
fi
ip link set lo up

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The same loopback-only, unicast configuration our transport uses under ROS_LOCALHOST_ONLY=1.
export CYCLONEDDS_URI='<CycloneDDS><Domain><General><Interfaces><NetworkInterface address="127.0.0.1"/></Interfaces><AllowMulticast>false</AllowMulticast></General><Discovery><ParticipantIndex>auto</ParticipantIndex><MaxAutoParticipantIndex>120</MaxAutoParticipantIndex><Peers><Peer address="127.0.0.1"/></Peers></Discovery></Domain></CycloneDDS>'

# ddsperf prints, once a second, the round trips of that second and its own context switches:
#   [pid] 3.001  host:pid size 64 mean 27.9us min 12.0us 50% 14.7us 90% 19.3us 99% 63.4us max ...
#   [pid] 3.001  rss:7.9MB vcsw:9268 ivcsw:9995 ...
# The first second (discovery, warm-up) is left out; the figure is the median over the others of
# each second's median (50%) and 99th percentile, and their switches over their round trips.
# Triggering: "listener" answers in Cyclone's receive thread; "waitset" hands each sample to a
# thread of its own, as an executor does.
ddsperf_round_trip() {
  local size="$1" trigger="$2"
  ddsperf -D $((seconds + 3)) pong "$trigger" >"$work/pong.log" 2>&1 &
  local pong=$!
  ddsperf -D "$((seconds + 1))" ping size "$size" "$trigger" >"$work/ping-$size.log" 2>&1 || true
  kill "$pong" 2>/dev/null || true
  wait "$pong" 2>/dev/null || true
  python3 - "$work/ping-$size.log" <<'PY'
import re, statistics, sys
log = open(sys.argv[1]).read().splitlines()
lines = [l for l in log if re.search(r" size \d+ mean ", l)][1:]
def column(name):
    return [float(re.search(re.escape(name) + r" ([0-9.]+)us", l).group(1)) for l in lines]
if not lines:
    print("nan nan 0 nan")
else:
    seconds = {l.split()[1] for l in lines}
    counts = sum(int(re.search(r" cnt (\d+)", l).group(1)) for l in lines)
    switches = sum(
        int(m.group(1)) + int(m.group(2)) for l in log if l.split()[1:2] and l.split()[1] in seconds
        for m in [re.search(r" vcsw:(\d+) ivcsw:(\d+)", l)] if m)
    print(statistics.median(column("50%")), statistics.median(column("99%")), counts,
          switches / counts)
PY
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
ddsperf_figures=()
for trigger in listener waitset; do
  for size in 64 64KiB; do
    read -r median p99 count switches < <(ddsperf_round_trip "$size" "$trigger")
    ddsperf_figures+=("$trigger" "$size" "$median" "$p99" "$count" "$switches")
  done
done

# Our transport builds the same configuration itself from ROS_LOCALHOST_ONLY=1.
env -u CYCLONEDDS_URI "$bench" --benchmark_min_time="$seconds" --benchmark_out="$work/ours.json" \
  --benchmark_out_format=json >"$work/ours.log" 2>&1 || { cat "$work/ours.log" >&2; exit 1; }
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$work/ours.json" "${ddsperf_figures[@]}" <<'PY'
import json, sys
ours = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
figures = sys.argv[2:]
theirs = {(figures[i], figures[i + 1]): figures[i + 2:i + 6] for i in range(0, len(figures), 6)}
print()
print("A round trip ends where the echo's callback starts on the executor's thread, as ddsperf's")
print("ends in the listener or waitset thread that receives the pong. 'switches' are the context")
print("switches per round trip of the measuring process (ours, or ddsperf ping).")
print("round trip, us  |  ours median      p99    count switches | ddsperf        median      p99    count switches | ratio")
for size, ddsperf_size, label in (("64", "64", "64 B"), ("65536", "64KiB", "64 KiB")):
    mine = ours["BM_TopicRoundTrip/%s/real_time" % size]
    for trigger in ("listener", "waitset"):
        median, p99, count, switches = theirs[(trigger, ddsperf_size)]
        median, p99, count, switches = float(median), float(p99), int(count), float(switches)
        print("topic %-9s | %11.1f %8.1f %8d %8.2f | ping %-8s %8.1f %8.1f %8d %8.2f | %5.2fx" % (
            label, mine["median_us"], mine["p99_us"], mine["iterations"],
            mine["switches_per_round_trip"], trigger, median, p99, count, switches,
            mine["median_us"] / median))
action = ours["BM_ActionRoundTrip/real_time"]
print("action Planner  | %11.1f %8.1f %8d %8.2f |" % (
    action["median_us"], action["p99_us"], action["iterations"],
    action["switches_per_round_trip"]))
PY
