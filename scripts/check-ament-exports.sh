#!/usr/bin/env bash
# Builds and installs the packages through their own CMake files the way colcon does on ROS 2
# Humble (the ament branch), against stand-in configs of the ROS packages that offer the embedded
# ones, then builds a small consumer package that finds them with find_package and links the
# node's libraries, the simple action server and the child-process library through the exported
# targets. A broken export (an imported target its users never get, a library an interface target
# does not pass on) fails.
# Usage: scripts/check-ament-exports.sh [standalone build directory, built already]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
standalone="$(cd "${1:-$root/build}" && pwd)"
work="$standalone/ament-check"
prefix="$work/install"
standins="$work/standins"
rm -rf "$work"
mkdir -p "$standins"

targets_file="$standalone/embedded_ros_targets.cmake"
[[ -f "$targets_file" ]] || { echo "missing $targets_file: build the standalone tree first" >&2; exit 1; }

# Every stand-in reads the embedded packages once.
cat > "$standins/embedded_ros.cmake" <<CMAKE
include_guard(GLOBAL)
include(CMakeFindDependencyMacro)
find_dependency(Threads)
find_dependency(yaml-cpp)
find_dependency(orocos_kdl)
find_dependency(CycloneDDS)
include("$targets_file")
CMAKE

# write_standin <package> <cmake body>
write_standin() {
  mkdir -p "$standins/share/$1/cmake"
  { echo "include(\"$standins/embedded_ros.cmake\")"; echo "set($1_FOUND TRUE)"; echo "$2"; } \
    > "$standins/share/$1/cmake/$1Config.cmake"
}

# Packages that export CMake targets on Humble.
for package in builtin_interfaces unique_identifier_msgs std_msgs geometry_msgs nav_msgs std_srvs \
  action_msgs nav2_msgs rcl_interfaces tf2_msgs lifecycle_msgs behaviortree_cpp_v3 rclcpp \
  rclcpp_lifecycle rclcpp_action tf2 tf2_ros tf2_geometry_msgs velmoran_protocol \
  velmoran_nav2_protocol; do
  write_standin "$package" "set(${package}_TARGETS embedded::$package)
set(${package}_LIBRARIES embedded::$package)
get_target_property(${package}_INCLUDE_DIRS embedded::$package INTERFACE_INCLUDE_DIRECTORIES)"
done
# nav2_util exports plain libraries (nav2_util_LIBRARIES) and no targets, as on Humble.
write_standin nav2_util 'get_target_property(_configurations embedded::nav2_util IMPORTED_CONFIGURATIONS)
list(GET _configurations 0 _configuration)
get_target_property(_library embedded::nav2_util IMPORTED_LOCATION_${_configuration})
get_target_property(nav2_util_INCLUDE_DIRS embedded::nav2_util INTERFACE_INCLUDE_DIRECTORIES)
set(nav2_util_LIBRARIES "${_library}" embedded::rclcpp embedded::tf2_ros embedded::tf2_geometry_msgs
  embedded::geometry_msgs)'
# Humble's vendor package of KDL; Debian's orocos_kdl is found as it is.
write_standin orocos_kdl_vendor ''

# The compiler runs without optimisation or debug information: the check is about CMake. ament's
# templates need Debian's Python, where its ament_package module is.
build_package() {
  local source="$1" name
  name="$(basename "$source")"
  cmake -S "$source" -B "$work/build/$name" -G Ninja -Wno-dev \
    -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS=-O0 -DBUILD_TESTING=OFF \
    -DPython3_EXECUTABLE=/usr/bin/python3 \
    -DCMAKE_PREFIX_PATH="$prefix;$standins" -DCMAKE_INSTALL_PREFIX="$prefix" \
    ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} \
    > "$work/$name.log" 2>&1 || { cat "$work/$name.log" >&2; return 1; }
  cmake --build "$work/build/$name" -j"$(nproc)" >> "$work/$name.log" 2>&1 \
    || { cat "$work/$name.log" >&2; return 1; }
  if [[ "${2:-}" != "--no-install" ]]; then
    cmake --install "$work/build/$name" >> "$work/$name.log" 2>&1 \
      || { cat "$work/$name.log" >&2; return 1; }
  fi
  echo "ament export check: $name built"
}

for package in velmoran_process velmoran_tools velmoran_communicator velmoran_behavior_tree \
  velmoran_nav2_decision velmoran_planner_cli; do
  build_package "$root/$package"
done
build_package "$root/scripts/ament_consumer" --no-install
echo "ament export check: passed"
