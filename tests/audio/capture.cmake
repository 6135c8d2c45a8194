# Tests of capture and MP3 encoding.
set(lame_dll ${QB_DEPS_PREFIX}/bin/lame_enc.dll)

# Console program that records with the real engines; the sound test drives it.
add_executable(capture_probe capture_probe.cpp)
target_link_libraries(capture_probe PRIVATE recorder_core)
add_custom_command(TARGET capture_probe POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${lame_dll} $<TARGET_FILE_DIR:capture_probe>)
