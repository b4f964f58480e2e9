# Run by ctest before the tests (see add_test_suite): asks a GoogleTest
# program for its tests and registers one CTest test per test suite, which
# runs that suite's tests in one process. A sanitizer build pays a fixed
# start-up and exit check per process that outweighs most tests, so one
# process per suite rather than per test keeps the run cheap, while a suite
# still starts from a fresh configuration folder of its own.
#
# Inputs: TEST_PROGRAM, TEST_PREFIX (name of the program), CTEST_FILE (output),
# TEST_TIMEOUT.
execute_process(COMMAND ${TEST_PROGRAM} --gtest_list_tests
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result
                TIMEOUT 60)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TEST_PROGRAM} --gtest_list_tests failed (${result}):\n${errors}")
endif()
# Cases print their parameters after '#'; characters that mean something in a
# CMake list go before the lines are split.
string(REPLACE ";" " " listing "${listing}")
string(REPLACE "[" " " listing "${listing}")
string(REPLACE "]" " " listing "${listing}")
string(REPLACE "\\" " " listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(script "")
foreach(line ${lines})
    # Suite lines start in column one and end with a dot; a comment may follow
    # for typed and parameterised suites.
    if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.( .*)?$")
        set(suite ${CMAKE_MATCH_1})
        string(APPEND script
               "add_test([=[${TEST_PREFIX}.${suite}]=] [==[${TEST_PROGRAM}]==] [=[--gtest_filter=${suite}.*]=])\n"
               "set_tests_properties([=[${TEST_PREFIX}.${suite}]=] PROPERTIES TIMEOUT ${TEST_TIMEOUT} LABELS ${TEST_PREFIX})\n")
    endif()
endforeach()
file(WRITE ${CTEST_FILE} "${script}")
