# Tests of the loudness measurement and evening out. The clips and ffmpeg's figures for them
# are made at test time by make_loudness_corpus.sh (a CTest fixture).
set(loudness_corpus_dir ${CMAKE_CURRENT_BINARY_DIR}/loudness-corpus)
add_test(NAME loudness_corpus
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/make_loudness_corpus.sh ${loudness_corpus_dir})
set_tests_properties(loudness_corpus PROPERTIES
  FIXTURES_SETUP loudness_corpus LABELS audio TIMEOUT 180)

add_executable(loudness_tests ${CMAKE_CURRENT_LIST_DIR}/loudness_test.cpp)
target_link_libraries(loudness_tests PRIVATE audio gtest_main)
gtest_discover_tests(loudness_tests
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 60
  PROPERTIES
    LABELS audio
    TIMEOUT 180
    FIXTURES_REQUIRED loudness_corpus
    ENVIRONMENT "QB_LOUDNESS_CORPUS=${loudness_corpus_dir}")

# The evened-out clips as ffmpeg decodes them; the probe is also timed by scripts/bench.
add_executable(loudness_probe ${CMAKE_CURRENT_LIST_DIR}/loudness_probe.cpp)
target_link_libraries(loudness_probe PRIVATE audio)
target_link_options(loudness_probe PRIVATE -municode)
add_test(NAME loudness_ffmpeg_check
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/loudness_ffmpeg_check.sh $<TARGET_FILE:loudness_probe>
    ${loudness_corpus_dir})
set_tests_properties(loudness_ffmpeg_check PROPERTIES
  LABELS audio TIMEOUT 300 FIXTURES_REQUIRED loudness_corpus FAIL_REGULAR_EXPRESSION "FAIL:")
