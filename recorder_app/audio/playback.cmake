# Reading, decoding and playback of MP3 clips: appended to the `audio` library.
list(APPEND audio_sources
  ${CMAKE_CURRENT_LIST_DIR}/frame_header.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_reader_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/clip_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pcm_accumulator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mp3_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/playback_loop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wave_out_api.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wave_output.cpp
  ${CMAKE_CURRENT_LIST_DIR}/clip_player.cpp
  ${CMAKE_CURRENT_LIST_DIR}/clip_player_worker.cpp)

# libmpg123, cross-built statically by scripts/build-deps.
if(NOT TARGET deps_mpg123)
  add_library(deps_mpg123 INTERFACE)
  target_include_directories(deps_mpg123 SYSTEM INTERFACE ${QB_DEPS_PREFIX}/include)
  target_link_libraries(deps_mpg123 INTERFACE ${QB_DEPS_PREFIX}/lib/libmpg123.a shlwapi)
endif()
# The player's worker runs inside the crash guard (runtime).
list(APPEND audio_libraries deps_mpg123 runtime)
