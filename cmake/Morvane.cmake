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

# morvane_test(FOLDER LABEL deps...)
# One GoogleTest executable per tests/FOLDER, made of every *_test.cpp there.
function(morvane_test folder label)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
    if(NOT sources)
        return()
    endif()
    set(target test_${folder})
    add_executable(${target} ${sources})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_compile_options(${target} PRIVATE ${MORVANE_WARNINGS})
    target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${target}
        PROPERTIES LABELS ${label}
        ENVIRONMENT "LC_ALL=C;LANG=C;QT_QPA_PLATFORM=offscreen"
        DISCOVERY_TIMEOUT 60)
endfunction()
