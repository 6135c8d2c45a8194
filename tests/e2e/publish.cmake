# Publication tests: the real program against the stand-in service (tests/standin), with a
# stand-in web browser registered in the test's Wine prefix.
add_executable(browser_stub browser_stub.cpp)
target_link_options(browser_stub PRIVATE -municode)

add_executable(e2e_publish_tests publish_test.cpp publish_driver.cpp slow_service.cpp)
target_link_libraries(e2e_publish_tests PRIVATE e2e_harness gtest_main ws2_32 advapi32 shell32)
target_compile_definitions(e2e_publish_tests PRIVATE QB_BROWSER_STUB_DIR="${CMAKE_CURRENT_BINARY_DIR}")
add_dependencies(e2e_publish_tests dist browser_stub)
set_target_properties(e2e_publish_tests PROPERTIES
  CROSSCOMPILING_EMULATOR "bash;${PROJECT_SOURCE_DIR}/tests/standin/standin.sh;--;wine")
gtest_discover_tests(e2e_publish_tests
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 60
  PROPERTIES LABELS e2e TIMEOUT 400)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/e2e_publish_locks.cmake [=[
foreach(test IN LISTS e2e_publish_tests_TESTS)
  set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "desktop;sound")
endforeach()
]=])
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_CURRENT_BINARY_DIR}/e2e_publish_locks.cmake)

# Benchmark program of scripts/bench.d/publish.sh; not a test.
add_executable(publish_bench publish_bench.cpp publish_driver.cpp)
target_link_libraries(publish_bench PRIVATE e2e_harness recorder_core advapi32)
target_link_options(publish_bench PRIVATE -municode)
add_dependencies(publish_bench dist)
