# The loudness command on the real window, with the clips of the loudness corpus fixture
# (tests/audio/loudness.cmake).
# The envelope's scenario reads the playback corpus (tests/audio) in the same way.
add_executable(e2e_loudness_tests loudness_test.cpp envelope_test.cpp)
target_link_libraries(e2e_loudness_tests PRIVATE e2e_harness gtest_main)
add_dependencies(e2e_loudness_tests dist)
gtest_discover_tests(e2e_loudness_tests
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 60
  PROPERTIES
    LABELS e2e
    TIMEOUT 240
    FIXTURES_REQUIRED loudness_corpus
    ENVIRONMENT "QB_LOUDNESS_CORPUS=${CMAKE_BINARY_DIR}/tests/audio/loudness-corpus")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/e2e_loudness_locks.cmake [=[
foreach(test IN LISTS e2e_loudness_tests_TESTS)
  set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "desktop;sound")
  if(test MATCHES "^Envelope[.]")
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED "loudness_corpus;playback_corpus"
      ENVIRONMENT "QB_LOUDNESS_CORPUS=@LOUDNESS@;QB_PLAYBACK_CORPUS=@PLAYBACK@")
  endif()
endforeach()
]=])
file(READ ${CMAKE_CURRENT_BINARY_DIR}/e2e_loudness_locks.cmake locks)
string(REPLACE "@LOUDNESS@" "${CMAKE_BINARY_DIR}/tests/audio/loudness-corpus" locks "${locks}")
string(REPLACE "@PLAYBACK@" "${CMAKE_BINARY_DIR}/tests/audio/playback-corpus" locks "${locks}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/e2e_loudness_locks.cmake "${locks}")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_CURRENT_BINARY_DIR}/e2e_loudness_locks.cmake)
