# C++ message types generated from .msg/.srv/.action files with Debian's rosidl
# generator, the same files that rosidl_generate_interfaces uses under colcon,
# and their C++ introspection type support (the field tables a serialiser walks).

set(VELMORAN_ROSIDL_PYTHON /usr/bin/python3 CACHE FILEPATH "Python interpreter with the rosidl modules")
find_program(VELMORAN_ROSIDL rosidl PATHS /usr/bin REQUIRED)
find_path(VELMORAN_ROSIDL_RUNTIME_CPP_INCLUDE rosidl_runtime_cpp/traits.hpp
  PATH_SUFFIXES rosidl_runtime_cpp REQUIRED)
find_path(VELMORAN_ROSIDL_RUNTIME_C_INCLUDE rosidl_runtime_c/message_initialization.h
  PATH_SUFFIXES rosidl_runtime_c REQUIRED)
find_path(VELMORAN_ROSIDL_TYPESUPPORT_INTERFACE_INCLUDE rosidl_typesupport_interface/macros.h
  PATH_SUFFIXES rosidl_typesupport_interface REQUIRED)
find_path(VELMORAN_ROSIDL_INTROSPECTION_CPP_INCLUDE
  rosidl_typesupport_introspection_cpp/message_introspection.hpp
  PATH_SUFFIXES rosidl_typesupport_introspection_cpp REQUIRED)
find_path(VELMORAN_ROSIDL_INTROSPECTION_C_INCLUDE
  rosidl_typesupport_introspection_c/field_types.h
  PATH_SUFFIXES rosidl_typesupport_introspection_c REQUIRED)
find_library(VELMORAN_ROSIDL_INTROSPECTION_CPP_LIBRARY
  NAMES librosidl_typesupport_introspection_cpp.a rosidl_typesupport_introspection_cpp REQUIRED)
find_library(VELMORAN_ROSIDL_RUNTIME_C_LIBRARY rosidl_runtime_c REQUIRED)
set(VELMORAN_ROSIDL_OUTPUT "${CMAKE_BINARY_DIR}/rosidl_generated")

# Headers and libraries that code walking introspection type support needs.
add_library(velmoran_rosidl_introspection_runtime INTERFACE)
target_include_directories(velmoran_rosidl_introspection_runtime SYSTEM INTERFACE
  "${VELMORAN_ROSIDL_INTROSPECTION_CPP_INCLUDE}" "${VELMORAN_ROSIDL_INTROSPECTION_C_INCLUDE}"
  "${VELMORAN_ROSIDL_RUNTIME_CPP_INCLUDE}" "${VELMORAN_ROSIDL_RUNTIME_C_INCLUDE}"
  "${VELMORAN_ROSIDL_TYPESUPPORT_INTERFACE_INCLUDE}")
target_link_libraries(velmoran_rosidl_introspection_runtime INTERFACE
  ${VELMORAN_ROSIDL_INTROSPECTION_CPP_LIBRARY} ${VELMORAN_ROSIDL_RUNTIME_C_LIBRARY})
set(VELMORAN_ROSIDL_INTROSPECTION_OUTPUT "${CMAKE_BINARY_DIR}/rosidl_generated_introspection_cpp")

# Same rule as rosidl's convert_camel_case_to_lower_case_underscore.
function(_velmoran_rosidl_file_stem type_name out_var)
  string(REGEX REPLACE "(.)([A-Z][a-z]+)" "\\1_\\2" stem "${type_name}")
  string(REGEX REPLACE "([a-z0-9])([A-Z])" "\\1_\\2" stem "${stem}")
  string(TOLOWER "${stem}" stem)
  set(${out_var} "${stem}" PARENT_SCOPE)
endfunction()

