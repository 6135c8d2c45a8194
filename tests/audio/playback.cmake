# Tests of MP3 reading, decoding and the clip player. The clips they read are made at test
# time by make_playback_corpus.sh (a CTest fixture); nothing binary is kept in the tree.
set(playback_corpus_dir ${CMAKE_CURRENT_BINARY_DIR}/playback-corpus)
add_test(NAME playback_corpus
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/make_playback_corpus.sh ${playback_corpus_dir})
set_tests_properties(playback_corpus PROPERTIES
  FIXTURES_SETUP playback_corpus LABELS audio TIMEOUT 120)

# Reading and decoding: no sound device involved.
add_executable(playback_tests
  ${CMAKE_CURRENT_LIST_DIR}/frame_header_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pcm_accumulator_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/playback_loop_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/clip_decoding_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/playback_corpus.cpp)
target_link_libraries(playback_tests PRIVATE audio gtest_main)
target_include_directories(playback_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
gtest_discover_tests(playback_tests
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 60
  PROPERTIES
    LABELS audio
    TIMEOUT 120
    FIXTURES_REQUIRED playback_corpus
    ENVIRONMENT "QB_PLAYBACK_CORPUS=${playback_corpus_dir}")

# The player on the real sound path: states and operations...
add_executable(player_tests
  ${CMAKE_CURRENT_LIST_DIR}/clip_player_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fake_wave_out.cpp
  ${CMAKE_CURRENT_LIST_DIR}/playback_corpus.cpp)
target_link_libraries(player_tests PRIVATE audio gtest_main)
target_include_directories(player_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
gtest_discover_tests(player_tests
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 60
  PROPERTIES
    LABELS audio
    TIMEOUT 120
    RESOURCE_LOCK sound
    FIXTURES_REQUIRED playback_corpus
    ENVIRONMENT "QB_PLAYBACK_CORPUS=${playback_corpus_dir}")
# ... with the sound server out of reach, so that there is no output device at all.
add_test(NAME player_no_device
  COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:player_tests>
    --gtest_filter=ClipPlayerNoDevice.*)
set_tests_properties(player_no_device PROPERTIES
  LABELS audio
  TIMEOUT 120
  RESOURCE_LOCK sound
  FIXTURES_REQUIRED playback_corpus
  ENVIRONMENT "QB_PLAYBACK_CORPUS=${playback_corpus_dir};QB_EXPECT_NO_DEVICE=1;PULSE_SERVER=unix:/nonexistent/pulse"
  FAIL_REGULAR_EXPRESSION "SKIPPED|FAILED")

# ... and what it sounds like, recorded from the sink's monitor.
add_executable(player_probe ${CMAKE_CURRENT_LIST_DIR}/player_probe.cpp)
target_link_libraries(player_probe PRIVATE audio)
target_link_options(player_probe PRIVATE -municode)
foreach(case range to_end to_end_all_bits end_below_start mono rate48 joined)
  add_test(NAME player_sound.${case}
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/player_sound_test.sh $<TARGET_FILE:player_probe>
      ${playback_corpus_dir} ${case})
  set_tests_properties(player_sound.${case} PROPERTIES
    LABELS audio
    TIMEOUT 120
    RESOURCE_LOCK sound
    FIXTURES_REQUIRED playback_corpus
    FAIL_REGULAR_EXPRESSION "FAIL:")
endforeach()

# Timings for scripts/bench player.
add_executable(player_bench ${CMAKE_CURRENT_LIST_DIR}/player_bench.cpp)
target_link_libraries(player_bench PRIVATE audio)
target_link_options(player_bench PRIVATE -municode)
