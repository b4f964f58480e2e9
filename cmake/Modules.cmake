# add_platform_library(name) builds lib<name>.so from every source under src/,
# with include/ as its public include folder. Symbols are hidden unless
# declared between `#pragma GCC visibility push(default)` and `pop`, which
# every public header puts around its declarations: what the library exports
# is what its headers publish, and scripts/check-exports holds it to that.
function(add_platform_library name)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/src/*.c)
    add_library(${name} SHARED ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                       PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
    hide_unexported_symbols(${name})
endfunction()

function(hide_unexported_symbols target)
    set_target_properties(${target} PROPERTIES C_VISIBILITY_PRESET hidden
                                               CXX_VISIBILITY_PRESET hidden)
endfunction()

# add_include_alias(target scope alias folder) lets the target (and, for
# PUBLIC or INTERFACE, its users) write `#include <alias/...>` for the files
# of `folder`, through a link in the build tree, so that no folder above it
# has to be published as an include path.
function(add_include_alias target scope alias folder)
    set(root ${CMAKE_BINARY_DIR}/include-alias/${target})
    get_filename_component(parent ${root}/${alias} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${folder} ${root}/${alias} SYMBOLIC)
    target_include_directories(${target} ${scope} ${root})
endfunction()

# add_test_suite(name folder libs...) builds one GoogleTest program from every
# .cpp in folder and registers it with CTest, one test per test suite (see
# cmake/TestSuites.cmake); the list is taken when ctest starts, so new tests
# need no re-configure.
function(add_test_suite name folder)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE test_support ${ARGN})
    set(ctest_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.cmake)
    set(loader ${CMAKE_CURRENT_BINARY_DIR}/${name}_load.cmake)
    file(WRITE ${loader}.in
         "execute_process(COMMAND \"${CMAKE_COMMAND}\"\n"
         "    -D \"TEST_PROGRAM=$<TARGET_FILE:${name}>\" -D TEST_PREFIX=${name}\n"
         "    -D \"CTEST_FILE=${ctest_file}\" -D TEST_TIMEOUT=600\n"
         "    -P \"${SERVOBENCH_TEST_SUITES_SCRIPT}\"\n"
         "    RESULT_VARIABLE result)\n"
         "if(result EQUAL 0)\n  include(\"${ctest_file}\")\nelse()\n"
         "  add_test(${name}_NOT_LISTED ${name}_NOT_LISTED)\nendif()\n")
    file(GENERATE OUTPUT ${loader} INPUT ${loader}.in)
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${loader})
endfunction()
set(SERVOBENCH_TEST_SUITES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/TestSuites.cmake)

# Linker, precompiled headers and debug info for every target (cmake/BuildEconomy.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/BuildEconomy.cmake)

# add_module_resources(target symbol files...) compiles the pixel-art resource
# files (tools/rescomp/rescomp.py) into a table `symbol` of the target's module
# resources, which the target registers with win32::RegisterModuleResources.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
function(add_module_resources target symbol)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${symbol}.cpp)
    set(tool ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../tools/rescomp/rescomp.py)
    add_custom_command(OUTPUT ${output}
                       COMMAND Python3::Interpreter ${tool} ${output} ${symbol} ${ARGN}
                       DEPENDS ${tool} ${ARGN}
                       COMMENT "Compiling the resources of ${target}")
    target_sources(${target} PRIVATE ${output})
endfunction()
