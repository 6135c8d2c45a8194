# Tests of capture and MP3 encoding.
set(lame_dll ${QB_DEPS_PREFIX}/bin/lame_enc.dll)

# Console program that records with the real engines; the sound test drives it.
add_executable(capture_probe capture_probe.cpp)
target_link_libraries(capture_probe PRIVATE recorder_core)
add_custom_command(TARGET capture_probe POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${lame_dll} $<TARGET_FILE_DIR:capture_probe>)

# Sound tests on the real sound path; they share the one null sink (RESOURCE_LOCK sound).
foreach(case tone listener stop_partial kill no_device bad_target no_library)
  add_test(NAME capture_sound.${case}
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/capture_sound_test.sh $<TARGET_FILE:capture_probe> ${case})
  set_tests_properties(capture_sound.${case} PROPERTIES
    LABELS audio
    RESOURCE_LOCK sound
    TIMEOUT 120
    FAIL_REGULAR_EXPRESSION "FAIL:")
endforeach()
# Taking the sink away would break any other test that uses sound meanwhile.
set_tests_properties(capture_sound.no_device PROPERTIES RUN_SERIAL TRUE)