# velmoran_generate_interfaces(<package> FILES <msg/A.msg srv/B.srv action/C.action ...>
#                              [DEPENDENCIES <interface packages...>])
# Creates the INTERFACE target <package> carrying the generated headers, and the
# library <package>__rosidl_typesupport_introspection_cpp with the introspection
# type support of every type (rosidl_typesupport_introspection_cpp::
# get_message_type_support_handle<T>() and get_service_type_support_handle<T>()).
function(velmoran_generate_interfaces package)
  cmake_parse_arguments(ARG "" "" "FILES;DEPENDENCIES" ${ARGN})
  set(package_output "${VELMORAN_ROSIDL_OUTPUT}/${package}")
  set(introspection_output "${VELMORAN_ROSIDL_INTROSPECTION_OUTPUT}/${package}")
  set(inputs)
  set(outputs)
  set(introspection_sources)
  set(dependencies ${ARG_DEPENDENCIES})
  foreach(file IN LISTS ARG_FILES)
    get_filename_component(kind "${file}" DIRECTORY)
    get_filename_component(type_name "${file}" NAME_WE)
    _velmoran_rosidl_file_stem("${type_name}" stem)
    list(APPEND inputs "${CMAKE_CURRENT_SOURCE_DIR}/${file}")
    list(APPEND outputs
      "${package_output}/${kind}/${stem}.hpp"
      "${package_output}/${kind}/detail/${stem}__struct.hpp"
      "${package_output}/${kind}/detail/${stem}__builder.hpp"
      "${package_output}/${kind}/detail/${stem}__traits.hpp")
    list(APPEND introspection_sources
      "${introspection_output}/${kind}/detail/${stem}__type_support.cpp")
    if(kind STREQUAL "action")
      list(APPEND dependencies action_msgs unique_identifier_msgs builtin_interfaces)
    endif()
  endforeach()
  list(REMOVE_DUPLICATES dependencies)
  list(TRANSFORM ARG_FILES PREPEND "${CMAKE_CURRENT_SOURCE_DIR}:" OUTPUT_VARIABLE file_arguments)

  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E rm -rf "${package_output}"
    COMMAND ${VELMORAN_ROSIDL_PYTHON} ${VELMORAN_ROSIDL} generate -t cpp -o "${package_output}"
            ${package} ${file_arguments} > "${package_output}.log"
    DEPENDS ${inputs}
    COMMENT "Generating C++ interfaces of ${package}"
    VERBATIM)
  add_custom_command(
    OUTPUT ${introspection_sources}
    COMMAND ${CMAKE_COMMAND} -E rm -rf "${introspection_output}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${introspection_output}"
    COMMAND ${VELMORAN_ROSIDL_PYTHON} ${VELMORAN_ROSIDL} generate -ts introspection_cpp
            -o "${introspection_output}" ${package} ${file_arguments}
            > "${introspection_output}.log"
    DEPENDS ${inputs}
    COMMENT "Generating C++ introspection type support of ${package}"
    VERBATIM)
  add_custom_target(${package}__rosidl_generate DEPENDS ${outputs})

  add_library(${package} INTERFACE)
  target_include_directories(${package} SYSTEM INTERFACE
    "${VELMORAN_ROSIDL_OUTPUT}"
    "${VELMORAN_ROSIDL_RUNTIME_CPP_INCLUDE}" "${VELMORAN_ROSIDL_RUNTIME_C_INCLUDE}"
    "${VELMORAN_ROSIDL_TYPESUPPORT_INTERFACE_INCLUDE}")
  target_link_libraries(${package} INTERFACE ${dependencies})
  # Every user of the types gets their type support too: rclcpp's publishers and
  # subscriptions hand it to the transport.
  target_link_libraries(${package} INTERFACE ${package}__rosidl_typesupport_introspection_cpp)
  add_dependencies(${package} ${package}__rosidl_generate)
  foreach(dependency IN LISTS dependencies)
    add_dependencies(${package}__rosidl_generate ${dependency}__rosidl_generate)
  endforeach()

  set(introspection ${package}__rosidl_typesupport_introspection_cpp)
  add_library(${introspection} STATIC ${introspection_sources})
  set_target_properties(${introspection} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_include_directories(${introspection} SYSTEM PUBLIC
    "${VELMORAN_ROSIDL_INTROSPECTION_OUTPUT}" "${VELMORAN_ROSIDL_OUTPUT}")
  target_link_libraries(${introspection} PUBLIC velmoran_rosidl_introspection_runtime)
  add_dependencies(${introspection} ${package}__rosidl_generate)
  foreach(dependency IN LISTS dependencies)
    target_link_libraries(${introspection} PUBLIC ${dependency}__rosidl_typesupport_introspection_cpp)
  endforeach()
endfunction()
