# What keeps a clean build cheap, applied to every target of the project
# without each CMakeLists asking for it:
#   - a faster linker (mold, else lld) when the machine has one;
#   - precompiled headers chosen from what a target links: the standard
#     library, then the win32 and runpak headers nearly every source of those
#     layers includes, then GoogleTest for test programs. Controls stay out:
#     some units declare names of their own that the control headers also
#     declare, and a header forced into a source must not change its meaning;
#   - in the sanitizer build, line tables instead of full debug info, and test
#     programs without optimisation (their own code is glue around the
#     libraries, and optimising GoogleTest's macros costs more than it saves).
# A new target needs nothing: the hook below visits every target once the
# whole tree is configured.

option(SERVOBENCH_PCH "Precompile the headers nearly every source includes" ON)

include(CheckLinkerFlag)
foreach(linker mold lld)
    check_linker_flag(CXX -fuse-ld=${linker} SERVOBENCH_HAVE_LD_${linker})
    if(SERVOBENCH_HAVE_LD_${linker})
        add_link_options(-fuse-ld=${linker})
        break()
    endif()
endforeach()

# Headers of the precompiled header, one file per layer (cmake/pch); a target
# gets the files of every layer it links, in this order.
set(SERVOBENCH_PCH_DIR ${CMAKE_CURRENT_LIST_DIR}/pch)

# Every target name reachable from target through its link libraries.
function(servobench_linked_targets target out)
    set(seen "")
    set(queue ${target})
    while(queue)
        list(POP_FRONT queue current)
        if(NOT TARGET ${current} OR current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        get_target_property(aliased ${current} ALIASED_TARGET)
        if(aliased)
            list(APPEND queue ${aliased})
        endif()
        get_target_property(type ${current} TYPE)
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(libs ${current} LINK_LIBRARIES)
            if(libs)
                list(APPEND queue ${libs})
            endif()
        endif()
        get_target_property(ilibs ${current} INTERFACE_LINK_LIBRARIES)
        if(ilibs)
            list(APPEND queue ${ilibs})
        endif()
    endwhile()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(servobench_economise target)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
        return()
    endif()
    get_target_property(sources ${target} SOURCES)
    if(NOT sources MATCHES "\\.(cpp|cc|cxx)(;|$)")
        return()
    endif()
    servobench_linked_targets(${target} linked)
    set(is_test OFF)
    if("GTest::gtest" IN_LIST linked OR "GTest::GTest" IN_LIST linked OR "test_support" IN_LIST linked)
        set(is_test ON)
    endif()
    if(SANITIZE AND is_test)
        target_compile_options(${target} PRIVATE -O0)
    endif()
    if(NOT SERVOBENCH_PCH)
        return()
    endif()
    set(headers ${SERVOBENCH_PCH_DIR}/Std.h)
    foreach(layer Win32 Runpak)
        string(TOLOWER ${layer} name)
        if(name IN_LIST linked)
            list(APPEND headers ${SERVOBENCH_PCH_DIR}/${layer}.h)
        endif()
    endforeach()
    if(is_test)
        list(APPEND headers ${SERVOBENCH_PCH_DIR}/Test.h)
    endif()
    target_precompile_headers(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${headers}>")
endfunction()

function(servobench_economise_directory dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        servobench_economise(${target})
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir ${subdirs})
        servobench_economise_directory(${subdir})
    endforeach()
endfunction()

function(servobench_economise_all)
    servobench_economise_directory(${CMAKE_SOURCE_DIR})
endfunction()

cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL servobench_economise_all)
