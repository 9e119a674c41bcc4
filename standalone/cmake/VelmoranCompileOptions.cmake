set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

option(VELMORAN_WERROR "Treat compiler warnings as errors" OFF)
set(VELMORAN_SANITIZER "" CACHE STRING "Build with a sanitizer: thread or address")

add_compile_options(-Wall -Wextra -Wpedantic)
if(VELMORAN_WERROR)
  add_compile_options(-Werror)
endif()

if(VELMORAN_SANITIZER STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(VELMORAN_SANITIZER STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer)
  # With AddressSanitizer, GCC 12 reports false "may be used uninitialized" warnings inside
  # libstdc++'s <regex>: constructing any std::regex with a group is enough.
  add_compile_options(-Wno-maybe-uninitialized)
  add_link_options(-fsanitize=address,undefined)
elseif(NOT VELMORAN_SANITIZER STREQUAL "")
  message(FATAL_ERROR "VELMORAN_SANITIZER must be empty, 'thread' or 'address', not '${VELMORAN_SANITIZER}'")
endif()

find_package(Threads REQUIRED)
