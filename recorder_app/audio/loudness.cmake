# Loudness measurement and the lossless change of level: appended to the `audio` library.
list(APPEND audio_sources
  ${CMAKE_CURRENT_LIST_DIR}/global_gain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/true_peak.cpp
  ${CMAKE_CURRENT_LIST_DIR}/loudness_meter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/even_out_plan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/even_out_writer.cpp)

# libebur128, cross-built statically by scripts/build-deps.
if(NOT TARGET deps_ebur128)
  add_library(deps_ebur128 INTERFACE)
  target_include_directories(deps_ebur128 SYSTEM INTERFACE ${QB_DEPS_PREFIX}/include)
  target_link_libraries(deps_ebur128 INTERFACE ${QB_DEPS_PREFIX}/lib/libebur128.a)
endif()
list(APPEND audio_libraries deps_ebur128)
