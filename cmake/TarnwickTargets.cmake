# Helpers shared by the project's targets.

# Warnings for the project's own code only (third-party code builds with its own flags).
function(tarnwick_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# tarnwick_library(name SOURCES ... DEPS ...): one library per source folder.
function(tarnwick_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;SYSTEM_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_SYSTEM_LIBS})
  tarnwick_warnings(${name})
endfunction()

# How long each test program ran, in seconds, in one run of all of them on a busy machine.
# ctest starts the costliest first, so that a long program does not run on alone at the
# end of a run (those that must run alone go first, while nothing else runs); once ctest
# has timed a run of its own it orders by those times instead.
set(TARNWICK_TEST_COSTS
  engine_tests=687
  engine_flood_tests=900
  package_install_uninstall=493
  client_e2e_tests=215
  browser_host_tests=162
  ui_render_tests=93
  runtime_tests=82
  ui_core_tests=75
  ui_controls_tests=73
  app_tests=32
  skintool_tests=31
  wine_run_side_by_side=29
  entry_engine_tests=20
  ui_services_tests=9)

# tarnwick_test_cost(name): gives a test its COST from TARNWICK_TEST_COSTS.
function(tarnwick_test_cost name)
  foreach(entry ${TARNWICK_TEST_COSTS})
    if(entry MATCHES "^${name}=([0-9]+)$")
      set_tests_properties(${name} PROPERTIES COST ${CMAKE_MATCH_1})
    endif()
  endforeach()
endfunction()

# tarnwick_test(name SOURCES ... DEPS ...): one GoogleTest program per subsystem folder,
# run by ctest under Wine.
function(tarnwick_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  # Where the test data is when a program is started by hand, outside ctest.
  target_compile_definitions(${name} PRIVATE
    "TARNWICK_SOURCE_TEST_DATA=L\"${PROJECT_SOURCE_DIR}/tests/data\"")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  tarnwick_warnings(${name})
  # Tests call weak callbacks bound to objects they have just deleted, which is what the
  # callbacks are for; GCC cannot see that the flag check guards the dangling pointer.
  target_compile_options(${name} PRIVATE -Wno-use-after-free)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    # A hung message loop fails the run instead of stalling it.
    TIMEOUT 300
    ENVIRONMENT "TARNWICK_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
  tarnwick_test_cost(${name})
endfunction()

# tarnwick_bench(name SOURCES ... DEPS ...): a benchmark program that prints its figures.
function(tarnwick_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  # Benchmarks share the tests' window helpers.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/bench ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  tarnwick_warnings(${name})
endfunction()

# tarnwick_executables_in(directory out): the executables defined in a source folder and the
# folders below it.
function(tarnwick_executables_in directory out)
  set(found)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      list(APPEND found ${target})
    endif()
  endforeach()
  get_property(folders DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(folder ${folders})
    tarnwick_executables_in(${folder} below)
    list(APPEND found ${below})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# tarnwick_application_manifest(target): compiles the application manifest into a program,
# so that Windows runs it DPI-aware, as the invoking user and with the current common
# controls.
function(tarnwick_application_manifest target)
  set(rc ${CMAKE_BINARY_DIR}/application_manifest.rc)
  set(TARNWICK_MANIFEST ${PROJECT_SOURCE_DIR}/cmake/application.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/application_manifest.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # windres does not see the manifest as a dependency of the resource script.
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/application.manifest)
endfunction()
