# The tests of TADMacros; included from tests/ads/CMakeLists.txt.
tad_add_test(ads_utility_macros_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TADMacrosTest.cpp
  LIBS tad_ads_utility_macros)
