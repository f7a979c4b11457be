# tarvolin_library(<target> [WHOLE] [DEPS <libs>...] [PRIVATE_DEPS <libs>...])
# Builds every .cpp of the calling folder into one static library.
# WHOLE: every program that links the target, directly or through other libraries, takes all of the
# archive's objects, so static registrations that nothing names are kept. The archive is then
# <target>_archive and <target> an interface that always names it whole: naming the same archive both
# whole and plain in one link is an error, so no consumer may name the archive itself.
option(TARVOLIN_LIBRARY_PCH "Compile each library against a precompiled header of the standard library" ON)
set(TARVOLIN_LIBRARY_PCH_HEADERS
    <algorithm> <cmath> <cstdint> <cstring> <functional> <map> <memory> <sstream> <string> <vector>)

function(tarvolin_library target)
    cmake_parse_arguments(ARG "WHOLE" "" "DEPS;PRIVATE_DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    set(archive ${target})
    if(ARG_WHOLE)
        set(archive ${target}_archive)
    endif()
    add_library(${archive} STATIC ${sources})
    target_include_directories(${archive} PUBLIC ${PROJECT_SOURCE_DIR})
    # Half of a library file's compile time is parsing the standard library headers it shares with the
    # rest of its library; each library parses them once.
    if(TARVOLIN_LIBRARY_PCH)
        target_precompile_headers(${archive} PRIVATE ${TARVOLIN_LIBRARY_PCH_HEADERS})
    endif()
    target_link_libraries(${archive} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    if(ARG_WHOLE)
        add_library(${target} INTERFACE)
        target_link_libraries(${target} INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${archive}>")
    endif()
endfunction()

# Test code runs briefly: at -O1 it compiles in about a fifth less time than at -O2, while the code under test
# keeps the build's own optimisation. Under the sanitizers the test code stays unoptimised: instrumented, its
# expanded assertions take longer to optimise than the libraries they test.
# SDL's flags define _REENTRANT, which glibc ignores under _GNU_SOURCE (g++ always sets it); every test program
# defines it so that one precompiled header is valid for them all. Test fixtures live in anonymous namespaces,
# which GCC reports once their file is part of a unity batch rather than the main file.
function(tarvolin_test_compile_options target)
    if(CMAKE_BUILD_TYPE STREQUAL "RelWithDebInfo")
        # Line tables keep a failing test's backtrace readable; the libraries under test keep full information.
        target_compile_options(${target} PRIVATE -O1 -g1)
    elseif(TARVOLIN_SANITIZE)
        target_compile_options(${target} PRIVATE -O0)
    endif()
    target_compile_definitions(${target} PRIVATE _REENTRANT)
    target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
endfunction()

# Test files per unity batch: large enough that a batch's shared headers dominate less, small enough that -j
# still has batches to spread and that a batch recompiles quickly after a one-file change. Files of one program
# may land in one batch, so names in their anonymous namespaces must differ across the program's files.
option(TARVOLIN_UNITY_TESTS "Compile the test programs' files in unity batches" ON)
set(TARVOLIN_TEST_UNITY_BATCH 8 CACHE STRING "Test files compiled together in one unity batch (0: all of a program)")

# Test files compiled on their own. GLUploadTest asks for the GL extension prototypes, which only the first GL
# header of a translation unit declares. Any other clash is a helper to rename so that its file keeps its batch.
set(TARVOLIN_UNITY_SEPARATE_TESTS
    tests/platform/gfx/GLUploadTest.cpp
)

# The precompiled header every test program reuses. It is built by a target of its own with the same compile
# options as the test programs (GCC refuses a header built with another optimisation level or debug setting);
# the definitions the programs add name paths that these headers never use, so the header stays valid for all.
# Called once, before the first test program.
function(tarvolin_tests_pch)
    set(source ${PROJECT_BINARY_DIR}/tarvolin_tests_pch.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "// Only carries the test programs' precompiled header.\n")
    add_library(tarvolin_tests_pch OBJECT ${source})
    target_link_libraries(tarvolin_tests_pch PRIVATE GTest::gtest GTest::gmock)
    tarvolin_test_compile_options(tarvolin_tests_pch)
    target_precompile_headers(tarvolin_tests_pch PRIVATE
        <gtest/gtest.h> <gmock/gmock.h>
        <algorithm> <cmath> <cstdint> <cstdlib> <cstring> <filesystem> <fstream> <functional> <map> <memory>
        <set> <sstream> <string> <utility> <vector>)
endfunction()

# tarvolin_test(<target> [GL] [DEPS <libs>...] [LABELS <labels>...])
# Builds every *Test.cpp of the calling folder into one GoogleTest executable registered with CTest.
# GL: the program starts Mesa (EGL). Under the sanitizers such a program runs without leak checking and with
# Mesa drawing on the calling thread: LeakSanitizer's exit scan stops every thread with ptrace and crashes now
# and then on Mesa's threads as they wind down, failing a run whose tests all passed. Every other program keeps
# leak checking.
function(tarvolin_test target)
    cmake_parse_arguments(ARG "GL" "" "DEPS;LABELS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
    add_executable(${target} ${sources})
    target_link_libraries(${target} PRIVATE ${ARG_DEPS} tests_support GTest::gtest GTest::gmock GTest::gtest_main)
    tarvolin_test_compile_options(${target})
    # Test code is most of what the build compiles. Its files are compiled a batch at a time, and every batch
    # starts from the one precompiled header of the test programs, so GoogleTest and the standard library are
    # parsed once per build instead of once per file.
    set_target_properties(${target} PROPERTIES UNITY_BUILD ${TARVOLIN_UNITY_TESTS}
        UNITY_BUILD_BATCH_SIZE ${TARVOLIN_TEST_UNITY_BATCH})
    foreach(source IN LISTS sources)
        file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${source})
        if(relative IN_LIST TARVOLIN_UNITY_SEPARATE_TESTS)
            set_source_files_properties(${source} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
        endif()
    endforeach()
    target_precompile_headers(${target} REUSE_FROM tarvolin_tests_pch)
    set(properties LABELS "${ARG_LABELS}")
    if(ARG_GL AND TARVOLIN_SANITIZE)
        list(APPEND properties
            ENVIRONMENT "LP_NUM_THREADS=0"
            ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=string_append::detect_leaks=0")
    endif()
    # Programs labelled "sanitize" are built and run under the sanitizers by test.sh. A build that leaves them
    # to the sanitized build keeps their targets (other folders name them) but neither builds nor lists them.
    if("sanitize" IN_LIST ARG_LABELS AND TARVOLIN_SANITIZED_TESTS_ELSEWHERE AND NOT TARVOLIN_SANITIZE)
        set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
        return()
    endif()
    gtest_discover_tests(${target}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ${properties})
    if("sanitize" IN_LIST ARG_LABELS)
        if(NOT TARGET sanitized_tests)
            add_custom_target(sanitized_tests)
        endif()
        add_dependencies(sanitized_tests ${target})
    endif()
endfunction()

# tarvolin_content(<name> TOOL <target> ARGS <args>... [DEPENDS <files>...])
# Runs a generator into the sample content folder (TARVOLIN_CONTENT_DIR) as part of the build; it runs
# again whenever the generator is rebuilt. The generator must write the same bytes on every run.
function(tarvolin_content name)
    cmake_parse_arguments(ARG "" "TOOL" "ARGS;DEPENDS" ${ARGN})
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}.content-stamp)
    add_custom_command(OUTPUT ${stamp}
        COMMAND $<TARGET_FILE:${ARG_TOOL}> ${ARG_ARGS}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${ARG_TOOL} ${ARG_DEPENDS}
        WORKING_DIRECTORY ${TARVOLIN_CONTENT_DIR}
        COMMENT "Generating sample content: ${name}"
        VERBATIM)
    add_custom_target(content_${name} DEPENDS ${stamp})
    add_dependencies(sample_content content_${name})
    # Generators run one after another: two at once could each create a folder the other spells in
    # another case ("Resources" and "resources"), and a writer would then miss the folder it just made.
    get_property(previous GLOBAL PROPERTY TARVOLIN_LAST_CONTENT)
    if(previous)
        add_dependencies(content_${name} ${previous})
    endif()
    set_property(GLOBAL PROPERTY TARVOLIN_LAST_CONTENT content_${name})
endfunction()
