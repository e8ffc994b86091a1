# Build helpers shared by every folder: warnings, one library per src/ folder, tests.

set(MORVANE_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Woverloaded-virtual)
if(MORVANE_WERROR)
    list(APPEND MORVANE_WARNINGS -Werror)
endif()

# morvane_library(NAME [PUBLIC deps...] [PRIVATE deps...])
# Builds src/NAME/*.cpp into the static library morvane_NAME (alias morvane::NAME).
function(morvane_library name)
    cmake_parse_arguments(ARG "" "" "PUBLIC;PRIVATE" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_library(morvane_${name} STATIC ${sources})
    add_library(morvane::${name} ALIAS morvane_${name})
    target_include_directories(morvane_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(morvane_${name} PRIVATE ${MORVANE_WARNINGS})
    target_link_libraries(morvane_${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()

# morvane_discover_tests(TARGET LABEL [THREAD filter] [EXCLUDE filter] [EXTRA_ARGS args...])
# Registers the GoogleTest cases of TARGET with CTest under LABEL, one test per case. The cases
# that the gtest filter THREAD selects (those that run code on several threads) form a single
# test TARGET.thread instead, labelled LABEL and "thread": the ThreadSanitizer build (make
# test-tsan) runs exactly those, and the target thread_tests builds every program that has some.
# The cases that EXCLUDE selects are left for the caller to register. EXTRA_ARGS go to the
# program when it lists its cases.
function(morvane_discover_tests target label)
    cmake_parse_arguments(ARG "" "THREAD;EXCLUDE" "EXTRA_ARGS" ${ARGN})
    # gtest_discover_tests splits list values of PROPERTIES apart, so the discovered cases get
    # one label and one variable; LC_ALL alone decides the message language.
    set(discovery PROPERTIES LABELS ${label} ENVIRONMENT LC_ALL=C DISCOVERY_TIMEOUT 60)
    if(ARG_EXTRA_ARGS)
        list(APPEND discovery DISCOVERY_EXTRA_ARGS ${ARG_EXTRA_ARGS})
    endif()
    set(left_out ${ARG_THREAD} ${ARG_EXCLUDE})
    if(left_out)
        list(JOIN left_out ":" left_out)
        gtest_discover_tests(${target} TEST_FILTER "-${left_out}" ${discovery})
    else()
        gtest_discover_tests(${target} ${discovery})
    endif()
    if(NOT ARG_THREAD)
        return()
    endif()
    add_test(NAME ${target}.thread COMMAND ${target} --gtest_filter=${ARG_THREAD})
    set_tests_properties(${target}.thread PROPERTIES
        LABELS "${label};thread" ENVIRONMENT "LC_ALL=C;LANG=C")
    add_dependencies(thread_tests ${target})
endfunction()

# morvane_test(FOLDER LABEL deps...)
# One GoogleTest executable per tests/FOLDER, made of every *_test.cpp there.
function(morvane_test folder label)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
    if(NOT sources)
        message(FATAL_ERROR "tests/${folder} holds no test sources")
    endif()
    set(target test_${folder})
    add_executable(${target} ${sources})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_compile_options(${target} PRIVATE ${MORVANE_WARNINGS})
    target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
    morvane_discover_tests(${target} ${label})
endfunction()
