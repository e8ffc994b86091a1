# Run by CPack after the files are staged and stripped: drops the compilers' .comment sections
# from the programs, as Debian's own strip step does (strip --remove-section=.comment).
file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}/usr/bin/*")
foreach(program ${programs})
    execute_process(COMMAND objcopy --remove-section=.comment ${program}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "objcopy failed on ${program}")
    endif()
endforeach()
