# Third-party dependencies, found the same way in every build so subsystems link one set of names:
#   orvane::json          nlohmann/json (header only)
#   orvane::gtest_main    GoogleTest with main(), plus orvane::gmock
#   benchmark::benchmark  Google Benchmark (benchmarks only)

# --- nlohmann/json -----------------------------------------------------------------------------
if(CMAKE_CROSSCOMPILING)
  # The package's CMake config adds /usr/include, where the cross compiler would pick up glibc's
  # headers. Expose only the nlohmann folder, through a symlink in the build tree.
  set(ORVANE_JSON_INCLUDE "/usr/include" CACHE PATH "Folder that holds nlohmann/json.hpp")
  set(json_shim "${CMAKE_BINARY_DIR}/third_party/json/include")
  file(MAKE_DIRECTORY "${json_shim}")
  file(CREATE_LINK "${ORVANE_JSON_INCLUDE}/nlohmann" "${json_shim}/nlohmann" SYMBOLIC)
  add_library(orvane_json INTERFACE)
  target_include_directories(orvane_json SYSTEM INTERFACE "${json_shim}")
else()
  find_package(nlohmann_json 3.11 REQUIRED)
  add_library(orvane_json INTERFACE)
  target_link_libraries(orvane_json INTERFACE nlohmann_json::nlohmann_json)
endif()
add_library(orvane::json ALIAS orvane_json)

# --- GoogleTest --------------------------------------------------------------------------------
if(ORVANE_BUILD_TESTS)
  set(ORVANE_GOOGLETEST_SOURCE "" CACHE PATH
      "GoogleTest source tree to build in-tree (cross builds); empty means find_package(GTest)")
  if(ORVANE_GOOGLETEST_SOURCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory("${ORVANE_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/third_party/googletest"
                     EXCLUDE_FROM_ALL SYSTEM)
    add_library(orvane::gtest_main ALIAS gtest_main)
    add_library(orvane::gmock ALIAS gmock)
  else()
    find_package(GTest REQUIRED)
    add_library(orvane_gtest_main INTERFACE)
    target_link_libraries(orvane_gtest_main INTERFACE GTest::gtest_main GTest::gtest)
    add_library(orvane::gtest_main ALIAS orvane_gtest_main)
    add_library(orvane_gmock INTERFACE)
    target_link_libraries(orvane_gmock INTERFACE GTest::gmock)
    add_library(orvane::gmock ALIAS orvane_gmock)
  endif()
  include(GoogleTest)
endif()

# --- Google Benchmark --------------------------------------------------------------------------
if(ORVANE_BUILD_BENCHMARKS)
  find_package(benchmark REQUIRED)
endif()

# orvane_add_test(NAME name SOURCES ... LIBS ... [PROPERTIES ...]): one GoogleTest executable,
# registered with CTest test by test. Discovery runs when the tests run, so it also works through
# the Wine emulator. PROPERTIES are extra CTest properties for every test of the executable.
# Suites that use the one desktop all test processes share (injected input, low-level hooks, the
# clipboard, top-level windows) take `RESOURCE_LOCK shared_desktop`, so CTest runs them one at a
# time and one suite's hook never sees another suite's input.
function(orvane_add_test)
  cmake_parse_arguments(arg "" "NAME" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${arg_NAME} ${arg_SOURCES})
  orvane_warnings(${arg_NAME})
  target_link_libraries(${arg_NAME} PRIVATE ${arg_LIBS} orvane::gmock orvane::gtest_main)
  gtest_discover_tests(${arg_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES TIMEOUT 300 ${arg_PROPERTIES})
endfunction()
