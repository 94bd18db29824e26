# tad_add_gui_test(<name> SOURCES <files...> LIBS <targets...>)
# A GoogleTest executable whose cases need a display: each runs under its own Xvfb (xvfb-run),
# one at a time, with the label "gui".
find_program(TAD_XVFB_RUN xvfb-run REQUIRED)
function(tad_add_gui_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE TAD_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  set_target_properties(${name} PROPERTIES
    CROSSCOMPILING_EMULATOR "${TAD_XVFB_RUN};-a;-s;-screen 0 1280x1024x24")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
    PROPERTIES LABELS gui RESOURCE_LOCK xvfb TIMEOUT 60)
endfunction()
