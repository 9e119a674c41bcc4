#!/usr/bin/env bash
# Configures and builds the whole repository without ROS 2.
# Usage: [BUILD_TARGETS="a b"] scripts/build.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
shift || true
cmake -S "$root/standalone" -B "$build" -G Ninja "$@"
# shellcheck disable=SC2086
cmake --build "$build" -j"$(nproc)" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
