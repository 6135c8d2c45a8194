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

# Unit tests against a scripted device and a scripted encoder library, which sits beside
# the test program as lame_enc.dll (its own folder, away from the real one).
set(scripted_dir ${CMAKE_CURRENT_BINARY_DIR}/scripted)
add_library(fake_lame_enc SHARED fake_lame_enc.cpp)
set_target_properties(fake_lame_enc PROPERTIES
  OUTPUT_NAME lame_enc PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${scripted_dir}
  ARCHIVE_OUTPUT_DIRECTORY ${scripted_dir})
add_executable(capture_unit_tests
  capture_devices_test.cpp
  capture_engine_test.cpp
  encoder_config_test.cpp
  encoder_stream_test.cpp
  encoder_test_support.cpp
  fake_wave_in.cpp
  sound_recorder_test.cpp)
set_target_properties(capture_unit_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${scripted_dir})
target_link_libraries(capture_unit_tests PRIVATE recorder_core gtest_main)
add_dependencies(capture_unit_tests fake_lame_enc)
gtest_discover_tests(capture_unit_tests
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 60
  PROPERTIES LABELS audio TIMEOUT 60)

# The encoder benchmark's program (scripts/bench.d/encoder.sh), beside the real library.
add_executable(encoder_bench encoder_bench.cpp)
target_link_libraries(encoder_bench PRIVATE recorder_core)
add_dependencies(encoder_bench capture_probe)

# The same library without beCloseStream, beside a test of its own.
set(incomplete_dir ${CMAKE_CURRENT_BINARY_DIR}/incomplete)
add_library(fake_lame_enc_incomplete SHARED fake_lame_enc.cpp)
target_compile_definitions(fake_lame_enc_incomplete PRIVATE FAKE_ENCODER_WITHOUT_CLOSE)
set_target_properties(fake_lame_enc_incomplete PROPERTIES
  OUTPUT_NAME lame_enc PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${incomplete_dir}
  ARCHIVE_OUTPUT_DIRECTORY ${incomplete_dir})
add_executable(encoder_incomplete_tests encoder_incomplete_test.cpp encoder_test_support.cpp)
set_target_properties(encoder_incomplete_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${incomplete_dir})
target_link_libraries(encoder_incomplete_tests PRIVATE recorder_core gtest_main)
add_dependencies(encoder_incomplete_tests fake_lame_enc_incomplete)
gtest_discover_tests(encoder_incomplete_tests
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 60
  PROPERTIES LABELS audio TIMEOUT 60)
