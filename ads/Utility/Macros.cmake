# TADMacros, the JSON shorthands; included from ads/CMakeLists.txt.
add_library(tad_ads_utility_macros ${CMAKE_CURRENT_LIST_DIR}/TADMacros.cpp)
target_include_directories(tad_ads_utility_macros PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tad_ads_utility_macros PUBLIC tad_base PRIVATE tad_json)
