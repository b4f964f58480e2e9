# add_platform_library(name) builds lib<name>.so from every source under src/,
# with include/ as its public include folder.
function(add_platform_library name)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/src/*.c)
    add_library(${name} SHARED ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                       PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
endfunction()

# add_test_suite(name folder libs...) builds one GoogleTest program from every
# .cpp in folder and registers each of its tests with CTest.
function(add_test_suite name folder)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE test_support ${ARGN})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES TIMEOUT 120)
endfunction()

# Linker, precompiled headers and debug info for every target (cmake/BuildEconomy.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/BuildEconomy.cmake)
