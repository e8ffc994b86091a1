# cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P EmbedText.cmake
# Writes a C++ source that defines `extern const char* const SYMBOL` holding the file's text.
file(READ "${INPUT}" content)
string(FIND "${content}" ")MRVTXT\"" clash)
if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${INPUT} contains the raw-string delimiter")
endif()
file(WRITE "${OUTPUT}.tmp"
    "// Generated from ${INPUT}; do not edit.\n"
    "extern const char* const ${SYMBOL};\n"
    "const char* const ${SYMBOL} = R\"MRVTXT(${content})MRVTXT\";\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
