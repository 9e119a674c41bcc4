#!/usr/bin/env bash
# Configures and builds the whole repository without ROS 2.
# Usage: scripts/build.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
shift || true
cmake -S "$root/standalone" -B "$build" -G Ninja "$@"
cmake --build "$build" -j"$(nproc)"
