#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# Options: --werror            treat compiler warnings as errors
#          --sanitizer KIND    build with thread or address sanitizer (in build-KIND)
#          --labels REGEX      run only the tests whose label matches
#          --targets "A B"     build only these targets (and what they need)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
werror=OFF
sanitizer=""
labels=""
targets=""
while (($#)); do
  case "$1" in
    --werror) werror=ON ;;
    --sanitizer) sanitizer="$2"; shift ;;
    --labels) labels="$2"; shift ;;
    --targets) targets="$2"; shift ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done

"$root/scripts/install-deps.sh"
build="$root/build${sanitizer:+-$sanitizer}"
cmake_arguments=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORAN_WERROR="$werror"
  -DVELMORAN_SANITIZER="$sanitizer")
# The compiler cache in its default place, so that later runs in this checkout reuse it.
if command -v ccache > /dev/null; then
  cmake_arguments+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Benchmarks are not run here; a sanitizer tree leaves them out (the plain tree still builds them).
if [[ -n "$sanitizer" ]]; then
  cmake_arguments+=(-DVELMORAN_BUILD_BENCHMARKS=OFF)
fi
BUILD_TARGETS="$targets" "$root/scripts/build.sh" "$build" "${cmake_arguments[@]}"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" ${labels:+-L "$labels"}
